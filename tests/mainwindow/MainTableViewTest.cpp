// The entry list follows the store's main list through its guarded
// refreshes, keeps the selected entry, runs entries and asks for the popover.
#include "EntryListTestSupport.h"

#include "model/TableViewItemChangedNotifyObject.h"

#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <thread>

namespace vantel::test {

namespace {

using MainTableViewTest = EntryListTest;

TEST_F(MainTableViewTest, FollowsTheStoreAndSelectsTheFirstRowAfterAChange)
{
    view->setFollowsStoreNotifications(true);
    show();
    addApplication(QStringLiteral("Gimp"));
    addApplication(QStringLiteral("Anki"));
    addURL(QStringLiteral("Mail"));
    applyFilter();

    EXPECT_EQ(shownNames(), (QStringList{"Anki", "Gimp", "Mail"}));
    EXPECT_EQ(selectedName(), QStringLiteral("Anki"));

    view->selectRow(2);
    // A new entry before the selected one: after the change the first row is
    // selected again.
    addApplication(QStringLiteral("Blender"));
    applyFilter();
    EXPECT_EQ(shownNames(), (QStringList{"Anki", "Blender", "Gimp", "Mail"}));
    EXPECT_EQ(selectedName(), QStringLiteral("Anki"));
}

TEST_F(MainTableViewTest, AReloadKeepsTheSelectedEntryAtItsNewRow)
{
    show();
    addApplication(QStringLiteral("Gimp"));
    addApplication(QStringLiteral("Krita"));
    applyFilter();
    view->reloadData();
    view->selectRow(1);
    ASSERT_EQ(selectedName(), QStringLiteral("Krita"));

    // Two entries come in ahead of it: the user's entry stays selected, not
    // the row number.
    addApplication(QStringLiteral("Anki"));
    addApplication(QStringLiteral("Blender"));
    applyFilter();
    view->reloadData();
    EXPECT_EQ(shownNames(), (QStringList{"Anki", "Blender", "Gimp", "Krita"}));
    EXPECT_EQ(selectedName(), QStringLiteral("Krita"));

    // Gone: the list still keeps a selection, at the nearest row.
    store->allData()->removeAllWhere([](const TableViewItemPtr& e) { return e->name() == QLatin1String("Krita"); });
    applyFilter();
    view->reloadData();
    EXPECT_EQ(shownNames(), (QStringList{"Anki", "Blender", "Gimp"}));
    EXPECT_EQ(selectedName(), QStringLiteral("Gimp"));
}

TEST_F(MainTableViewTest, RefreshesAreDroppedWhileHiddenBusyOrRunning)
{
    addApplication(QStringLiteral("Gimp"));
    applyFilter();
    // Not on screen.
    view->reloadData();
    EXPECT_EQ(view->tableModel().rowCount(), 0);
    EXPECT_TRUE(log.messages().contains(QStringLiteral("reloadData cancelled -> TableView was not visible")));

    show();
    store->setState(DatastorageState::rebuildData);
    view->reloadData();
    view->redrawData();
    view->redrawSelected();
    EXPECT_EQ(view->tableModel().rowCount(), 0);
    const QStringList messages = log.messages();
    EXPECT_TRUE(messages.contains(QStringLiteral("refreshAllItems failed -> DataStorage was not idle!")));
    EXPECT_TRUE(messages.contains(QStringLiteral("redrawData failed -> DataStorage was not idle!")));
    EXPECT_TRUE(messages.contains(QStringLiteral("redrawSelected failed -> DataStorage was not idle!")));
    EXPECT_EQ(view->refreshState(), MainTableView::RefreshState::idle);

    store->setState(DatastorageState::idle);
    view->reloadData();
    EXPECT_EQ(shownNames(), QStringList{"Gimp"});
}

TEST_F(MainTableViewTest, ChangesWhileHiddenWaitForTheNextReload)
{
    view->setFollowsStoreNotifications(true);
    show();
    addApplication(QStringLiteral("Gimp"));
    applyFilter();
    ASSERT_EQ(shownNames(), QStringList{"Gimp"});

    view->hide();
    addApplication(QStringLiteral("Anki"));
    applyFilter();
    EXPECT_EQ(shownNames(), QStringList{"Gimp"});

    show();
    view->reloadData();
    EXPECT_EQ(shownNames(), (QStringList{"Anki", "Gimp"}));
}

TEST_F(MainTableViewTest, RedrawSelectedOnAnEmptyListEndsSilently)
{
    show();
    view->redrawSelected();
    EXPECT_TRUE(log.messages().contains(QStringLiteral("-> redrawSelected")));
    EXPECT_FALSE(log.messages().contains(QStringLiteral("<- redrawSelected")));

    addApplication(QStringLiteral("Gimp"));
    applyFilter();
    view->reloadData();
    view->redrawSelected();
    EXPECT_TRUE(log.messages().contains(QStringLiteral("<- redrawSelected")));
}

TEST_F(MainTableViewTest, AnEntryChangeRepaintsOnlyItsRowAndNotForTagsOrVisibility)
{
    view->setFollowsStoreNotifications(true);
    show();
    addApplication(QStringLiteral("Anki"));
    auto gimp = addApplication(QStringLiteral("Gimp"));
    applyFilter();
    QSignalSpy changed(&view->tableModel(), &QAbstractItemModel::dataChanged);

    gimp->setTags({QStringLiteral("Graphics")});
    EXPECT_EQ(changed.count(), 0);
    gimp->setComment(QStringLiteral("Image editor"));
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).value<QModelIndex>().row(), 1);
    EXPECT_EQ(changed.at(0).at(1).value<QModelIndex>().row(), 1);
}

