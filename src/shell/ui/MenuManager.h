#pragma once

#include "shell/VantelWindowEnum.h"

#include <QList>
#include <QObject>

#include <functional>

class QAction;
class QMenu;

namespace vantel {

// The commands of the two menus: the status menu of the tray icon and the
// main menu of the main view's menu button. Both are built from one set of
// sixteen actions; building one menu empties the other, so an action sits in
// one menu at a time. Each time a menu is asked for, its actions are enabled
// from the windows on screen and the export/import state. Main thread.
class MenuManager : public QObject {
    Q_OBJECT
public:
    static MenuManager& shared();
    MenuManager();
    ~MenuManager() override;

    // What the enabling rule reads; the window manager's answers unless a
    // test replaces them.
    struct Environment {
        std::function<bool()> exportImportIdle;
        std::function<bool()> modalPanelVisible;
        std::function<QList<VantelWindowEnum::Kind>()> visibleWindowTypes;
        std::function<int()> mainWindowState;
        // Whether the tool that lists the user's shortcuts exists.
        std::function<bool()> shortcutsAvailable;
    };
    static Environment defaultEnvironment();
    void setEnvironment(Environment environment) { environment_ = std::move(environment); }

    // The kinds whose windows block the settings and data commands.
    static const QList<VantelWindowEnum::Kind>& modalVantelWindowTypes();

    QMenu* getMainMenu();
    QMenu* getStatusbarMenu();
    void fillMainMenu();
    void fillStatusbarMenu();
    void validateMenuItems();

    QMenu* mainMenu() const { return mainMenu_; }
    QMenu* statusbarMenu() const { return statusbarMenu_; }

    QAction* const contextMenuShowInfoMenuItem;
    QAction* const contextMenuShowHotkeyOverviewMenuItem;
    QAction* const contextMenuShowSettingsMenuItem;
    QAction* const contextMenuShowDataMenuItem;
    QAction* const contextMenuShowTagsMenuItem;
    QAction* const contextMenuShowWebsiteMenuItem;
    QAction* const contextMenuShowManualMenuItem;
    QAction* const contextMenuShowVersionHistoryMenuItem;
    QAction* const contextMenuExportMenuItem;
    QAction* const contextMenuImportMenuItem;
    QAction* const contextMenuShowVersionedBackupMenuItem;
    QAction* const contextMenuQuitAppMenuItem;
    QAction* const contextMenuRebuildDataMenuItem;
    QAction* const contextMenuImportShortcutsMenuItem;
    QAction* const contextMenuAddFileOrFolderMenuItem;
    QAction* const contextMenuAddURLMenuItem;

    // The product's web site and its help page.
    static QString websiteAddress() { return QStringLiteral("https://vantel.tarnwick.net"); }
    static QString manualAddress() { return websiteAddress() + QStringLiteral("/help"); }

    // The commands.
    void mnu_Info();
    void mnu_HotkeyOverview();
    void mnu_GeneralSettings();
    void mnu_DataSettings();
    void mnu_TagsSettings();
    void mnu_Website();
    void mnu_Manual();
    void mnu_versionHistory();
    void mnu_Export();
    void mnu_Import();
    void mnu_versionedBackups();
    void mnu_CloseApplication();
    void mnu_RebuildData();
    void mnu_ImportShortcuts();
    void mnu_AddFileOrFolder();
    void mnu_AddURL();

private:
    QAction* makeItem(const QString& title, void (MenuManager::*command)());
    void openURLString(const QString& address);
    bool isFree() const;

    QMenu* mainMenu_;
    QMenu* statusbarMenu_;
    Environment environment_;
};

} // namespace vantel
