#include "SettingsTestSupport.h"

#include "access/URLManager.h"
#include "config/ExportImportManager.h"
#include "markdown/view/CustomMarkdownTextView.h"
#include "platform/ScriptedDialogProvider.h"
#include "platform/UserDefaults.h"
#include "platform/XdgPaths.h"
#include "platform/ui/UiCatalog.h"
#include "settings/ui/ConfigViewControllerHotkeyOverview.h"
#include "settings/ui/ConfigViewControllerInfo.h"
#include "settings/ui/ConfigViewControllerVersionedBackup.h"
#include "settings/ui/SettingsWindowController.h"
#include "settings/ui/SettingsWindows.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QTest>

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTableView>

namespace vantel {
namespace {

KeyCombo combo(Key key, qint64 modifiers = KeyCombo::commandKey | KeyCombo::optionKey)
{
    return *KeyCombo::withCarbonModifiers(key, modifiers);
}

// A settings file, store and template list of the test's own, and alerts
// answered from a script.
class BackupWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir(platform::XdgPaths::documentsDir() + QStringLiteral("/Backup")).removeRecursively();
        dialogs = std::make_shared<platform::ScriptedDialogProvider>();
        platform::DialogProvider::setShared(dialogs);
        defaults = std::make_unique<platform::UserDefaults>(test::makeTempDir(QStringLiteral("backup"))
                                                            + QStringLiteral("/settings.plist"));
        config = std::make_unique<Configuration>(*defaults);
        config->setStores(&store, &urls);
        manager = std::make_unique<ExportImportManager>(*config);
    }
    void TearDown() override { platform::DialogProvider::setShared(nullptr); }

    std::shared_ptr<platform::ScriptedDialogProvider> dialogs;
    DataStorage store;
    URLManager urls;
    std::unique_ptr<platform::UserDefaults> defaults;
    std::unique_ptr<Configuration> config;
    std::unique_ptr<ExportImportManager> manager;
    platform::WindowHost host;
};

TEST_F(BackupWindowTest, WithoutBackupsTheListIsEmptyAndRestoreStaysOff)
{
    int closed = 0;
    ConfigViewControllerVersionedBackup pane(*manager, [&closed] { ++closed; });
    host.setContentViewController(&pane);
    host.showWindow();
    EXPECT_EQ(pane.model()->rowCount(), 0);
    EXPECT_FALSE(pane.btnRestoreFromBackup()->isEnabled());
    pane.btnRestoreFromBackupClicked();
    EXPECT_TRUE(dialogs->alerts().isEmpty());
    EXPECT_FALSE(pane.markDownTextView()->toPlainText().isEmpty());
    EXPECT_EQ(closed, 0);
}

TEST_F(BackupWindowTest, CreateListsTheNewBackupFirstAndRestoreAsksBeforeItCloses)
{
    store.allData()->append(TableViewItem::initForURL(QStringLiteral("https://example.org"), QStringLiteral("Example"),
                                                      QString(), ListviewItemSource::other));
    int closed = 0;
    ConfigViewControllerVersionedBackup pane(*manager, [&closed] { ++closed; });
    host.setContentViewController(&pane);
    host.showWindow();
    pane.btnCreateBackupVersion()->click();
    pane.btnCreateBackupVersion()->click();
    ASSERT_EQ(pane.model()->rowCount(), 2);
    const auto listed = manager->exportVersionedBackup().listBackupFiles();
    ASSERT_TRUE(listed);
    // Newest first, the file's name in the second column, a date in the first.
    EXPECT_EQ(pane.model()->path(0), listed->first());
    EXPECT_TRUE(listed->first().endsWith(pane.model()->index(0, 1).data().toString()));
    EXPECT_FALSE(pane.model()->index(0, 0).data().toString().isEmpty());

    pane.tableViewVersionedBackups()->selectRow(1);
    EXPECT_TRUE(pane.btnRestoreFromBackup()->isEnabled());

    // Declined: nothing closes, nothing changes.
    dialogs->queueAlertResponse(0);
    pane.btnRestoreFromBackup()->click();
    test::spinEventLoop(std::chrono::milliseconds(50));
    ASSERT_EQ(dialogs->alerts().size(), 1);
    EXPECT_EQ(dialogs->alerts().first().messageText, QStringLiteral("Importing will overwrite all existing data. Are you sure?"));
    EXPECT_EQ(closed, 0);

    // Accepted: the windows close, then the backup is imported.
    store.allData()->removeAll();
    dialogs->queueAlertResponse(1);
    pane.btnRestoreFromBackup()->click();
    ASSERT_TRUE(test::waitUntil([&] { return closed == 1; }));
    EXPECT_TRUE(test::waitUntil([&] { return store.allData()->count() == 1; }));
    host.close();
}

