#include "config/Configuration.h"
#include "datastore/DataStorage.h"
#include "datastore/TagManager.h"
#include "graphics/widgets/DrawnCheckBoxFavorite.h"
#include "graphics/widgets/DrawnColorCircle.h"
#include "graphics/widgets/DrawnMainViewBackground.h"
#include "hotkeys/HotKey.h"
#include "hotkeys/HotKeyCenter.h"
#include "hotkeys/HotKeyManager.h"
#include "hotkeys/ui/RecordView.h"
#include "model/TableViewItemChangedNotifyObject.h"
#include "platform/GlobalHotKeys.h"
#include "platform/Log.h"
#include "platform/NotificationCenter.h"
#include "platform/ui/PopoverHost.h"
#include "platform/ui/UiCatalog.h"
#include "popups/ColorSlider.h"
#include "popups/CustomTextField.h"
#include "popups/CustomTokenField.h"
#include "popups/TableViewPopupManager.h"
#include "popups/TableViewPopupViewController.h"
#include "shell/AppDelegate.h"
#include "support/AcceptingHotKeys.h"
#include "support/ShownTexts.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <memory>

using namespace vantel;

namespace {

using vantel::test::AcceptingHotKeys;

class TableViewPopupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Configuration& config = AppDelegate::shared().config();
        config.setSaveInProgress(false);
        store = std::make_unique<DataStorage>();
        center = std::make_unique<HotKeyCenter>(backend);
        manager = std::make_unique<HotKeyManager>(*store, config, *center);
        controller = std::make_unique<TableViewPopupViewController>(
            TableViewPopupViewController::Services{store.get(), manager.get(), center.get(), &config});
        popover = std::make_unique<platform::PopoverHost>();
        popover->setContentViewController(controller.get());
        controller->setPopover(popover.get());
        observer = platform::NotificationCenter::defaultCenter().addObserver(
            QStringLiteral("tableViewItemChanged"), [this](const platform::Notification& n) {
                if (const auto* object = std::any_cast<TableViewItemChangedNotifyObject>(&n.object))
                    reasons.append(object->reason);
            });
        rebuilds = platform::NotificationCenter::defaultCenter().addObserver(
            QStringLiteral("dataStorageRebuildIsFinished"), [this](const platform::Notification& n) {
                if (n.sender == store.get())
                    ++rebuildCount;
            });
    }

    void TearDown() override
    {
        if (popover->isShown())
            popover->close();
        popover->setContentViewController(nullptr);
        popover.reset();
        controller.reset();
        manager.reset();
        center.reset();
        store.reset();
    }

    TableViewItemPtr spotlightApp()
    {
        auto entry = TableViewItem::initForSpotlightApp(QStringLiteral("/usr/share/applications/editor.desktop"),
                                                        QStringLiteral("Editor"));
        entry->setTags({QStringLiteral("Office"), QStringLiteral("Tools")});
        entry->setComment(QStringLiteral("Writes text"));
        store->allData()->append(entry);
        return entry;
    }
    TableViewItemPtr userURL()
    {
        auto entry = TableViewItem::initForURL(QStringLiteral("https://example.org/"), QStringLiteral("Example"),
                                               QStringLiteral("A site"));
        store->allData()->append(entry);
        return entry;
    }
    TableViewItemPtr userFile()
    {
        const QString folder = test::makeTempDir(QStringLiteral("popup-files"));
        QFile file(folder + QStringLiteral("/notes.txt"));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("notes");
        file.close();
        auto entry = TableViewItem::initForExternalNonSpotlightObject(file.fileName());
        store->allData()->append(entry);
        return entry;
    }

    void showFor(const TableViewItemPtr& item)
    {
        controller->setItem(item);
        popover->showRelativeTo(QRect(600, 300, 240, 24), platform::PopoverHost::left);
        ASSERT_TRUE(popover->isShown());
        reasons.clear();
        rebuildCount = 0;
    }

    AcceptingHotKeys backend;
    std::unique_ptr<DataStorage> store;
    std::unique_ptr<HotKeyCenter> center;
    std::unique_ptr<HotKeyManager> manager;
    std::unique_ptr<TableViewPopupViewController> controller;
    std::unique_ptr<platform::PopoverHost> popover;
    platform::ObserverToken observer;
    platform::ObserverToken rebuilds;
    QList<std::optional<TableViewItemChangeReason>> reasons;
    int rebuildCount = 0;
};

} // namespace