TEST_F(MainTableViewTest, AnEntryChangedOnAnotherThreadIsShownFromTheMainThread)
{
    view->setFollowsStoreNotifications(true);
    show();
    auto gimp = addApplication(QStringLiteral("Gimp"));
    applyFilter();
    const QThread* mainThread = QThread::currentThread();
    const QThread* signalled = nullptr;
    QObject::connect(&view->tableModel(), &QAbstractItemModel::dataChanged, view.get(),
            [&] { signalled = QThread::currentThread(); }, Qt::DirectConnection);
    std::thread worker([&] { gimp->setName(QStringLiteral("GIMP")); });
    worker.join();
    ASSERT_TRUE(waitUntil([&] { return signalled != nullptr; }));
    EXPECT_EQ(signalled, mainThread);
}

TEST_F(MainTableViewTest, TheStoreResortingWithoutChangeIsShownByARedraw)
{
    show();
    auto anki = addApplication(QStringLiteral("Anki"));
    addApplication(QStringLiteral("Gimp"));
    applyFilter();
    view->reloadData();
    // Same entries, another order: the store calls that "not changed".
    store->setCurrentData(EntryArray::create({store->currentData()->at(1).value(), anki}));
    EXPECT_EQ(countPosted(QStringLiteral("currentDataNotChangedWithLastRequest")), 1);
    view->currentDataWasNotChanged();
    EXPECT_EQ(shownNames(), (QStringList{"Gimp", "Anki"}));
}

TEST_F(MainTableViewTest, ExecutesTheSelectedEntryUnlessThePopoverIsShown)
{
    show();
    addApplication(QStringLiteral("Gimp"), QStringLiteral("/apps/gimp.desktop"));
    applyFilter();
    view->reloadData();
    bool popoverShown = true;
    view->setEntryPopoverShownQuery([&] { return popoverShown; });

    view->executeSelectedItem(QVariantList{QStringLiteral("/tmp/a.png")});
    EXPECT_EQ(countPosted(QStringLiteral("executeTableviewItem")), 0);

    popoverShown = false;
    view->executeSelectedItem(QVariantList{QStringLiteral("/tmp/a.png")});
    EXPECT_EQ(countPosted(QStringLiteral("executeTableviewItem")), 1);
    ASSERT_TRUE(waitUntil([this] { return !services->opened.isEmpty(); }));
    EXPECT_EQ(services->opened.first().path, QStringLiteral("/apps/gimp.desktop"));
    EXPECT_EQ(services->opened.first().files, QVariantList{QStringLiteral("/tmp/a.png")});
}