// A restore or an import replaces entries and settings at once: afterwards
// the hotkeys of the data read back fire, and those they replaced are released.
TEST_F(BackupWindowTest, RestoringOrImportingRegistersTheHotkeysReadBack)
{
    test::AcceptingHotKeys backend;
    HotKeyCenter center(backend);
    HotKeyManager hotkeys(store, *config, center);
    auto entry = TableViewItem::initForURL(QStringLiteral("https://example.org"), QStringLiteral("Example"), QString(),
                                           ListviewItemSource::other);
    store.allData()->append(entry);
    const auto use = [&](Key entryKey, Key windowKey) {
        entry->setHotkey(combo(entryKey));
        config->setGlobalKeyCombo(combo(windowKey));
        store.rebuildData(DataStorageRebuildReason::userInitiatedRequest);
        hotkeys.registerAllHotKeys();
    };
    const auto registered = [&] {
        QStringList keys;
        for (const auto& [identifier, hotKey] : center.hotKeys())
            keys.append(hotKey->keyCombo().displayString());
        keys.sort();
        return keys;
    };
    const QStringList readBack{combo(Key::b).displayString(), combo(Key::g).displayString()};
    use(Key::b, Key::g);
    ASSERT_EQ(registered(), readBack);
    ConfigViewControllerVersionedBackup pane(*manager, {});
    host.setContentViewController(&pane);
    host.showWindow();
    pane.btnCreateBackupVersion()->click();
    const QString backup = pane.model()->path(0);

    use(Key::c, Key::h);
    pane.tableViewVersionedBackups()->selectRow(0);
    dialogs->queueAlertResponse(1);
    pane.btnRestoreFromBackup()->click();
    EXPECT_TRUE(test::waitUntil([&] { return registered() == readBack; }));

    entry = store.allData()->snapshot().first();
    use(Key::c, Key::h);
    dialogs->queueOpenPanelResponse({backup});
    dialogs->queueAlertResponse(1);
    manager->importData().importDataFromFile();
    EXPECT_EQ(registered(), readBack);
    host.close();
}

class OverviewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        defaults = std::make_unique<platform::UserDefaults>(test::makeTempDir(QStringLiteral("overview"))
                                                            + QStringLiteral("/settings.plist"));
        config = std::make_unique<Configuration>(*defaults);
    }
    static QStringList texts(const QList<HotkeyOverviewRow>& rows)
    {
        QStringList out;
        for (const HotkeyOverviewRow& row : rows)
            out << row.hotkey + QLatin1Char('=') + row.description;
        return out;
    }

    std::unique_ptr<platform::UserDefaults> defaults;
    std::unique_ptr<Configuration> config;
};

TEST_F(OverviewTest, WithoutHotkeysOnlyTheFourHeadingsShow)
{
    const auto sections = HotkeyOverviewContentView::sections(*config, {}, {});
    ASSERT_EQ(sections.size(), 4);
    QStringList titles;
    for (const auto& section : sections) {
        ASSERT_TRUE(section.title);
        titles << *section.title;
        EXPECT_TRUE(section.rows.isEmpty());
    }
    EXPECT_EQ(titles, (QStringList{QStringLiteral("Hotkeys for categories"), QStringLiteral("Hotkeys for entries"),
                                   QStringLiteral("Hotkeys to show a tag"),
                                   QStringLiteral("Hotkeys to launch all entries of a tag")}));

    ConfigViewControllerHotkeyOverview overview(sections);
    overview.view();
    EXPECT_EQ(overview.contentView()->sectionWidgets().size(), 4);
}