TEST_F(TableViewPopupTest, ShowsTheEntry)
{
    auto entry = spotlightApp();
    entry->setIsFavorite(true);
    entry->setColor(platform::Color{0.2, 0.4, 0.8, 1.0});
    const auto combo = KeyCombo::withCarbonModifiers(Key::e, 256 | 2048);
    ASSERT_TRUE(combo);
    entry->setHotkey(combo);
    showFor(entry);

    EXPECT_TRUE(controller->isVisible());
    EXPECT_EQ(controller->appName()->text(), QStringLiteral("Editor"));
    EXPECT_EQ(controller->appPath()->toolTip(), entry->path());
    EXPECT_FALSE(controller->appImage()->pixmap().isNull());
    EXPECT_EQ(controller->comment()->text(), QStringLiteral("Writes text"));
    EXPECT_EQ(controller->comment()->maxLength(), 100);
    EXPECT_EQ(controller->tags()->objectValue(), (QStringList{QStringLiteral("Office"), QStringLiteral("Tools")}));
    EXPECT_EQ(controller->tags()->internalTagManager(), &store->tagManager());
    EXPECT_EQ(controller->hotkey()->keyCombo(), combo);
    EXPECT_TRUE(controller->checkboxFavorite()->isChecked());
    EXPECT_TRUE(controller->backgroundPreview()->isVisibleTo(controller->view()));
    EXPECT_EQ(controller->backgroundPreview()->color(), entry->color()->toQColor());
    EXPECT_EQ(controller->colorCircles().size(), 18);
    EXPECT_FALSE(controller->needsRebuild());
    EXPECT_FALSE(controller->needsRedraw());
}

TEST_F(TableViewPopupTest, ButtonsFollowSourceAndType)
{
    struct Case {
        TableViewItemPtr entry;
        bool hide, showInFinder, remove, modifyURL;
    };
    const QList<Case> cases{
        {spotlightApp(), true, false, false, false}, // its file does not exist here
        {userURL(), false, false, true, true},
        {userFile(), false, true, true, false},
        {TableViewItem::initForTag(QStringLiteral("Office"), QStringLiteral("Tag [Office]")), true, false, false, false},
    };
    for (const Case& c : cases) {
        showFor(c.entry);
        SCOPED_TRACE(c.entry->name().toStdString());
        EXPECT_EQ(controller->btnHide()->isEnabled(), c.hide);
        EXPECT_EQ(controller->btnShowInFinder()->isEnabled(), c.showInFinder);
        EXPECT_EQ(controller->btnDelete()->isEnabled(), c.remove);
        EXPECT_EQ(controller->btnModifyURL()->isEnabled(), c.modifyURL);
        // The editing controls stay usable for every entry.
        EXPECT_TRUE(controller->colorSlider()->isEnabled());
        EXPECT_TRUE(controller->comment()->isEnabled());
        EXPECT_TRUE(controller->tags()->isEnabled());
        popover->close();
    }
}

TEST_F(TableViewPopupTest, HotkeysPauseWhileShownWithoutUndoingOtherPauses)
{
    showFor(userURL());
    EXPECT_TRUE(manager->hotkeysPaused());
    popover->close();
    EXPECT_FALSE(manager->hotkeysPaused());
    EXPECT_FALSE(controller->isVisible());

    // A settings pane holds its own pause: closing the popover keeps it.
    manager->pauseHotkeys();
    showFor(userURL());
    popover->close();
    EXPECT_TRUE(manager->hotkeysPaused());
    manager->resumeHotkeys();
    EXPECT_FALSE(manager->hotkeysPaused());

    // Without an entry nothing is paused.
    controller->setItem(nullptr);
    popover->showRelativeTo(QRect(600, 300, 240, 24), platform::PopoverHost::left);
    EXPECT_FALSE(manager->hotkeysPaused());
    popover->close();
    EXPECT_FALSE(manager->hotkeysPaused());
}

