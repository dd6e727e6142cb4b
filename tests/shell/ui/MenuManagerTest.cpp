#include "datastore/DataStorage.h"
#include "datastore/FakeWindowRequests.h"
#include "datastore/TagManager.h"
#include "datastore/WindowRequests.h"
#include "mainwindow/MainViewController.h"
#include "model/iconTag.h"
#include "platform/ScriptedDialogProvider.h"
#include "platform/Workspace.h"
#include "platform/ui/WindowHost.h"
#include "shell/AppDelegate.h"
#include "shell/VantelManager.h"
#include "shell/ui/MenuManager.h"
#include "shell/ui/StatusItem.h"
#include "support/ShownTexts.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QPainter>

#include <algorithm>

namespace vantel {
namespace {

// Item titles with "|" for separators.
QStringList layout(QMenu* menu)
{
    QStringList titles;
    for (QAction* action : menu->actions())
        titles << (action->isSeparator() ? QStringLiteral("|") : action->text());
    return titles;
}

QStringList enabled(QMenu* menu)
{
    QStringList titles;
    for (QAction* action : menu->actions()) {
        if (!action->isSeparator() && action->isEnabled())
            titles << action->text();
    }
    return titles;
}

struct Scene {
    bool idle = true;
    bool modal = false;
    QList<VantelWindowEnum::Kind> visible;
    bool shortcuts = false;
};

class MenuManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        MenuManager::Environment environment;
        environment.exportImportIdle = [this] { return scene.idle; };
        environment.modalPanelVisible = [this] { return scene.modal; };
        environment.visibleWindowTypes = [this] { return scene.visible; };
        environment.mainWindowState = [this] { return scene.visible.contains(VantelWindowEnum::main) ? 3 : 2; };
        environment.shortcutsAvailable = [this] { return scene.shortcuts; };
        menus.setEnvironment(environment);
    }

    Scene scene;
    MenuManager menus;
};

const QStringList statusLayout{
    "About Vantel…", "|", "Preferences…", "|", "Modify Data…", "Tags…", "Refresh Data", "|",
    "Save configuration (versioned)…", "Export configuration…", "Import configuration…", "|",
    "Overview of keyboard shortcuts…", "Online help", "Website of Vantel", "What's new…", "|", "Quit"};
const QStringList mainLayout{
    "About Vantel…", "|", "Preferences…", "|", "Add File or Folder…", "Add URL…", "|", "Modify Data…", "Tags…",
    "|", "Overview of keyboard shortcuts…", "Online help", "Website of Vantel", "What's new…", "|", "Quit"};
const QStringList everything{
    "About Vantel…", "Preferences…", "Modify Data…", "Tags…", "Refresh Data",
    "Save configuration (versioned)…", "Export configuration…", "Import configuration…",
    "Overview of keyboard shortcuts…", "Online help", "Website of Vantel", "What's new…", "Quit"};

TEST_F(MenuManagerTest, EachMenuIsCompleteAfterTheOther)
{
    EXPECT_EQ(layout(menus.getStatusbarMenu()), statusLayout);
    EXPECT_EQ(layout(menus.getMainMenu()), mainLayout);
    EXPECT_TRUE(menus.statusbarMenu()->actions().isEmpty());
    EXPECT_EQ(layout(menus.getStatusbarMenu()), statusLayout);
    EXPECT_TRUE(menus.mainMenu()->actions().isEmpty());
    // Asking again keeps the filled menu as it is.
    EXPECT_EQ(layout(menus.getStatusbarMenu()), statusLayout);
}

TEST_F(MenuManagerTest, ShortcutsImportOnlyWhereTheToolExists)
{
    scene.shortcuts = true;
    QStringList withTool = statusLayout;
    withTool.insert(withTool.indexOf(QStringLiteral("Refresh Data")) + 1,
                    QStringLiteral("Import Shortcuts from the Shortcuts-App"));
    EXPECT_EQ(layout(menus.getStatusbarMenu()), withTool);
}

TEST_F(MenuManagerTest, EnablingFollowsTheWindowsOnScreen)
{
    EXPECT_EQ(enabled(menus.getStatusbarMenu()), everything);

    // The main view up: no data commands, settings still.
    scene.visible = {VantelWindowEnum::main};
    EXPECT_EQ(enabled(menus.getStatusbarMenu()),
              (QStringList{"About Vantel…", "Preferences…", "Modify Data…", "Tags…",
                           "Overview of keyboard shortcuts…", "Online help", "Website of Vantel", "What's new…",
                           "Quit"}));

    const QStringList onlyAlways{"About Vantel…", "Overview of keyboard shortcuts…", "Online help",
                                 "Website of Vantel", "What's new…", "Quit"};
    for (VantelWindowEnum::Kind blocking : MenuManager::modalVantelWindowTypes()) {
        scene.visible = {blocking};
        EXPECT_EQ(enabled(menus.getStatusbarMenu()), onlyAlways) << VantelWindowEnum::name(blocking).toStdString();
    }
    // Windows that block nothing.
    scene.visible = {VantelWindowEnum::info, VantelWindowEnum::hotkeyOverview, VantelWindowEnum::firstRun};
    EXPECT_EQ(enabled(menus.getStatusbarMenu()), everything);

    scene.visible = {};
    scene.modal = true;
    EXPECT_EQ(enabled(menus.getStatusbarMenu()), onlyAlways);
    scene.modal = false;
    scene.idle = false;
    EXPECT_EQ(enabled(menus.getStatusbarMenu()), onlyAlways);
}

