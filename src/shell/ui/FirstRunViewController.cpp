#include "shell/ui/FirstRunViewController.h"

#include "model/LocalizedStrings.h"
#include "platform/ui/UiCatalog.h"
#include "shell/VantelWindowEnum.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace vantel {

namespace {

constexpr QSize kContentSize{560, 440};
constexpr int kButtonMargin = 12;

QString sheetIdentifier(FirstRunPageEnum page)
{
    switch (page) {
    case FirstRunPageEnum::pageOne:
        return QStringLiteral("FirstRunSheet1");
    case FirstRunPageEnum::pageTwo:
        return QStringLiteral("FirstRunSheet2");
    }
    return {};
}

} // namespace

FirstRunViewController::FirstRunViewController(QObject* parent)
    : FirstRunViewController(platform::UiCatalog::main(), parent)
{
}

FirstRunViewController::FirstRunViewController(const platform::UiCatalog& catalog, QObject* parent)
    : DefaultVantelViewController(parent), catalog_(catalog)
{
    setPreferredContentSize(kContentSize);
}

FirstRunViewController::~FirstRunViewController() = default;

QWidget* FirstRunViewController::loadView()
{
    auto* view = new QWidget();
    view->setObjectName(QStringLiteral("FirstRunViewController"));
    view->setWindowTitle(localized("Welcome to Vantel"));
    view->setFixedSize(kContentSize);

    stack_ = new QStackedWidget(view);

    auto* separator = new QFrame(view);
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Sunken);

    btnBack_ = new QPushButton(localized("Back"), view);
    btnForward_ = new QPushButton(localized("Next"), view);
    btnDismiss_ = new QPushButton(localized("Done"), view);
    btnBack_->setObjectName(QStringLiteral("btnBack"));
    btnForward_->setObjectName(QStringLiteral("btnForward"));
    btnDismiss_->setObjectName(QStringLiteral("btnDismiss"));
    connect(btnBack_, &QPushButton::clicked, this, &FirstRunViewController::navigateBack);
    connect(btnForward_, &QPushButton::clicked, this, &FirstRunViewController::navigateForward);
    connect(btnDismiss_, &QPushButton::clicked, this, &FirstRunViewController::btnDismissClick);

    auto* buttons = new QHBoxLayout();
    buttons->setContentsMargins(kButtonMargin, kButtonMargin, kButtonMargin, kButtonMargin);
    buttons->addWidget(btnBack_);
    buttons->addStretch(1);
    buttons->addWidget(btnForward_);
    buttons->addWidget(btnDismiss_);

    auto* layout = new QVBoxLayout(view);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(stack_, 1);
    layout->addWidget(separator);
    layout->addLayout(buttons);
    return view;
}

void FirstRunViewController::viewDidLoad()
{
    arrangedObjects_ = allFirstRunPages();
    transition(0);
    btnBack_->setHidden(true);
    btnForward_->setHidden(false);
    btnDismiss_->setHidden(true);
}

QString FirstRunViewController::identifierForObject(FirstRunPageEnum page) const
{
    return rawValue(page);
}

std::shared_ptr<platform::ViewControllerBase>
FirstRunViewController::viewControllerForIdentifier(const QString& identifier) const
{
    if (const auto page = firstRunPage(identifier)) {
        if (auto controller = catalog_.instantiateAs<platform::ViewControllerBase>(storyboard, sheetIdentifier(*page)))
            return controller;
    }
    return std::make_shared<DefaultVantelViewController>();
}

platform::ViewControllerBase* FirstRunViewController::pageController(int index)
{
    const QString identifier = identifierForObject(arrangedObjects_.at(index));
    auto& controller = pages_[identifier];
    if (!controller)
        controller = viewControllerForIdentifier(identifier);
    return controller.get();
}

platform::ViewControllerBase* FirstRunViewController::selectedViewController() const
{
    if (selectedIndex_ < 0 || selectedIndex_ >= arrangedObjects_.size())
        return nullptr;
    const auto found = pages_.constFind(identifierForObject(arrangedObjects_.at(selectedIndex_)));
    return found == pages_.constEnd() ? nullptr : found->get();
}

void FirstRunViewController::transition(int index)
{
    if (!stack_ || index < 0 || index >= arrangedObjects_.size() || index == selectedIndex_)
        return;
    platform::ViewControllerBase* outgoing = selectedViewController();
    platform::ViewControllerBase* incoming = pageController(index);
    QWidget* page = incoming->view();
    if (stack_->indexOf(page) < 0)
        stack_->addWidget(page);

    const bool onScreen = isAppearing();
    if (onScreen) {
        if (outgoing)
            outgoing->sendViewWillDisappear();
        incoming->sendViewWillAppear();
    }
    stack_->setCurrentWidget(page);
    selectedIndex_ = index;
    if (onScreen) {
        incoming->sendViewDidAppear();
        if (outgoing)
            outgoing->sendViewDidDisappear();
    }
}

void FirstRunViewController::pageControllerDidEndLiveTransition()
{
    if (!btnBack_ || arrangedObjects_.isEmpty())
        return;
    const bool first = selectedIndex_ == 0;
    const bool last = selectedIndex_ == arrangedObjects_.size() - 1;
    btnBack_->setHidden(first);
    btnForward_->setHidden(last);
    btnDismiss_->setHidden(!last);
    // Keep the keyboard on a visible button.
    QPushButton* focus = last ? btnDismiss_.data() : btnForward_.data();
    if (focus->isVisible())
        focus->setFocus();
}

void FirstRunViewController::navigateBack()
{
    if (selectedIndex_ <= 0)
        return;
    transition(selectedIndex_ - 1);
    pageControllerDidEndLiveTransition();
}

void FirstRunViewController::navigateForward()
{
    if (selectedIndex_ + 1 >= arrangedObjects_.size())
        return;
    transition(selectedIndex_ + 1);
    pageControllerDidEndLiveTransition();
}

void FirstRunViewController::btnDismissClick()
{
    VantelWindowEnum::closeWindow(VantelWindowEnum::firstRun);
}

void FirstRunViewController::viewWillAppear()
{
    if (auto* page = selectedViewController())
        page->sendViewWillAppear();
}

void FirstRunViewController::viewDidAppear()
{
    if (auto* page = selectedViewController())
        page->sendViewDidAppear();
}

void FirstRunViewController::viewWillDisappear()
{
    if (auto* page = selectedViewController())
        page->sendViewWillDisappear();
}

void FirstRunViewController::viewDidDisappear()
{
    if (auto* page = selectedViewController())
        page->sendViewDidDisappear();
}

} // namespace vantel