TEST_F(TableViewPopupTest, CommentEditStaysOpen)
{
    auto entry = userURL();
    showFor(entry);
    controller->comment()->setFocus();
    controller->comment()->endEditing(); // unchanged: nothing announced, the row still redrawn
    controller->controlTextDidEndEditing();
    EXPECT_TRUE(reasons.isEmpty());
    EXPECT_TRUE(controller->needsRedraw());

    controller->comment()->setText(QStringLiteral("Read later"));
    controller->controlTextDidEndEditing();
    EXPECT_EQ(entry->comment(), QStringLiteral("Read later"));
    EXPECT_EQ(reasons, (QList<std::optional<TableViewItemChangeReason>>{TableViewItemChangeReason::commentChanged}));
    EXPECT_TRUE(popover->isShown());
    EXPECT_EQ(rebuildCount, 0);
}

TEST_F(TableViewPopupTest, TagEditRebuildsAndCloses)
{
    auto entry = spotlightApp();
    platform::Log::CaptureSink sink;
    platform::Log::setDebugLogging(true);

    // Same tags in the same order: nothing.
    showFor(entry);
    controller->applyTagsEdit();
    EXPECT_EQ(rebuildCount, 0);
    EXPECT_TRUE(popover->isShown());

    // Another order counts as a change, though the entry announces nothing.
    controller->tags()->setObjectValue({QStringLiteral("Tools"), QStringLiteral("Office"), QStringLiteral("  ")});
    controller->applyTagsEdit();
    EXPECT_EQ(entry->tags(), (QStringList{QStringLiteral("Tools"), QStringLiteral("Office")}));
    EXPECT_TRUE(reasons.isEmpty());
    EXPECT_EQ(rebuildCount, 1);
    EXPECT_TRUE(controller->needsRebuild());
    EXPECT_FALSE(popover->isShown());
    EXPECT_TRUE(sink.messages().contains(QStringLiteral("-> RebuildData - Request initiated: TableView-Popup")));

    // Typing a new tag and leaving the field: the tag is made and the entry told.
    showFor(entry);
    controller->tags()->editor()->setFocus();
    QTest::keyClicks(controller->tags()->editor(), QStringLiteral("Writing"));
    controller->tags()->endEditing();
    EXPECT_EQ(entry->tags().last(), QStringLiteral("Writing"));
    EXPECT_EQ(reasons, (QList<std::optional<TableViewItemChangeReason>>{TableViewItemChangeReason::tagChanged}));
    EXPECT_TRUE(store->tagManager().tagForName(QStringLiteral("Writing")));
    EXPECT_FALSE(popover->isShown());
    platform::Log::setDebugLogging(false);
}

TEST_F(TableViewPopupTest, FavoriteHideAndDeleteClose)
{
    auto app = spotlightApp();
    showFor(app);
    controller->checkboxFavoriteClick();
    EXPECT_TRUE(app->isFavorite());
    EXPECT_EQ(reasons, (QList<std::optional<TableViewItemChangeReason>>{TableViewItemChangeReason::favoriteChanged}));
    EXPECT_EQ(rebuildCount, 1);
    EXPECT_FALSE(popover->isShown());

    showFor(app);
    EXPECT_TRUE(controller->checkboxFavorite()->isChecked());
    controller->btnHideClick();
    EXPECT_FALSE(app->isVisible());
    EXPECT_EQ(rebuildCount, 1);
    EXPECT_FALSE(popover->isShown());

    // A user's entry cannot be hidden, but can be deleted.
    auto url = userURL();
    showFor(url);
    controller->btnHideClick();
    EXPECT_TRUE(url->isVisible());
    EXPECT_TRUE(popover->isShown());
    controller->btnDeleteClick();
    EXPECT_FALSE(store->entryForPath(url->path()));
    EXPECT_TRUE(store->trashData().contains(url));
    EXPECT_EQ(rebuildCount, 1);
    EXPECT_FALSE(popover->isShown());
}

