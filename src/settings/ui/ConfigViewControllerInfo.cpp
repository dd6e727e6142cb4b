#include "settings/ui/ConfigViewControllerInfo.h"

#include "markdown/view/CustomMarkdownTextView.h"
#include "model/LocalizedStrings.h"
#include "settings/ui/FloatingPanelView.h"

#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

namespace vantel {

ConfigViewControllerInfo::ConfigViewControllerInfo(QObject* parent)
    : SettingsViewController(parent)
{
    setPreferredContentSize(preferredSize);
}

QWidget* ConfigViewControllerInfo::loadView()
{
    auto* view = new FloatingPanelView;
    view->setObjectName(QStringLiteral("ConfigViewControllerInfo"));
    view->setWindowTitle(localized("About Vantel"));
    visualEffectView_ = view;
    auto* layout = new QVBoxLayout(view);
    layout->setContentsMargins(24, 36, 24, 16);
    textView_ = new CustomMarkdownTextView;
    textView_->setObjectName(QStringLiteral("textView"));
    textView_->setFrameShape(QFrame::NoFrame);
    textView_->viewport()->setAutoFillBackground(false);
    versionLabel_ = new QLabel(localized("Version %1").arg(QStringLiteral(VANTEL_VERSION)));
    versionLabel_->setObjectName(QStringLiteral("versionLabel"));
    versionLabel_->setAlignment(Qt::AlignRight);
    layout->addWidget(textView_, 1);
    layout->addWidget(versionLabel_);
    view->closeButton()->raise();
    return view;
}

void ConfigViewControllerInfo::viewDidLoad()
{
    textView_->loadMarkdown(QStringLiteral("info.md"));
    textView_->showMarkdown(MarkdownStyles::info);
}

void ConfigViewControllerInfo::viewWillAppear()
{
    // Every appearance re-applies the window's look.
    if (QWidget* window = view()->window(); window && window != view()) {
        window->setWindowTitle(localized("About Vantel"));
        window->resize(preferredSize);
    }
    setPreferredContentSize(preferredSize);
}

} // namespace vantel