TEST_F(OverviewTest, EverySectionListsItsRowsInItsOrder)
{
    config->setGlobalKeyCombo(combo(Key::k));
    // Two categories on the same keys give one row: the later one's.
    config->setGlobalKeyComboCategories(Configuration::SidebarCategory::files, combo(Key::a));
    config->setGlobalKeyComboCategories(Configuration::SidebarCategory::urls, combo(Key::a));
    config->setGlobalKeyComboCategories(Configuration::SidebarCategory::favorites, combo(Key::b));
    config->setGlobalKeyComboCategories(Configuration::SidebarCategory::folders, combo(Key::c));

    auto zeta = TableViewItem::initForURL(QStringLiteral("https://z.example"), QStringLiteral("zeta"), QString(),
                                          ListviewItemSource::other);
    zeta->setHotkey(combo(Key::z));
    auto alpha = TableViewItem::initForURL(QStringLiteral("https://a.example"), QStringLiteral("Alpha"), QString(),
                                           ListviewItemSource::other);
    alpha->setHotkey(combo(Key::one));
    alpha->setIsVisible(false);
    auto none = TableViewItem::initForURL(QStringLiteral("https://n.example"), QStringLiteral("none"), QString(),
                                          ListviewItemSource::other);
    auto work = iconTag::create(QStringLiteral("Work"), QStringLiteral("tag"));
    work->setHotkey(combo(Key::w));
    auto office = iconTag::create(QStringLiteral("Office"), QStringLiteral("tag"));
    office->setHotkey(combo(Key::o));
    office->setHotkeyLaunchAll(combo(Key::l));

    const auto sections = HotkeyOverviewContentView::sections(*config, {zeta, none, alpha}, {work, office});
    ASSERT_EQ(sections.size(), 5);
    EXPECT_FALSE(sections[0].title);
    EXPECT_EQ(texts(sections[0].rows), QStringList{combo(Key::k).displayString() + QStringLiteral("=Hotkey to show the main window")});
    const QStringList categories = texts(sections[1].rows);
    ASSERT_EQ(categories.size(), 3);
    EXPECT_EQ(categories[0], combo(Key::c).displayString() + QStringLiteral("=Folders"));
    EXPECT_EQ(categories[1], combo(Key::b).displayString() + QStringLiteral("=Favorites"));
    EXPECT_EQ(categories[2], combo(Key::a).displayString() + QStringLiteral("=URLs"));
    // Entries by name, whatever their visibility; tags by name.
    EXPECT_EQ(texts(sections[2].rows), (QStringList{combo(Key::one).displayString() + QStringLiteral("=Alpha"),
                                                    combo(Key::z).displayString() + QStringLiteral("=zeta")}));
    EXPECT_EQ(texts(sections[3].rows), (QStringList{combo(Key::o).displayString() + QStringLiteral("=Office"),
                                                    combo(Key::w).displayString() + QStringLiteral("=Work")}));
    EXPECT_EQ(texts(sections[4].rows), QStringList{combo(Key::l).displayString() + QStringLiteral("=Office")});

    // The rows' columns are 150 and 450 wide, the hotkey right-aligned.
    ConfigViewControllerHotkeyOverview overview(sections);
    overview.view()->resize(*overview.preferredContentSize());
    overview.view()->show();
    const auto hotkeys = overview.view()->findChildren<QLabel*>(QStringLiteral("hotkey"));
    ASSERT_EQ(hotkeys.size(), 1 + 3 + 2 + 2 + 1);
    for (QLabel* label : hotkeys) {
        EXPECT_EQ(label->width(), 150);
        EXPECT_TRUE(label->alignment() & Qt::AlignRight);
    }
    for (QLabel* label : overview.view()->findChildren<QLabel*>(QStringLiteral("description")))
        EXPECT_EQ(label->width(), 450);
}