TEST_F(MainTableViewTest, ARightClickAsksForThePopoverExceptOnTags)
{
    show();
    addApplication(QStringLiteral("Anki"));
    addApplication(QStringLiteral("Gimp"));
    addTagEntry(QStringLiteral("Office"));
    applyFilter();
    view->reloadData();
    ASSERT_EQ(shownNames(), (QStringList{"Anki", "Gimp", "Tag [Office]"}));
    QSignalSpy asked(view.get(), &MainTableView::contextMenuRequested);
    bool popoverShown = false;
    view->setEntryPopoverShownQuery([&] { return popoverShown; });

    const QRect second = view->visualRect(view->tableModel().index(1));
    QTest::mouseClick(view->viewport(), Qt::RightButton, {}, second.center());
    ASSERT_EQ(asked.count(), 1);
    EXPECT_EQ(asked.at(0).at(1).toInt(), 1);
    EXPECT_EQ(asked.at(0).at(2).toRect(),
              QRect(view->viewport()->mapToGlobal(second.topLeft()), second.size()));
    EXPECT_EQ(selectedName(), QStringLiteral("Gimp"));

    // Super-click is the same; while the popover is open only the selection moves.
    popoverShown = true;
    const QRect first = view->visualRect(view->tableModel().index(0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::MetaModifier, first.center());
    EXPECT_EQ(asked.count(), 1);
    EXPECT_EQ(selectedName(), QStringLiteral("Anki"));

    popoverShown = false;
    const QRect tag = view->visualRect(view->tableModel().index(2));
    QTest::mouseClick(view->viewport(), Qt::RightButton, {}, tag.center());
    EXPECT_EQ(asked.count(), 1);
    EXPECT_EQ(selectedName(), QStringLiteral("Anki"));
}

TEST_F(MainTableViewTest, AClickBelowTheLastRowKeepsTheSelection)
{
    show();
    addApplication(QStringLiteral("Anki"));
    applyFilter();
    view->reloadData();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(100, 380));
    EXPECT_EQ(selectedName(), QStringLiteral("Anki"));
}

TEST_F(MainTableViewTest, RowHeightsFollowTheRowStyle)
{
    show();
    addApplication(QStringLiteral("Anki"));
    addApplication(QStringLiteral("Gimp"));
    applyFilter();
    view->reloadData();
    view->selectRow(1);
    EXPECT_EQ(view->visualRect(view->tableModel().index(1)).height(), 64);
    EXPECT_EQ(view->cell().identifier(), QStringLiteral("TableViewCellMainWindow_Default"));
    view->setRowStyle(RowStyle::smallStyle);
    EXPECT_EQ(view->visualRect(view->tableModel().index(1)).height(), 50);
    EXPECT_EQ(view->cell().identifier(), QStringLiteral("TableViewCellMainWindow_Small"));
    EXPECT_EQ(selectedName(), QStringLiteral("Gimp"));
}

TEST_F(MainTableViewTest, ModifierKeysReachTheRowsOnlyWhileShownAndRepaintOnChange)
{
    auto& center = platform::NotificationCenter::defaultCenter();
    center.post(QStringLiteral("modifierFlagsChanged"), CurrentModifierFlags{false, true, false, false});
    EXPECT_FALSE(view->cell().commandKeyActive());
    EXPECT_TRUE(log.messages().contains(QStringLiteral("refreshQuickLaunchNumber cancelled -> TableView was not visible")));

    show();
    center.post(QStringLiteral("modifierFlagsChanged"), CurrentModifierFlags{false, true, false, false});
    EXPECT_TRUE(view->cell().commandKeyActive());
    EXPECT_FALSE(view->cell().optionKeyActive());
    // Any other object is ignored.
    center.post(QStringLiteral("modifierFlagsChanged"), QStringLiteral("Ctrl"));
    EXPECT_TRUE(view->cell().commandKeyActive());
    EXPECT_TRUE(view->cell().setModifierKeys(false, false, false, false));
    EXPECT_FALSE(view->cell().setModifierKeys(false, false, false, false));
}

} // namespace

} // namespace vantel::test