TEST_F(TableViewPopupTest, ColourChoicesStayOpenAndClearStoresNone)
{
    auto entry = userURL();
    showFor(entry);
    DrawnColorCircle* swatch = controller->colorCircles().at(3);
    ASSERT_TRUE(swatch->color().has_value());
    QTest::mouseClick(swatch, Qt::LeftButton);
    ASSERT_TRUE(entry->color().has_value());
    EXPECT_EQ(entry->color()->toQColor().rgb(), swatch->color()->rgb());
    EXPECT_TRUE(controller->backgroundPreview()->isVisibleTo(controller->view()));
    EXPECT_FLOAT_EQ(controller->backgroundPreview()->alphaColor(),
                    AppDelegate::shared().config().entryBackgroundAlphaValue());
    EXPECT_EQ(reasons, (QList<std::optional<TableViewItemChangeReason>>{TableViewItemChangeReason::colorChanged}));
    EXPECT_TRUE(popover->isShown());

    // The same colour again: nothing announced, the row still redrawn.
    controller->colorCircleClicked(swatch, *swatch->color());
    EXPECT_EQ(reasons.size(), 1);
    EXPECT_TRUE(controller->needsRedraw());

    // The slider: hue from its value, its saturation, full brightness.
    controller->colorSlider()->setMaxValue(1.0);
    controller->colorSlider()->setDoubleValue(0.5);
    controller->onChangeColorSlider();
    ASSERT_TRUE(entry->color().has_value());
    const QColor picked = entry->color()->toQColor();
    EXPECT_NEAR(picked.hsvHueF(), 0.5, 0.01);
    EXPECT_NEAR(picked.valueF(), 1.0, 0.01);

    // Clearing stores no colour, so the entry is no longer coloured.
    controller->btnClearColorClick();
    EXPECT_FALSE(entry->color().has_value());
    EXPECT_FALSE(controller->backgroundPreview()->isVisibleTo(controller->view()));
    EXPECT_TRUE(popover->isShown());
    EXPECT_EQ(rebuildCount, 0);
}

TEST_F(TableViewPopupTest, RecorderRefusesTakenCombinations)
{
    auto entry = userURL();
    const auto taken = KeyCombo::withCarbonModifiers(Key::t, 256);
    const auto free = KeyCombo::withCarbonModifiers(Key::f, 256 | 512);
    ASSERT_TRUE(taken && free);
    auto hotKey = HotKey::create(QStringLiteral("userDefinedKey :: other"), *taken, HotKey::ActionQueue::session, {});
    ASSERT_TRUE(center->registerHotKey(hotKey));
    showFor(entry);
    RecordView& recorder = *controller->hotkey();
    EXPECT_TRUE(controller->mayRecord(recorder));
    EXPECT_FALSE(controller->acceptsKeyCombo(recorder, *taken));
    EXPECT_TRUE(controller->acceptsKeyCombo(recorder, *free));
    controller->keyComboChanged(recorder, free);
    EXPECT_EQ(entry->hotkey(), free);
    EXPECT_EQ(reasons, (QList<std::optional<TableViewItemChangeReason>>{TableViewItemChangeReason::hotkeyChanged}));
    controller->keyComboChanged(recorder, std::nullopt);
    EXPECT_FALSE(entry->hotkey().has_value());
    EXPECT_TRUE(popover->isShown());
}

TEST_F(TableViewPopupTest, RendersToPng)
{
    auto entry = spotlightApp();
    entry->setIsFavorite(true);
    entry->setColor(platform::Color{0.95, 0.55, 0.2, 1.0});
    entry->setHotkey(KeyCombo::withCarbonModifiers(Key::e, 256 | 2048));
    showFor(entry);
    QWidget* view = controller->view();
    view->adjustSize();
    const QString folder = vantel::test::outputFolder();
    ASSERT_TRUE(QDir().mkpath(folder));
    EXPECT_TRUE(view->grab().save(folder + QStringLiteral("/entry-popover.png")));
    EXPECT_TRUE(popover->grab().save(folder + QStringLiteral("/entry-popover-window.png")));
    popover->close();

    // A file the user added: its own icon, Delete and Show in Folder.
    auto file = userFile();
    file->setComment(QString::fromUtf8("Notes for the week \xE2\x80\x94 read on Monday"));
    file->setTags({QStringLiteral("Work|Planning"), QStringLiteral("Notes")});
    showFor(file);
    EXPECT_TRUE(popover->grab().save(folder + QStringLiteral("/entry-popover-file.png")));
    // Under a German locale, no English beside the user's own words.
    const QStringList english = test::englishLeftInGerman(controller->view());
    EXPECT_TRUE(english.isEmpty()) << english.join(u'\n').toStdString();
}

