#include "settings/ui/ConfigSplitViewController.h"

#include "settings/ui/ConfigViewControllerContent.h"
#include "settings/ui/ConfigViewControllerSidebar.h"

#include <QSplitter>
#include <QVBoxLayout>

namespace vantel::settingsui {

namespace {

constexpr int sidebarWidth = 280;

} // namespace

ConfigSplitViewController::ConfigSplitViewController(QObject* parent)
    : ConfigSplitViewController(ConfigWindowServices::shared(), parent)
{
}

ConfigSplitViewController::ConfigSplitViewController(ConfigWindowServices services, QObject* parent)
    : ConfigViewControllerBase(parent), services_(services),
      content_(std::make_shared<ConfigViewControllerContent>(services)),
      sidebar_(std::make_shared<ConfigViewControllerSidebar>(*services.dataStorage))
{
    content_->setSheetPresenter([this] { return asPresenter(); });
}

ConfigSplitViewController::~ConfigSplitViewController()
{
    // The children's views belong to their controllers, not to the splitter.
    if (splitter_) {
        if (content_->isViewLoaded())
            content_->view()->setParent(nullptr);
        if (sidebar_->isViewLoaded())
            sidebar_->view()->setParent(nullptr);
    }
}

std::shared_ptr<ViewController> ConfigSplitViewController::asPresenter()
{
    // Not owned: the sheet is presented at once and the presenter not kept.
    return std::shared_ptr<ViewController>(std::shared_ptr<void>(), static_cast<ViewController*>(this));
}

QSplitter* ConfigSplitViewController::splitView()
{
    view();
    return splitter_;
}

QWidget* ConfigSplitViewController::loadView()
{
    auto* root = new QWidget();
    auto* layout = new QVBoxLayout(root);
    layout->setContentsMargins(0, 0, 0, 0);
    splitter_ = new QSplitter(Qt::Horizontal, root);
    splitter_->setChildrenCollapsible(false);
    splitter_->addWidget(content_->view());
    splitter_->addWidget(sidebar_->view());
    splitter_->setStretchFactor(0, 1);
    splitter_->setStretchFactor(1, 0);
    splitter_->setSizes({1000, sidebarWidth});
    layout->addWidget(splitter_);
    return root;
}

void ConfigSplitViewController::viewWillAppear()
{
    content_->sendViewWillAppear();
    if (!sidebarCollapsed_)
        sidebar_->sendViewWillAppear();
}

void ConfigSplitViewController::viewDidAppear()
{
    content_->sendViewDidAppear();
    if (!sidebarCollapsed_)
        sidebar_->sendViewDidAppear();
}

void ConfigSplitViewController::viewWillDisappear()
{
    if (!sidebarCollapsed_)
        sidebar_->sendViewWillDisappear();
    content_->sendViewWillDisappear();
}

void ConfigSplitViewController::viewDidDisappear()
{
    if (!sidebarCollapsed_)
        sidebar_->sendViewDidDisappear();
    content_->sendViewDidDisappear();
}

void ConfigSplitViewController::toggleSidebar()
{
    setSidebarCollapsed(!sidebarCollapsed_);
}

void ConfigSplitViewController::setSidebarCollapsed(bool collapsed)
{
    view();
    if (collapsed == sidebarCollapsed_)
        return;
    const bool onScreen = isAppearing();
    sidebarCollapsed_ = collapsed;
    if (collapsed) {
        if (onScreen)
            sidebar_->sendViewWillDisappear();
        sidebar_->view()->hide();
        if (onScreen)
            sidebar_->sendViewDidDisappear();
    } else {
        if (onScreen)
            sidebar_->sendViewWillAppear();
        sidebar_->view()->show();
        if (onScreen)
            sidebar_->sendViewDidAppear();
    }
}

} // namespace vantel::settingsui
