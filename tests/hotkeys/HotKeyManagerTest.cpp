#include "hotkeys/HotKeyActions.h"
#include "hotkeys/HotKeyCenter.h"
#include "hotkeys/HotKeyManager.h"
#include "model/ExecutionServices.h"
#include "support/FakeMainViewServices.h"

#include "XServer.h"
#include "datastore/DatastoreTestSupport.h"

using namespace vantel;
using namespace vantel::test;

namespace {

constexpr qint64 ctrlAlt = ModifierFlags::carbonCommand | ModifierFlags::carbonOption;
constexpr unsigned controlMask = 1u << 2;
constexpr unsigned mod1Mask = 1u << 3;

KeyCombo ctrlAltWith(Key key)
{
    return *KeyCombo::withCarbonModifiers(key, ctrlAlt);
}

class RecordingServices : public ExecutionServices {
public:
    void openURLString(const QString& url, const std::optional<QVariantList>&) override { opened << url; }
    void readVolumeAttributes(const QUrl&) override {}
    void openPath(const QString& path, const std::optional<QVariantList>&, const QString&) override { opened << path; }
    void launchAllEntriesOfTag(const QString& tagName) override { opened << QStringLiteral("all of ") + tagName; }
    bool selectFile(const QString&) override { return true; }
    bool isApplicationRunning(const QString&) override { return false; }
    QStringList opened;
};

class MainView : public MainViewController {
public:
    bool modifierFlagsContainOptionKey() const override { return false; }
    bool hasSectionView() const override { return true; }
    bool selectItemWithTagName(const QString& tagName) override
    {
        selected << tagName;
        return true;
    }
    bool selectItemWithSelectionType(int selectionType) override
    {
        selected << QString::number(selectionType);
        return true;
    }
    void updateMainTableView() override {}
    QStringList selected;
};

class HotKeyManagerTest : public DatastoreTest {
protected:
    void SetUp() override
    {
        DatastoreTest::SetUp();
        services = std::make_shared<RecordingServices>();
        ExecutionServices::setShared(services);
        view = std::make_shared<MainView>();
        mainView = std::make_shared<FakeMainViewServices>();
        mainView->controller = view;
        mainView->state = MainViewServices::NotVisible;
        mainView->onShow = [this] { mainView->state = MainViewServices::Popover; };
        mainView->onSwitch = [this] { ++switches; };
        MainViewServices::setShared(mainView);
        for (int i = 0; i < 7; ++i) {
            config().setSidebarCategoriesShow(static_cast<Configuration::SidebarCategory>(i), false);
            config().setGlobalKeyComboCategories(static_cast<Configuration::SidebarCategory>(i), std::nullopt);
        }
        config().setGlobalKeyCombo(std::nullopt);
    }

    void TearDown() override
    {
        manager.reset();
        HotKeyCenter::shared().unregisterAll();
        releaseOtherClientGrabs();
        MainViewServices::setShared(nullptr);
        mainView.reset();
        ExecutionServices::setShared(nullptr);
        DatastoreTest::TearDown();
    }

    void makeManager() { manager = std::make_unique<HotKeyManager>(*store, config(), HotKeyCenter::shared()); }

    void registerAtLaunch()
    {
        for (HotKeyType type : {HotKeyType::categoryKey, HotKeyType::tagKey, HotKeyType::tagKeyLaunchAll,
                                HotKeyType::userDefinedKey, HotKeyType::globalHotKey})
            manager->registerHotKeys(type);
    }

    QStringList hotkeyLines() const
    {
        QStringList lines;
        for (const auto& record : sink.records())
            if (record.category == QLatin1String("hotkeys"))
                lines << record.message;
        return lines;
    }

    platform::Log::CaptureSink sink;
    std::shared_ptr<RecordingServices> services;
    std::shared_ptr<MainView> view;
    std::shared_ptr<FakeMainViewServices> mainView;
    std::unique_ptr<HotKeyManager> manager;
    int switches = 0;
};

} // namespace