TEST_F(TableViewPopupTest, ClosingKeepsWhatWasBeingTyped)
{
    auto entry = userURL();
    showFor(entry);
    popover->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(popover.get()));
    controller->comment()->setFocus();
    ASSERT_TRUE(test::waitUntil([&] { return controller->comment()->isCurrentlyEditing(); }));
    controller->comment()->selectAll();
    QTest::keyClicks(controller->comment(), QStringLiteral("typed"));
    // Moving on to the tags ends the comment edit; the popover stays.
    controller->tags()->editor()->setFocus();
    ASSERT_TRUE(test::waitUntil([&] { return controller->tags()->isEditing(); }));
    EXPECT_EQ(entry->comment(), QStringLiteral("typed"));
    EXPECT_TRUE(popover->isShown());
    QTest::keyClicks(controller->tags()->editor(), QStringLiteral("Later"));
    // A close from outside takes the tag being typed, without closing twice.
    popover->close();
    EXPECT_FALSE(popover->isShown());
    EXPECT_EQ(entry->tags(), QStringList{QStringLiteral("Later")});
    EXPECT_EQ(rebuildCount, 1);
    EXPECT_FALSE(manager->hotkeysPaused());
}

// A manager whose creator forgot configurePopover still shows its controller,
// not an empty frame.
TEST(TableViewPopupManagerTest, ShowingConfiguresAnUnconfiguredPopover)
{
    TableViewPopupManager::registerInterface();
    TableViewPopupManager manager;
    QWidget list;
    list.setGeometry(500, 200, 300, 400);
    list.show();
    manager.showPopover(TableViewItem::initForURL(QStringLiteral("https://a.example"), QStringLiteral("a"), {}), 2,
                        &list, QRect(0, 40, 300, 20));
    ASSERT_TRUE(manager.isShown());
    const auto controller = manager.tableViewPopupViewController();
    ASSERT_TRUE(controller);
    EXPECT_EQ(manager.tableViewPopover().contentViewController(), controller.get());
    EXPECT_EQ(controller->popover(), &manager.tableViewPopover());
    EXPECT_GT(manager.tableViewPopover().width(), 100);
    EXPECT_GT(manager.tableViewPopover().height(), 50);
    manager.close();
}

TEST(TableViewPopupManagerTest, ControllerComesFromTheCatalogueOnce)
{
    auto& catalogue = platform::UiCatalog::main();
    // Without a factory there is no controller, and that stays so.
    {
        TableViewPopupManager manager;
        catalogue.registerFactory(QStringLiteral("Main"), QStringLiteral("TableViewPopupViewController"), {});
        manager.configurePopover();
        EXPECT_FALSE(manager.tableViewPopupViewController());
        TableViewPopupManager::registerInterface();
        EXPECT_FALSE(manager.tableViewPopupViewController());
        manager.showPopover(TableViewItem::initForURL(QStringLiteral("https://a.example"), QStringLiteral("a"), {}), 0,
                            nullptr, QRect());
        EXPECT_FALSE(manager.isShown());
    }

    // A new manager registers the controller and shows it beside the row, on its left.
    TableViewPopupManager manager;
    manager.configurePopover();
    const auto controller = manager.tableViewPopupViewController();
    ASSERT_TRUE(controller);
    EXPECT_EQ(manager.tableViewPopupViewController(), controller);
    EXPECT_EQ(controller->popover(), &manager.tableViewPopover());
    EXPECT_EQ(manager.tableViewPopover().contentViewController(), controller.get());
    EXPECT_EQ(manager.tableViewPopover().behavior(), platform::PopoverHost::Behavior::transient);
    EXPECT_FALSE(manager.tableViewPopover().animates());

    QWidget list;
    list.setGeometry(500, 200, 300, 400);
    list.show();
    auto first = TableViewItem::initForURL(QStringLiteral("https://a.example"), QStringLiteral("a"), {});
    auto second = TableViewItem::initForURL(QStringLiteral("https://b.example"), QStringLiteral("b"), {});
    manager.showPopover(first, 4, &list, QRect(0, 80, 300, 20));
    EXPECT_TRUE(manager.isShown());
    EXPECT_EQ(controller->item(), first);
    EXPECT_EQ(controller->index(), 4);
    EXPECT_EQ(manager.tableViewPopover().shownEdge(), platform::PopoverHost::left);
    // Shown already: a second request changes nothing.
    manager.showPopover(second, 5, &list, QRect(0, 100, 300, 20));
    EXPECT_EQ(controller->item(), first);
    manager.close();
    EXPECT_FALSE(manager.isShown());
    EXPECT_EQ(controller->item(), first); // kept until the next showing
}