// A double tap the desktop never reports says so in every section it stands in.
TEST_F(OverviewTest, ACombinationNeverSeenSaysSo)
{
    const KeyCombo doubleTap = *KeyCombo::withDoubledCarbonModifiers(ModifierFlags::carbonOption);
    config->setGlobalKeyCombo(doubleTap);
    config->setGlobalKeyComboCategories(Configuration::SidebarCategory::files, combo(Key::a));
    auto entry = TableViewItem::initForURL(QStringLiteral("https://e.example"), QStringLiteral("Ledger"), QString(),
                                           ListviewItemSource::other);
    entry->setHotkey(doubleTap);
    const auto unseen = [](const KeyCombo& combination) { return bool(combination.doubledModifiers()); };
    const auto sections = HotkeyOverviewContentView::sections(*config, {entry}, {}, unseen);
    ASSERT_EQ(sections.size(), 5);
    EXPECT_EQ(texts(sections[0].rows), QStringList{doubleTap.displayString()
                                                   + QStringLiteral("=Hotkey to show the main window (not seen on this desktop)")});
    EXPECT_EQ(texts(sections[1].rows), QStringList{combo(Key::a).displayString() + QStringLiteral("=Files")});
    EXPECT_EQ(texts(sections[2].rows),
              QStringList{doubleTap.displayString() + QStringLiteral("=Ledger (not seen on this desktop)")});
}

TEST(SettingsWindows, EveryKindOpensFromTheCatalogue)
{
    registerSettingsWindows();
    const std::pair<VantelWindowEnum::Kind, const char*> kinds[] = {
        {VantelWindowEnum::settings, "Preferences"},
        {VantelWindowEnum::versionedBackup, "Save configuration (versioned)"},
        {VantelWindowEnum::info, "About Vantel"},
        {VantelWindowEnum::hotkeyOverview, "Overview of keyboard shortcuts"},
        {VantelWindowEnum::versionHistory, "What's new?"},
    };
    for (const auto& [kind, title] : kinds) {
        auto controller = platform::UiCatalog::main().instantiateAs<SettingsWindowController>(
            VantelWindowEnum::getStoryBoardAsString(kind), VantelWindowEnum::getWindowControllerIdentifier(kind));
        ASSERT_TRUE(controller) << title;
        EXPECT_EQ(controller->window()->windowTitle(), QString::fromUtf8(title));
        ASSERT_TRUE(controller->contentViewController());
        // Offscreen nothing composites: the frameless windows are opaque.
        EXPECT_FALSE(controller->isTranslucent());
    }
}

TEST(SettingsWindows, EscapeClosesPreferences)
{
    registerSettingsWindows();
    auto controller = platform::UiCatalog::main().instantiateAs<SettingsWindowController>(
        VantelWindowEnum::getStoryBoardAsString(VantelWindowEnum::settings),
        VantelWindowEnum::getWindowControllerIdentifier(VantelWindowEnum::settings));
    ASSERT_TRUE(controller);
    controller->showWindow(false);
    QApplication::processEvents();
    QWidget* focus = controller->window()->focusWidget() ? controller->window()->focusWidget() : controller->window();
    QTest::keyClick(focus, Qt::Key_Escape);
    EXPECT_FALSE(controller->isWindowOpen());
}

TEST(SettingsWindows, InfoShowsItsTextAndVersion)
{
    ConfigViewControllerInfo info;
    SettingsWindowController window(std::shared_ptr<ViewController>(&info, [](ViewController*) {}),
                                    QStringLiteral("About Vantel"), SettingsWindowController::Frame::frameless);
    window.showWindow(false);
    EXPECT_TRUE(info.textView()->toPlainText().contains(QStringLiteral("Vantel")));
    EXPECT_TRUE(info.versionLabel()->text().startsWith(QStringLiteral("Version ")));
    EXPECT_EQ(window.window()->size(), ConfigViewControllerInfo::preferredSize);
    window.close();
    // A second appearance applies the same look again.
    window.showWindow(false);
    EXPECT_EQ(window.window()->size(), ConfigViewControllerInfo::preferredSize);
    window.close();
    window.setContentViewController(nullptr);
}

} // namespace
} // namespace vantel