TEST_F(HotKeyManagerTest, LaunchOrderDecidesWhoKeepsACombination)
{
    VANTEL_REQUIRE_X_SERVER();
    using Category = Configuration::SidebarCategory;
    config().setSidebarCategoriesShow(Category::files, true);
    config().setGlobalKeyComboCategories(Category::files, ctrlAltWith(Key::k));
    config().setSidebarCategoriesShow(Category::folders, true);
    config().setGlobalKeyComboCategories(Category::folders, ctrlAltWith(Key::f));
    config().setSidebarCategoriesShow(Category::urls, true);
    config().setGlobalKeyComboCategories(Category::urls, ctrlAltWith(Key::k));
    config().setGlobalKeyComboCategories(Category::favorites, ctrlAltWith(Key::v)); // its row is hidden
    config().setGlobalKeyCombo(ctrlAltWith(Key::j));

    auto work = iconTag::create(QStringLiteral("Work"), QStringLiteral("icon_tags"));
    tags().allAvailableTags()->append(work);
    work->setHotkey(ctrlAltWith(Key::k));
    work->setHotkeyLaunchAll(ctrlAltWith(Key::j));
    addURL(QStringLiteral("one"), {QStringLiteral("Work")})->setHotkey(ctrlAltWith(Key::e));
    addURL(QStringLiteral("two"))->setHotkey(ctrlAltWith(Key::e));
    addURL(QStringLiteral("hidden"), {}, false)->setHotkey(ctrlAltWith(Key::h));
    store->rebuildData(DataStorageRebuildReason::datastorageInitialize);

    ASSERT_TRUE(grabKeyAsOtherClient("f", controlMask | mod1Mask));
    makeManager();
    sink.clear();
    registerAtLaunch();

    const QString type = QStringLiteral("# Register Hotkeys for KeyType: Optional(Vantel.HotKeyType.%1)");
    const QString same = QStringLiteral("  Failed register Hotkey - another Hotkey has the same Key-Combination: ");
    EXPECT_EQ(hotkeyLines(),
              (QStringList{type.arg(QStringLiteral("categoryKey")),
                           QStringLiteral("  Registered Hotkey: Alt+Ctrl K -> categoryKey :: allFiles"),
                           QStringLiteral("  Failed register Hotkey in HotKeyCenter: Alt+Ctrl F -> categoryKey :: allFolders"),
                           same + QStringLiteral("Alt+Ctrl K -> categoryKey :: allURLs"),
                           type.arg(QStringLiteral("tagKey")),
                           same + QStringLiteral("Alt+Ctrl K -> tagKey :: Work"),
                           type.arg(QStringLiteral("tagKeyLaunchAll")),
                           QStringLiteral("  Registered Hotkey: Alt+Ctrl J -> tagKeyLaunchAll :: Work"),
                           type.arg(QStringLiteral("userDefinedKey")),
                           QStringLiteral("  Registered Hotkey: Alt+Ctrl E -> userDefinedKey :: https://example.org/one"),
                           same + QStringLiteral("Alt+Ctrl E -> userDefinedKey :: https://example.org/two"),
                           type.arg(QStringLiteral("globalHotKey"))}));

    // Taken by another program: kept and shown as taken. Clashing with ours: cleared.
    EXPECT_EQ(config().globalKeyComboCategories(Category::folders), ctrlAltWith(Key::f));
    EXPECT_TRUE(manager->isTaken(QStringLiteral("categoryKey :: allFolders")));
    EXPECT_FALSE(config().globalKeyComboCategories(Category::urls));
    EXPECT_EQ(config().globalKeyCombo(), ctrlAltWith(Key::j));
    EXPECT_EQ(work->hotkey(), ctrlAltWith(Key::k));
    EXPECT_EQ(HotKeyCenter::shared().hotKeys().size(), 3u);

    sink.clear();
    manager->registerHotKeys(std::nullopt);
    EXPECT_EQ(hotkeyLines(), (QStringList{QStringLiteral("# Register Hotkeys for KeyType: nil"),
                                          QStringLiteral("registerHotKeys -> No valid keyType provided: nil")}));
    EXPECT_EQ(HotKeyCenter::shared().hotKeys().size(), 3u);

    // The entry's hotkey fires from the keyboard and opens it.
    pressKey("Control_L");
    pressKey("Alt_L");
    tapKey("e");
    releaseKey("Alt_L");
    releaseKey("Control_L");
    settle();
    EXPECT_EQ(services->opened, QStringList{QStringLiteral("https://example.org/one")});
}

TEST_F(HotKeyManagerTest, RenamesAndChangesFollow)
{
    VANTEL_REQUIRE_X_SERVER();
    auto work = iconTag::create(QStringLiteral("Work"), QStringLiteral("icon_tags"));
    tags().allAvailableTags()->append(work);
    work->setHotkey(ctrlAltWith(Key::t));
    work->setHotkeyLaunchAll(ctrlAltWith(Key::l));
    auto entry = addURL(QStringLiteral("one"), {QStringLiteral("Work")});
    store->rebuildData(DataStorageRebuildReason::datastorageInitialize);
    makeManager();
    registerAtLaunch();
    auto& center = HotKeyCenter::shared();

    work->setTagName(QStringLiteral("Office"));
    EXPECT_EQ(center.hotKeyWithKeyCombo(ctrlAltWith(Key::t))->hotkeyReferencedPath(), QStringLiteral("Office"));
    EXPECT_EQ(center.hotKeyWithKeyCombo(ctrlAltWith(Key::l))->hotkeyReferencedPath(), QStringLiteral("Office"));

    // A comment changes nothing; a hotkey re-registers the entries.
    entry->setComment(QStringLiteral("note"));
    EXPECT_FALSE(center.hotKeyWithKeyCombo(ctrlAltWith(Key::n)));
    entry->setHotkey(ctrlAltWith(Key::n));
    EXPECT_EQ(center.hotKeyWithKeyCombo(ctrlAltWith(Key::n))->identifier(),
              QStringLiteral("userDefinedKey :: https://example.org/one"));

    // Pauses are counted.
    manager->pauseHotkeys();
    manager->pauseHotkeys();
    manager->resumeHotkeys();
    EXPECT_TRUE(manager->hotkeysPaused());
    manager->resumeHotkeys();
    manager->resumeHotkeys();
    EXPECT_FALSE(manager->hotkeysPaused());
    manager->pauseHotkeys();
    EXPECT_TRUE(manager->hotkeysPaused());
}

