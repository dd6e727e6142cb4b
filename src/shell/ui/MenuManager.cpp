#include "shell/ui/MenuManager.h"

#include "access/OpenObject.h"
#include "access/SandboxFileAccess.h"
#include "config/ExportImportManager.h"
#include "datastore/DataStorage.h"
#include "datastore/DatastorageHandlerFilesystemObjects.h"
#include "datastore/DatastorageHandlerURLObjects.h"
#include "datastore/Shortcuts.h"
#include "graphics/IconCache.h"
#include "model/L10n.h"
#include "model/Logger.h"
#include "shell/AppDelegate.h"
#include "shell/VantelManager.h"
#include "shell/WindowManagerCalls.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMenu>
#include <QUrl>

namespace vantel {

MenuManager& MenuManager::shared()
{
    static MenuManager* const instance = new MenuManager();
    return *instance;
}

MenuManager::MenuManager()
    : contextMenuShowInfoMenuItem(makeItem(L10n::mainMenu_showInfo(), &MenuManager::mnu_Info))
    , contextMenuShowHotkeyOverviewMenuItem(makeItem(L10n::mainMenu_showHotkeyOverview(), &MenuManager::mnu_HotkeyOverview))
    , contextMenuShowSettingsMenuItem(makeItem(L10n::mainMenu_showSettings(), &MenuManager::mnu_GeneralSettings))
    , contextMenuShowDataMenuItem(makeItem(L10n::mainMenu_showPreferences(), &MenuManager::mnu_DataSettings))
    , contextMenuShowTagsMenuItem(makeItem(L10n::mainMenu_showTags(), &MenuManager::mnu_TagsSettings))
    , contextMenuShowWebsiteMenuItem(makeItem(L10n::mainMenu_showWebsite(), &MenuManager::mnu_Website))
    , contextMenuShowManualMenuItem(makeItem(L10n::mainMenu_showManual(), &MenuManager::mnu_Manual))
    , contextMenuShowVersionHistoryMenuItem(makeItem(L10n::mainMenu_showVersionHistory(), &MenuManager::mnu_versionHistory))
    , contextMenuExportMenuItem(makeItem(L10n::mainMenu_export(), &MenuManager::mnu_Export))
    , contextMenuImportMenuItem(makeItem(L10n::mainMenu_import(), &MenuManager::mnu_Import))
    , contextMenuShowVersionedBackupMenuItem(makeItem(L10n::mainMenu_showVersionedBackup(), &MenuManager::mnu_versionedBackups))
    , contextMenuQuitAppMenuItem(makeItem(L10n::mainMenu_quit(), &MenuManager::mnu_CloseApplication))
    , contextMenuRebuildDataMenuItem(makeItem(L10n::mainMenu_reloadData(), &MenuManager::mnu_RebuildData))
    , contextMenuImportShortcutsMenuItem(makeItem(L10n::mainMenu_importShortcuts(), &MenuManager::mnu_ImportShortcuts))
    , contextMenuAddFileOrFolderMenuItem(makeItem(L10n::mainMenu_AddFileOrFolder(), &MenuManager::mnu_AddFileOrFolder))
    , contextMenuAddURLMenuItem(makeItem(L10n::mainMenu_AddURL(), &MenuManager::mnu_AddURL))
    , mainMenu_(new QMenu())
    , statusbarMenu_(new QMenu())
    , environment_(defaultEnvironment())
{
    mainMenu_->setObjectName(QStringLiteral("mainMenu"));
    statusbarMenu_->setObjectName(QStringLiteral("statusbarMenu"));
}

MenuManager::~MenuManager()
{
    delete mainMenu_;
    delete statusbarMenu_;
}

QAction* MenuManager::makeItem(const QString& title, void (MenuManager::*command)())
{
    auto* action = new QAction(title, this);
    connect(action, &QAction::triggered, this, [this, command] { (this->*command)(); });
    return action;
}

MenuManager::Environment MenuManager::defaultEnvironment()
{
    Environment environment;
    environment.exportImportIdle = [] {
        return ExportImportManager::shared().state() == ExportImportManagerState::idle;
    };
    environment.modalPanelVisible = [] { return WindowManagerCalls::isModalPanelVisible(); };
    environment.visibleWindowTypes = [] { return WindowManagerCalls::visibleWindowTypes(); };
    environment.mainWindowState = [] { return WindowManagerCalls::mainWindowState(); };
    environment.shortcutsAvailable = [] { return QFileInfo(Shortcuts::shared().shortcutCommand).isExecutable(); };
    return environment;
}

const QList<VantelWindowEnum::Kind>& MenuManager::modalVantelWindowTypes()
{
    return VantelManager::modalVantelWindowTypes;
}

QMenu* MenuManager::getMainMenu()
{
    if (!statusbarMenu_->actions().isEmpty())
        statusbarMenu_->clear();
    if (mainMenu_->actions().isEmpty())
        fillMainMenu();
    validateMenuItems();
    return mainMenu_;
}

QMenu* MenuManager::getStatusbarMenu()
{
    if (!mainMenu_->actions().isEmpty())
        mainMenu_->clear();
    if (statusbarMenu_->actions().isEmpty())
        fillStatusbarMenu();
    validateMenuItems();
    return statusbarMenu_;
}

void MenuManager::fillMainMenu()
{
    mainMenu_->clear();
    statusbarMenu_->clear();
    QMenu* m = mainMenu_;
    m->addAction(contextMenuShowInfoMenuItem);
    m->addSeparator();
    m->addAction(contextMenuShowSettingsMenuItem);
    m->addSeparator();
    m->addAction(contextMenuAddFileOrFolderMenuItem);
    m->addAction(contextMenuAddURLMenuItem);
    m->addSeparator();
    m->addAction(contextMenuShowDataMenuItem);
    m->addAction(contextMenuShowTagsMenuItem);
    m->addSeparator();
    m->addAction(contextMenuShowHotkeyOverviewMenuItem);
    m->addAction(contextMenuShowManualMenuItem);
    m->addAction(contextMenuShowWebsiteMenuItem);
    m->addAction(contextMenuShowVersionHistoryMenuItem);
    m->addSeparator();
    m->addAction(contextMenuQuitAppMenuItem);
}

void MenuManager::fillStatusbarMenu()
{
    mainMenu_->clear();
    statusbarMenu_->clear();
    QMenu* m = statusbarMenu_;
    m->addAction(contextMenuShowInfoMenuItem);
    m->addSeparator();
    m->addAction(contextMenuShowSettingsMenuItem);
    m->addSeparator();
    m->addAction(contextMenuShowDataMenuItem);
    m->addAction(contextMenuShowTagsMenuItem);
    m->addAction(contextMenuRebuildDataMenuItem);
    // Only where the shortcuts tool exists (never on a plain Linux desktop).
    if (environment_.shortcutsAvailable && environment_.shortcutsAvailable())
        m->addAction(contextMenuImportShortcutsMenuItem);
    m->addSeparator();
    m->addAction(contextMenuShowVersionedBackupMenuItem);
    m->addAction(contextMenuExportMenuItem);
    m->addAction(contextMenuImportMenuItem);
    m->addSeparator();
    m->addAction(contextMenuShowHotkeyOverviewMenuItem);
    m->addAction(contextMenuShowManualMenuItem);
    m->addAction(contextMenuShowWebsiteMenuItem);
    m->addAction(contextMenuShowVersionHistoryMenuItem);
    m->addSeparator();
    m->addAction(contextMenuQuitAppMenuItem);
}

bool MenuManager::isFree() const
{
    if (environment_.exportImportIdle && !environment_.exportImportIdle())
        return false;
    if (environment_.modalPanelVisible && environment_.modalPanelVisible())
        return false;
    const QList<VantelWindowEnum::Kind> visible =
        environment_.visibleWindowTypes ? environment_.visibleWindowTypes() : QList<VantelWindowEnum::Kind>{};
    for (VantelWindowEnum::Kind kind : modalVantelWindowTypes()) {
        if (visible.contains(kind))
            return false;
    }
    return true;
}

void MenuManager::validateMenuItems()
{
    for (QAction* always : {contextMenuShowInfoMenuItem, contextMenuShowHotkeyOverviewMenuItem,
                            contextMenuShowWebsiteMenuItem, contextMenuShowManualMenuItem,
                            contextMenuShowVersionHistoryMenuItem, contextMenuQuitAppMenuItem})
        always->setEnabled(true);

    const bool free = isFree();
    for (QAction* settings : {contextMenuShowSettingsMenuItem, contextMenuShowDataMenuItem, contextMenuShowTagsMenuItem})
        settings->setEnabled(free);

    const QList<VantelWindowEnum::Kind> visible =
        environment_.visibleWindowTypes ? environment_.visibleWindowTypes() : QList<VantelWindowEnum::Kind>{};
    const bool freeAndMainHidden = free && !visible.contains(VantelWindowEnum::main);
    for (QAction* data : {contextMenuExportMenuItem, contextMenuImportMenuItem, contextMenuShowVersionedBackupMenuItem,
                          contextMenuRebuildDataMenuItem, contextMenuImportShortcutsMenuItem})
        data->setEnabled(freeAndMainHidden);
    // Adding files and URLs is never switched off here: the commands check
    // for the main view themselves.
}

void MenuManager::mnu_Info()
{
    VantelWindowEnum::openWindow(false, VantelWindowEnum::info);
}

void MenuManager::mnu_HotkeyOverview()
{
    VantelWindowEnum::openWindow(false, VantelWindowEnum::hotkeyOverview);
}

void MenuManager::mnu_GeneralSettings()
{
    WindowManagerCalls::closeWindows();
    VantelWindowEnum::openWindow(false, VantelWindowEnum::settings);
}

void MenuManager::mnu_DataSettings()
{
    WindowManagerCalls::closeWindows();
    VantelWindowEnum::openWindow(false, VantelWindowEnum::config);
}

void MenuManager::mnu_TagsSettings()
{
    WindowManagerCalls::closeWindows();
    VantelWindowEnum::openWindow(false, VantelWindowEnum::tags);
}

void MenuManager::openURLString(const QString& address)
{
    const QUrl url(address, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty())
        return;
    OpenObject::shared().openAddress(url);
}

void MenuManager::mnu_Website()
{
    openURLString(websiteAddress());
}

void MenuManager::mnu_Manual()
{
    openURLString(manualAddress());
}

void MenuManager::mnu_versionHistory()
{
    VantelWindowEnum::openWindow(false, VantelWindowEnum::versionHistory);
}

void MenuManager::mnu_Export()
{
    WindowManagerCalls::closeWindows();
    ExportImportManager& manager = ExportImportManager::shared();
    WindowManagerCalls::closeWindows();
    manager.exportData().exportDataToFile();
}

void MenuManager::mnu_Import()
{
    WindowManagerCalls::closeWindows();
    ExportImportManager& manager = ExportImportManager::shared();
    WindowManagerCalls::closeWindows();
    manager.importData().importDataFromFile();
}

void MenuManager::mnu_versionedBackups()
{
    WindowManagerCalls::closeWindows();
    AppDelegate::shared().config().saveConfig(false);
    if (const auto store = SandboxFileAccess::shared().persistanceBookmarkStorage())
        store->saveBookmarks();
    VantelWindowEnum::openWindow(false, VantelWindowEnum::versionedBackup);
}

void MenuManager::mnu_CloseApplication()
{
    WindowManagerCalls::closeWindows();
    // The termination sequence runs when the event loop ends.
    QCoreApplication::quit();
}

void MenuManager::mnu_RebuildData()
{
    IconCache::shared().removeAllObjects();
    DataStorage& store = DataStorage::shared();
    store.setEnableDataProxies(false);
    store.setEnableDataProxies(true);
}

void MenuManager::mnu_ImportShortcuts()
{
    if (environment_.shortcutsAvailable && environment_.shortcutsAvailable())
        Shortcuts::shared().importShortcuts();
}

void MenuManager::mnu_AddFileOrFolder()
{
    if (environment_.mainWindowState() < VantelManager::Popover)
        return;
    const auto controller = VantelManager::shared().viewControllerMain();
    const std::optional<QString> tag = controller ? controller->selectedTagName() : std::nullopt;
    DataStorage::shared().filesystemHandler().addFileOrFolder(nullptr, tag);
}

void MenuManager::mnu_AddURL()
{
    if (environment_.mainWindowState() < VantelManager::Popover)
        return;
    const auto controller = VantelManager::shared().viewControllerMain();
    const std::optional<QString> tag = controller ? controller->selectedTagName() : std::nullopt;
    DataStorage::shared().URLHandler().showAddURLSheet(QString(), nullptr, tag);
}

} // namespace vantel