TEST_F(MenuManagerTest, AddingIsLeftEnabledAndNeedsTheMainView)
{
    scene.visible = {VantelWindowEnum::settings};
    QMenu* menu = menus.getMainMenu();
    EXPECT_TRUE(menus.contextMenuAddFileOrFolderMenuItem->isEnabled());
    EXPECT_TRUE(menus.contextMenuAddURLMenuItem->isEnabled());
    EXPECT_EQ(menu, menus.mainMenu());

    // Both need the main view on screen: without it no panel and no URL window.
    auto dialogs = std::make_shared<platform::ScriptedDialogProvider>();
    platform::DialogProvider::setShared(dialogs);
    const auto before = WindowRequests::shared();
    auto windows = std::make_shared<test::FakeWindowRequests>();
    WindowRequests::setShared(windows);
    const auto urlWindowsOpened = [&] {
        return std::count_if(windows->opened.cbegin(), windows->opened.cend(),
                             [](const auto& opened) { return opened.first == WindowKind::addOrModifyURL; });
    };
    scene.visible = {};
    menus.contextMenuAddURLMenuItem->trigger();
    menus.contextMenuAddFileOrFolderMenuItem->trigger();
    EXPECT_EQ(urlWindowsOpened(), 0);
    EXPECT_TRUE(dialogs->openPanels().isEmpty());
    scene.visible = {VantelWindowEnum::main};
    dialogs->queueOpenPanelCancel();
    menus.contextMenuAddURLMenuItem->trigger();
    menus.contextMenuAddFileOrFolderMenuItem->trigger();
    EXPECT_EQ(urlWindowsOpened(), 1);
    EXPECT_EQ(dialogs->openPanels().size(), 1);
    WindowRequests::setShared(before);
    platform::DialogProvider::setShared(nullptr);
}

TEST_F(MenuManagerTest, AddingGivesTheNewEntryTheTagTheMainViewShows)
{
    auto dialogs = std::make_shared<platform::ScriptedDialogProvider>();
    platform::DialogProvider::setShared(dialogs);
    DataStorage& store = DataStorage::shared();
    auto site = TableViewItem::initForURL(QStringLiteral("https://office.example/"), QStringLiteral("Office site"),
                                          QString(), ListviewItemSource::other);
    site->setTags({QStringLiteral("Office")});
    store.allData()->append(site);
    store.tagManager().allAvailableTags()->append(iconTag::create(QStringLiteral("Office"), QStringLiteral("icon_folder")));
    store.rebuildData(DataStorageRebuildReason::userInitiatedRequest);
    auto controller = std::make_shared<mainwindow::MainViewController>();
    platform::WindowHost host;
    host.setContentViewController(controller.get());
    host.showWindow();
    VantelManager::shared().setViewControllerMain(controller);
    scene.visible = {VantelWindowEnum::main};
    const QString invoice = test::makeTempDir(QStringLiteral("menu-add")) + QStringLiteral("/invoice.pdf");
    ASSERT_TRUE(QFile(invoice).open(QIODevice::WriteOnly));

    ASSERT_TRUE(controller->selectItemWithTagName(QStringLiteral("Office")));
    dialogs->queueOpenPanelResponse({invoice});
    menus.contextMenuAddFileOrFolderMenuItem->trigger();
    ASSERT_TRUE(store.entryForPath(invoice));
    EXPECT_EQ(store.entryForPath(invoice)->tags(), QStringList{QStringLiteral("Office")});
    host.close();
    VantelWindowEnum::reset();
    platform::DialogProvider::setShared(nullptr);
}