TEST_F(HotKeyManagerTest, ActionsGiveWayAndFindTheirTargets)
{
    VANTEL_REQUIRE_X_SERVER();
    auto work = iconTag::create(QStringLiteral("Work"), QStringLiteral("icon_tags"));
    tags().allAvailableTags()->append(work);
    addURL(QStringLiteral("Foo"), {QStringLiteral("Work")});
    addURL(QStringLiteral("foo"));
    addURL(QStringLiteral("third"));
    store->rebuildData(DataStorageRebuildReason::datastorageInitialize);
    makeManager();
    const auto fire = [](const QString& path, KeyCombo combo) {
        auto hotKey = HotKey::create(QStringLiteral("x"), combo, HotKey::ActionQueue::session, {});
        hotKey->setHotkeyReferencedPath(path);
        return hotKey;
    };

    HotKeyActions::entryHotKeyAction(*manager, fire(QStringLiteral("https://example.org/foo"), ctrlAltWith(Key::e)));
    HotKeyActions::entryHotKeyAction(*manager, fire(QStringLiteral("HTTPS://EXAMPLE.ORG/FOO"), ctrlAltWith(Key::e)));
    HotKeyActions::entryHotKeyAction(*manager, fire(QStringLiteral("https://example.org/gone"), ctrlAltWith(Key::e)));
    settle(std::chrono::milliseconds(50));
    EXPECT_EQ(services->opened, (QStringList{QStringLiteral("https://example.org/foo"), QStringLiteral("https://example.org/Foo")}));
    EXPECT_TRUE(hotkeyLines().contains(
        QStringLiteral("Want to execute hotkey but the entry referenced by the hotkey is invalid")));

    services->opened.clear();
    HotKeyActions::tagLaunchAllHotKeyAction(*manager, fire(QStringLiteral("Work"), ctrlAltWith(Key::l)));
    HotKeyActions::tagLaunchAllHotKeyAction(*manager, fire(QStringLiteral("Old name"), ctrlAltWith(Key::l)));
    EXPECT_EQ(services->opened, QStringList{QStringLiteral("all of Work")});
    EXPECT_EQ(mainView->mainWindowState(), MainViewServices::NotVisible);

    HotKeyActions::tagHotKeyAction(*manager, fire(QStringLiteral("Work"), ctrlAltWith(Key::t)));
    EXPECT_EQ(view->selected, QStringList{QStringLiteral("Work")});

    // Switched-off category: nothing shown.
    view->selected.clear();
    HotKeyActions::categoryHotKeyAction(*manager, 4, fire(QString(), ctrlAltWith(Key::u)));
    config().setSidebarCategoriesShow(Configuration::SidebarCategory::urls, true);
    HotKeyActions::categoryHotKeyAction(*manager, 4, fire(QString(), ctrlAltWith(Key::u)));
    HotKeyActions::categoryHotKeyAction(*manager, 1, fire(QString(), ctrlAltWith(Key::u)));
    EXPECT_EQ(view->selected, QStringList{QStringLiteral("4")});

    // The main view takes command-3 while it is up and we are active.
    services->opened.clear();
    mainView->active = true;
    const auto ctrl3 = *KeyCombo::withCarbonModifiers(Key::three, ModifierFlags::carbonCommand);
    const auto ctrl4 = *KeyCombo::withCarbonModifiers(Key::four, ModifierFlags::carbonCommand);
    EXPECT_TRUE(HotKeyActions::isHandledByMainWindow(*manager, ctrl3));
    settle(std::chrono::milliseconds(50));
    EXPECT_EQ(services->opened, QStringList{QStringLiteral("https://example.org/third")});
    EXPECT_FALSE(HotKeyActions::isHandledByMainWindow(*manager, ctrl4));
    EXPECT_FALSE(HotKeyActions::isHandledByMainWindow(*manager, *KeyCombo::withCarbonModifiers(Key::three, ctrlAlt)));
    mainView->active = false;
    EXPECT_FALSE(HotKeyActions::isHandledByMainWindow(*manager, ctrl3));

    // Paused: nothing runs, the window hotkey included.
    manager->pauseHotkeys();
    HotKeyActions::globalHotKeyAction(*manager, fire(QString(), ctrlAltWith(Key::w)));
    HotKeyActions::tagLaunchAllHotKeyAction(*manager, fire(QStringLiteral("Work"), ctrlAltWith(Key::l)));
    EXPECT_EQ(switches, 0);
    manager->resumeHotkeys();
    HotKeyActions::globalHotKeyAction(*manager, fire(QString(), ctrlAltWith(Key::w)));
    settle(std::chrono::milliseconds(50));
    EXPECT_EQ(switches, 1);
    EXPECT_EQ(services->opened.size(), 1);
}
