#include "settings/ui/ConfigTabViewController_Settings.h"

#include "config/Configuration.h"
#include "hotkeys/HotKeyManager.h"
#include "model/LocalizedStrings.h"
#include "settings/ui/ConfigViewControllerAdvanced.h"
#include "settings/ui/ConfigViewControllerAppearance.h"
#include "settings/ui/ConfigViewControllerGeneral.h"
#include "settings/ui/ConfigViewControllerSandboxAccess.h"
#include "settings/ui/ConfigViewControllerSearchScope.h"
#include "settings/ui/ConfigViewControllerURLTemplates.h"

#include <QTabBar>
#include <QTabWidget>

namespace vantel {

ConfigTabViewController_Settings::ConfigTabViewController_Settings(SettingsServices services, QObject* parent)
    : SettingsViewController(parent)
    , services_(services)
{
    panes_.push_back(std::make_unique<ConfigViewControllerGeneral>(services_));
    panes_.push_back(std::make_unique<ConfigViewControllerAppearance>(services_));
    panes_.push_back(std::make_unique<ConfigViewControllerSearchScope>(*services_.config));
    panes_.push_back(std::make_unique<ConfigViewControllerSandboxAccess>());
    panes_.push_back(std::make_unique<ConfigViewControllerURLTemplates>());
    panes_.push_back(std::make_unique<ConfigViewControllerAdvanced>(*services_.config));
}

ConfigTabViewController_Settings::~ConfigTabViewController_Settings()
{
    // The pause is ours to end, even when the window never closed properly.
    if (paused_ && services_.hotKeyManager)
        services_.hotKeyManager->resumeHotkeys();
}

platform::ViewControllerBase* ConfigTabViewController_Settings::pane(int index) const
{
    if (index < 0 || index >= paneCount())
        return nullptr;
    return panes_[static_cast<size_t>(index)].get();
}

QWidget* ConfigTabViewController_Settings::loadView()
{
    static const char* const titles[] = {localizable("&General"),       localizable("A&ppearance"),
                                         localizable("&Search scope"),  localizable("Folder a&ccess"),
                                         localizable("&URL templates"), localizable("Ad&vanced")};
    auto* tabs = new QTabWidget;
    tabs->setObjectName(QStringLiteral("ConfigTabViewController_Settings"));
    tabs->setDocumentMode(true);
    QSize largest(0, 0);
    for (int i = 0; i < paneCount(); ++i) {
        platform::ViewControllerBase* controller = pane(i);
        tabs->addTab(controller->view(), localized(titles[i]));
        if (const auto size = controller->preferredContentSize())
            largest = largest.expandedTo(*size);
    }
    tabs->setCurrentIndex(0);
    tabView_ = tabs;
    connect(tabs, &QTabWidget::currentChanged, this, &ConfigTabViewController_Settings::currentTabChanged);
    setPreferredContentSize(QSize(largest.width(), largest.height() + tabs->tabBar()->sizeHint().height()));
    return tabs;
}

void ConfigTabViewController_Settings::viewWillAppear()
{
    if (services_.hotKeyManager && !paused_) {
        services_.hotKeyManager->pauseHotkeys();
        paused_ = true;
    }
    shownPane_ = tabView_ ? tabView_->currentIndex() : -1;
    if (platform::ViewControllerBase* shown = pane(shownPane_))
        shown->sendViewWillAppear();
}

void ConfigTabViewController_Settings::viewDidAppear()
{
    if (platform::ViewControllerBase* shown = pane(shownPane_))
        shown->sendViewDidAppear();
}

void ConfigTabViewController_Settings::viewWillDisappear()
{
    if (platform::ViewControllerBase* shown = pane(shownPane_))
        shown->sendViewWillDisappear();
}

void ConfigTabViewController_Settings::viewDidDisappear()
{
    if (platform::ViewControllerBase* shown = pane(shownPane_))
        shown->sendViewDidDisappear();
    shownPane_ = -1;
    if (services_.config)
        services_.config->saveConfig(false);
    if (services_.hotKeyManager) {
        for (HotKeyType type : {HotKeyType::categoryKey, HotKeyType::tagKey, HotKeyType::tagKeyLaunchAll,
                                HotKeyType::userDefinedKey, HotKeyType::globalHotKey})
            services_.hotKeyManager->registerHotKeys(type);
        if (paused_) {
            services_.hotKeyManager->resumeHotkeys();
            paused_ = false;
        }
    }
}

void ConfigTabViewController_Settings::currentTabChanged(int index)
{
    if (!isAppearing() || index == shownPane_)
        return;
    if (platform::ViewControllerBase* old = pane(shownPane_)) {
        old->sendViewWillDisappear();
        old->sendViewDidDisappear();
    }
    shownPane_ = index;
    if (platform::ViewControllerBase* shown = pane(shownPane_)) {
        shown->sendViewWillAppear();
        shown->sendViewDidAppear();
    }
}

} // namespace vantel