// Through the desktop's handler of https, as URL entries open: no xdg-open needed.
TEST_F(MenuManagerTest, HelpAndWebsiteOpenInTheDefaultBrowser)
{
    const QString folder = test::makeTempDir(QStringLiteral("browser"));
    const QString entry = qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/applications/vantel-browser.desktop");
    for (const auto& [path, text] : {std::pair(folder + QStringLiteral("/record.sh"),
                                               "#!/bin/sh\nprintf '%s\\n' \"$1\" >> " + folder + "/opened\n"),
                                     std::pair(entry, "[Desktop Entry]\nType=Application\nName=Browser\nExec=" + folder
                                                          + "/record.sh %u\nMimeType=x-scheme-handler/https;\n"),
                                     std::pair(qEnvironmentVariable("XDG_CONFIG_HOME") + "/mimeapps.list",
                                               QStringLiteral("[Default Applications]\n"
                                                              "x-scheme-handler/https=vantel-browser.desktop\n"))}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) > 0);
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    // GIO notices new desktop entries through a file monitor.
    ASSERT_TRUE(test::waitUntil([&] {
        return platform::Workspace::shared().urlForApplicationToOpen(QUrl(MenuManager::manualAddress())) == entry;
    }, std::chrono::seconds(15)));
    const auto opened = [&] {
        QFile file(folder + QStringLiteral("/opened"));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    };
    menus.contextMenuShowManualMenuItem->trigger();
    ASSERT_TRUE(test::waitUntil([&] { return !opened().isEmpty(); }));
    menus.contextMenuShowWebsiteMenuItem->trigger();
    EXPECT_TRUE(test::waitUntil([&] {
        return opened() == MenuManager::manualAddress() + QLatin1Char('\n') + MenuManager::websiteAddress() + QLatin1Char('\n');
    }));
}

TEST_F(MenuManagerTest, WebAddressesAreSecure)
{
    EXPECT_TRUE(MenuManager::websiteAddress().startsWith(QStringLiteral("https://")));
    EXPECT_EQ(MenuManager::manualAddress(), MenuManager::websiteAddress() + QStringLiteral("/help"));
}

// Run with LANG=de_DE.UTF-8 only: both menus in German, in the same layout.
using GermanMenuManagerTest = MenuManagerTest;
TEST_F(GermanMenuManagerTest, BothMenusSpeakGerman)
{
    const QStringList german{"Über Vantel …", "|", "Einstellungen …", "|", "Daten bearbeiten …", "Tags …",
                             "Daten aktualisieren", "|", "Konfiguration sichern (versioniert) …",
                             "Konfiguration exportieren …", "Konfiguration importieren …", "|",
                             "Übersicht der Tastenkürzel …", "Online-Hilfe", "Website von Vantel", "Was ist neu …", "|",
                             "Beenden"};
    EXPECT_EQ(layout(menus.getStatusbarMenu()), german);
    EXPECT_TRUE(layout(menus.getMainMenu()).contains(QStringLiteral("Datei oder Ordner hinzufügen …")));
}

// The tray's picture and the status menu as a person sees them.
TEST_F(MenuManagerTest, RendersTheStatusItemAndMenu)
{
    scene.visible = {VantelWindowEnum::main};
    QMenu* menu = menus.getStatusbarMenu();
    menu->adjustSize();
    const QPixmap menuPicture = menu->grab();
    EXPECT_GT(menuPicture.height(), 200);
    // Under a German locale, both menus in German (the items move from one to the other).
    QStringList english = test::englishLeftInGerman(menu);
    QMenu* mainMenu = menus.getMainMenu();
    mainMenu->adjustSize();
    const QPixmap mainMenuPicture = mainMenu->grab();
    english << test::englishLeftInGerman(mainMenu);
    EXPECT_TRUE(english.isEmpty()) << english.join(u'\n').toStdString();

    StatusItem item([] { return false; });
    QImage icons(4 * 40 + 8, 48, QImage::Format_ARGB32);
    icons.fill(Qt::transparent);
    QPainter painter(&icons);
    painter.fillRect(0, 0, icons.width() / 2, 48, QColor(0x31, 0x36, 0x3b));
    painter.fillRect(icons.width() / 2, 0, icons.width() / 2, 48, QColor(0xef, 0xf0, 0xf1));
    for (int i = 1; i <= 4; ++i) {
        AppDelegate::shared().setMenubarIcon(QStringLiteral("statusbar-%1").arg(i), AppDelegate::menubarIconSize, &item);
        ASSERT_TRUE(item.image().has_value()) << i;
        EXPECT_EQ(item.image()->availableSizes().value(0), QSize(18, 18));
        painter.drawPixmap(8 + (i - 1) * 40, 8, item.image()->pixmap(QSize(36, 36)));
    }
    painter.end();

    // An unknown name falls back to the default picture.
    AppDelegate::shared().setMenubarIcon(QStringLiteral("no-such-icon"), AppDelegate::menubarIconSize, &item);
    ASSERT_TRUE(item.image().has_value());
    EXPECT_FALSE(item.image()->isNull());

    const QString folder = vantel::test::outputFolder();
    ASSERT_TRUE(QDir().mkpath(folder));
    EXPECT_TRUE(menuPicture.save(folder + QStringLiteral("/status-menu.png")));
    EXPECT_TRUE(mainMenuPicture.save(folder + QStringLiteral("/main-menu.png")));
    EXPECT_TRUE(icons.save(folder + QStringLiteral("/status-icons.png")));
}

} // namespace
} // namespace vantel
