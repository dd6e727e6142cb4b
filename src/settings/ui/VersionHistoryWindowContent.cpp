#include "settings/ui/VersionHistoryWindowContent.h"

#include "markdown/view/VersionHistoryViewController.h"
#include "model/LocalizedStrings.h"
#include "settings/ui/FloatingPanelView.h"

#include <QToolButton>
#include <QVBoxLayout>

namespace vantel {

VersionHistoryWindowContent::VersionHistoryWindowContent(QObject* parent)
    : SettingsViewController(parent)
{
    setPreferredContentSize(VersionHistoryViewController::preferredContentSize);
}

QWidget* VersionHistoryWindowContent::loadView()
{
    auto* view = new FloatingPanelView;
    view->setObjectName(QStringLiteral("VersionHistoryViewController"));
    view->setWindowTitle(localized("What's new?"));
    auto* layout = new QVBoxLayout(view);
    layout->setContentsMargins(0, 24, 0, 0);
    versionHistory_ = new VersionHistoryViewController;
    layout->addWidget(versionHistory_);
    view->closeButton()->raise();
    return view;
}

void VersionHistoryWindowContent::viewWillAppear()
{
    if (versionHistory_)
        versionHistory_->viewWillAppear();
}

void VersionHistoryWindowContent::viewDidAppear()
{
    // The history view hides the title when it shows; the window list and
    // the task bar still name the window.
    if (QWidget* window = view()->window(); window && window != view())
        window->setWindowTitle(localized("What's new?"));
}

} // namespace vantel
