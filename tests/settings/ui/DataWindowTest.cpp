#include "ConfigWindowTestSupport.h"

#include "datastore/DatastorageHandlerURLObjects.h"
#include "platform/UserDefaults.h"
#include "datastore/FakeWindowRequests.h"
#include "datastore/AddModifyURLPane.h"
#include "graphics/widgets/DrawnColorCircle.h"
#include "mainwindow/CatalogueEntries.h"
#include "model/TableViewItemChangedNotifyObject.h"
#include "platform/ui/PopoverHost.h"
#include "popups/ColorPopupManager.h"
#include "popups/ColorSlider.h"
#include "popups/CustomTextField.h"
#include "popups/CustomTokenField.h"
#include "shell/VantelWindowEnum.h"
#include "settings/ui/ConfigSearchField.h"
#include "settings/ui/ConfigSplitViewController.h"
#include "settings/ui/ConfigTableViewModel.h"
#include "settings/ui/ConfigViewControllerContent.h"
#include "settings/ui/ConfigViewControllerSidebar.h"
#include "settings/ui/ConfigWindowController.h"
#include "settings/ui/TableViewCellConfigEntry.h"
#include "settings/ui/TableViewCellConfigTags.h"
#include "support/TestSupport.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenu>
#include <QMimeData>
#include <QPaintEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QSplitter>
#include <QTest>
#include <QToolBar>

#include <algorithm>
#include <array>

namespace vantel {
namespace {

using settingsui::ConfigTableViewModel;
using settingsui::ConfigWindowController;

class DataWindowTest : public test::ConfigWindowFixture {
protected:
    void SetUp() override
    {
        ConfigWindowFixture::SetUp();
        folder = test::makeTempDir(QStringLiteral("data-window"));
    }
    void TearDown() override
    {
        if (window && window->isWindowOpen())
            window->close();
        window.reset();
        ConfigWindowFixture::TearDown();
    }
    // An application as discovery finds it: it can be hidden.
    TableViewItemPtr addApplication(const QString& name, const QStringList& tags = {})
    {
        auto entry = TableViewItem::initForSpotlightApp(folder + QLatin1Char('/') + name + QStringLiteral(".desktop"), name);
        entry->setIsFoundBySpotlight(true);
        entry->setTags(tags);
        store->allData()->append(entry);
        return entry;
    }
    void open()
    {
        if (!window)
            window = std::make_unique<ConfigWindowController>(services);
        window->showWindow(false);
        QApplication::processEvents();
    }
    // Opened and active, so that clicks and keys move the focus as for a user.
    void openActive()
    {
        open();
        window->window()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window->window()));
    }
    // A click in the middle of a part of a row's cell; `part` maps the cell.
    void clickCell(int row, int column, const std::function<QRect(const QRect&)>& part = {})
    {
        QTableView* table = content().dataTableView();
        const QRect cell = table->visualRect(model().index(row, column));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, (part ? part(cell) : cell).center());
    }
    template <class Editor>
    Editor* openEditor()
    {
        return content().dataTableView()->viewport()->findChild<Editor*>();
    }
    settingsui::ConfigViewControllerContent& content() { return *window->splitViewController()->configContentController(); }
    settingsui::ConfigViewControllerSidebar& sidebar() { return *window->splitViewController()->sidebarController(); }
    ConfigTableViewModel& model() { return *content().model(); }
    QStringList shownNames()
    {
        QStringList names;
        for (int row = 0; row < model().rowCount(); ++row)
            names << model().entryAt(row)->name();
        return names;
    }
    int rowOf(const QString& name)
    {
        for (int row = 0; row < model().rowCount(); ++row)
            if (model().entryAt(row)->name() == name)
                return row;
        return -1;
    }
    void selectRows(const QList<int>& rows)
    {
        QTableView* table = content().dataTableView();
        table->clearSelection();
        for (int row : rows)
            table->selectionModel()->select(model().index(row, 0),
                                            QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    // A click at the middle of a part of the entry cell of the row.
    void clickEntryCell(int row, QRect settingsui::TableViewCellConfigEntry::Layout::*part)
    {
        QTableView* table = content().dataTableView();
        const QRect cell = table->visualRect(model().index(row, ConfigTableViewModel::columnEntry));
        const QRect target = settingsui::TableViewCellConfigEntry::layout(cell).*part;
        QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, target.center());
    }

    QString folder;
    std::unique_ptr<ConfigWindowController> window;
};

TEST_F(DataWindowTest, PopupsAndPlaceholderShowTheStoredFilterAndReadBackByTitle)
{
    addApplication(QStringLiteral("Alpha"));
    test::addURLEntry(*store, QStringLiteral("Beta site"), QStringLiteral("https://beta.example"));
    DataStorageFilterConfigData& filter = store->filterConfigData();
    filter.configTableViewFilterType = ConfigEnumFilterType::folders;
    filter.configTableViewFilterActive = ConfigEnumFilterActive::inactiveOnly;
    filter.configTableViewFilterSearchFor = ConfigEnumFilterSearchFor::comment;
    open();

    QComboBox* type = window->filterPopupButton();
    QComboBox* active = window->activePopupButton();
    ASSERT_EQ(type->count(), 5);
    EXPECT_EQ(type->itemText(0), QStringLiteral("All types"));
    EXPECT_EQ(type->itemText(4), QStringLiteral("URLs"));
    ASSERT_EQ(active->count(), 3);
    EXPECT_EQ(active->itemText(2), QStringLiteral("Inactive only"));
    EXPECT_EQ(type->currentText(), QStringLiteral("Folders"));
    EXPECT_EQ(active->currentText(), QStringLiteral("Inactive only"));
    EXPECT_EQ(window->searchField()->placeholderText(), QStringLiteral("Comment"));
    EXPECT_EQ(window->window()->windowTitle(), QStringLiteral("Configuration \u2014 Modify Data"));

    // The item already chosen changes nothing and lists nothing anew.
    const int runs = filterRuns();
    emit type->activated(type->currentIndex());
    EXPECT_EQ(filterRuns(), runs);

    active->setCurrentIndex(0);
    emit active->activated(0);
    type->setCurrentIndex(4);
    emit type->activated(4);
    EXPECT_EQ(filter.configTableViewFilterType, ConfigEnumFilterType::urls);
    EXPECT_EQ(shownNames(), QStringList{QStringLiteral("Beta site")});

    // Closed and opened again, the window shows what was in force.
    window->close();
    QApplication::processEvents();
    EXPECT_EQ(model().rowCount(), 0) << "the list is emptied when the window goes";
    window.reset();
    open();
    EXPECT_EQ(window->filterPopupButton()->currentText(), QStringLiteral("URLs"));
    EXPECT_EQ(window->activePopupButton()->currentText(), QStringLiteral("All entries"));
}

TEST_F(DataWindowTest, AnAddedURLEntryResetsTheThreeStoresToShowIt)
{
    addApplication(QStringLiteral("Gamma"));
    test::addURLEntry(*store, QStringLiteral("Older site"), QStringLiteral("https://older.example"));
    open();
    window->activePopupButton()->setCurrentIndex(2);
    emit window->activePopupButton()->activated(2);
    window->filterPopupButton()->setCurrentIndex(2);
    emit window->filterPopupButton()->activated(2);
    window->searchField()->setText(QStringLiteral("zzz"));
    EXPECT_EQ(model().rowCount(), 0);

    ASSERT_EQ(store->URLHandler().addURLToDatabase(QStringLiteral("https://new.example.org"), QString(), QString(),
                                                   std::nullopt),
              DatastorageResultCode::done);
    const DataStorageFilterConfigData& filter = store->filterConfigData();
    EXPECT_EQ(window->activePopupButton()->currentText(), QStringLiteral("All entries"));
    EXPECT_EQ(filter.configTableViewFilterActive, ConfigEnumFilterActive::all);
    EXPECT_TRUE(window->searchField()->text().isEmpty());
    EXPECT_TRUE(filter.configTableViewSearchString.isEmpty());
    EXPECT_EQ(window->filterPopupButton()->currentText(), QStringLiteral("URLs"));
    EXPECT_EQ(filter.configTableViewFilterType, ConfigEnumFilterType::urls);
    EXPECT_EQ(shownNames(), (QStringList{QStringLiteral("new.example.org"), QStringLiteral("Older site")}));
}

TEST_F(DataWindowTest, TheSearchFieldFiltersByTheChosenField)
{
    addApplication(QStringLiteral("Alpha"), {QStringLiteral("Office")});
    addApplication(QStringLiteral("Office tools"));
    addApplication(QStringLiteral("Zeta"), {QStringLiteral("Office")});
    open();
    settingsui::ConfigSearchField* field = window->searchField();
    QTest::keyClicks(field, QStringLiteral("offi"));
    EXPECT_EQ(shownNames(), QStringList{QStringLiteral("Office tools")});

    // The choice is the placeholder; choosing it again does nothing.
    ASSERT_EQ(field->searchMenu()->actions().size(), 4);
    const int runs = filterRuns();
    field->changeSearchFieldItem(field->searchMenu()->actions().at(1));
    EXPECT_EQ(field->placeholderText(), QStringLiteral("Tag"));
    EXPECT_EQ(filterRuns(), runs + 1) << "only the choice changed";
    EXPECT_EQ(shownNames(), (QStringList{QStringLiteral("Alpha"), QStringLiteral("Zeta")}));
    field->changeSearchFieldItem(field->searchMenu()->actions().at(1));
    EXPECT_EQ(filterRuns(), runs + 1);
    field->buildSearchMenu();
    EXPECT_EQ(field->searchMenu()->actions().size(), 4);
}

TEST_F(DataWindowTest, TheSelectedEntryStaysSelectedAcrossReloads)
{
    addApplication(QStringLiteral("Bravo"));
    addApplication(QStringLiteral("Delta"));
    open();
    selectRows({rowOf(QStringLiteral("Delta"))});
    ASSERT_EQ(rowOf(QStringLiteral("Delta")), 1);
    ASSERT_EQ(sidebar().currentIndexSet(), settingsui::ConfigRowIndexSet{1});

    addApplication(QStringLiteral("Alpha"));
    store->rebuildData(DataStorageRebuildReason::userInitiatedRequest);
    ASSERT_EQ(rowOf(QStringLiteral("Delta")), 2);
    EXPECT_EQ(content().dataTableView()->selectedRowIndexes(), settingsui::ConfigRowIndexSet{2});
    EXPECT_EQ(sidebar().currentIndexSet(), settingsui::ConfigRowIndexSet{2}) << "the sidebar follows the row";
}

// Discovery passes adding and removing applications keep every selected
// entry still listed selected, found in a walk of the list rather than one per
// row, so the next comment reaches all of them.
TEST_F(DataWindowTest, EverySelectedEntryStillListedStaysSelectedAcrossReloads)
{
    QList<TableViewItemPtr> chosen;
    for (int i = 0; i < 400; ++i) {
        const auto entry = addApplication(QStringLiteral("App %1").arg(i, 3, 10, QLatin1Char('0')));
        if (i % 2)
            chosen.append(entry);
    }
    openActive();
    QList<int> rows;
    for (const TableViewItemPtr& entry : chosen)
        rows.append(rowOf(entry->name()));
    selectRows(rows);
    const auto names = [](const QList<TableViewItemPtr>& entries) {
        QStringList names;
        for (const TableViewItemPtr& entry : entries)
            names << entry->name();
        return names.join(QStringLiteral(", ")).toStdString();
    };
    const auto selectedEntries = [&] {
        QList<TableViewItemPtr> entries;
        for (int row : sidebar().currentIndexSet().value_or(settingsui::ConfigRowIndexSet{}))
            entries.append(model().entryAt(row));
        return names(entries);
    };
    ASSERT_EQ(selectedEntries(), names(chosen));

    const qsizetype reads = model().rowsReadForEqualEntries();
    addApplication(QStringLiteral("Aardvark"));
    store->rebuildData(DataStorageRebuildReason::spotlightDatabaseUpdated);
    ASSERT_EQ(rowOf(chosen.first()->name()), 2);
    EXPECT_EQ(selectedEntries(), names(chosen));
    EXPECT_LE(model().rowsReadForEqualEntries() - reads, model().rowCount()) << "a walk per selected row";
    ASSERT_TRUE(store->moveEntryToTrash(chosen.takeFirst()->path(), false));
    store->rebuildData(DataStorageRebuildReason::spotlightDatabaseUpdated);
    EXPECT_EQ(selectedEntries(), names(chosen));
    screenshot(*window->window(), QStringLiteral("data-window-selection-after-reload.png"));

    CustomTextField* comment = sidebar().modifyComment();
    QTest::mouseClick(comment, Qt::LeftButton);
    QTest::keyClicks(comment, QStringLiteral("picked"));
    QTest::keyClick(comment, Qt::Key_Return);
    int commented = 0;
    store->allData()->forEach([&](const TableViewItemPtr& entry) { commented += !entry->comment().isEmpty(); });
    EXPECT_EQ(commented, chosen.size());
    EXPECT_EQ(chosen.last()->comment().toStdString(), "picked");
}

TEST_F(DataWindowTest, ColumnsSortTheListAndASecondClickFlipsIt)
{
    addApplication(QStringLiteral("bravo"))->setComment(QStringLiteral("zz"));
    addApplication(QStringLiteral("Alpha"))->setComment(QStringLiteral("aa"));
    addApplication(QStringLiteral("Charlie"));
    open();
    EXPECT_EQ(shownNames(), (QStringList{QStringLiteral("Alpha"), QStringLiteral("bravo"), QStringLiteral("Charlie")}));
    QHeaderView* header = content().dataTableView()->horizontalHeader();
    header->setSortIndicator(ConfigTableViewModel::columnEntry, Qt::DescendingOrder);
    EXPECT_EQ(shownNames(), (QStringList{QStringLiteral("Charlie"), QStringLiteral("bravo"), QStringLiteral("Alpha")}));
    header->setSortIndicator(ConfigTableViewModel::columnComment, Qt::AscendingOrder);
    EXPECT_EQ(shownNames(), (QStringList{QStringLiteral("Alpha"), QStringLiteral("bravo"), QStringLiteral("Charlie")}))
        << "an empty comment sorts last";
    EXPECT_EQ(store->filterConfigData().configTableViewSortingBy, ConfigEnumSortingBy::comment);
}

TEST_F(DataWindowTest, HidingLosesTheHotkeyAndAUserEntryCanOnlyBeRemoved)
{
    const auto app = addApplication(QStringLiteral("Alpha"));
    app->setHotkey(KeyCombo::withCarbonModifiers(Key::k, KeyCombo::commandKey | KeyCombo::optionKey));
    const auto mine = test::addURLEntry(*store, QStringLiteral("Mine"), QStringLiteral("https://mine.example"));
    open();
    clickEntryCell(rowOf(QStringLiteral("Alpha")), &settingsui::TableViewCellConfigEntry::Layout::toggle);
    EXPECT_FALSE(app->isVisible());
    EXPECT_FALSE(app->hotkey()) << "a hidden entry loses its hotkey";
    clickEntryCell(rowOf(QStringLiteral("Alpha")), &settingsui::TableViewCellConfigEntry::Layout::toggle);
    EXPECT_TRUE(app->isVisible()) << "shown again";

    // A user-added entry shows the remove button: it cannot be hidden.
    mine->setIsVisible(false);
    EXPECT_TRUE(mine->isVisible());
    clickEntryCell(rowOf(QStringLiteral("Mine")), &settingsui::TableViewCellConfigEntry::Layout::toggle);
    EXPECT_FALSE(store->entryForPath(QStringLiteral("https://mine.example")));
    EXPECT_EQ(shownNames(), QStringList{QStringLiteral("Alpha")});
}

TEST_F(DataWindowTest, AChangedEntryRepaintsOnlyItsRow)
{
    addApplication(QStringLiteral("Alpha"));
    const auto bravo = addApplication(QStringLiteral("Bravo"));
    addApplication(QStringLiteral("Charlie"));
    open();
    QTableView* table = content().dataTableView();
    QTest::qWait(50);
    // What the viewport paints from here on.
    struct PaintRecorder : QObject {
        QRegion painted;
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::Paint)
                painted += static_cast<QPaintEvent*>(event)->region();
            return false;
        }
    } recorder;
    table->viewport()->installEventFilter(&recorder);
    QSignalSpy changed(&model(), &QAbstractItemModel::dataChanged);
    QSignalSpy reset(&model(), &QAbstractItemModel::modelReset);
    bravo->setComment(QStringLiteral("new comment"));
    for (const QList<QVariant>& signal : changed)
        EXPECT_EQ(signal.at(0).toModelIndex().row(), 1);
    EXPECT_EQ(reset.size(), 0);
    QTest::qWait(50);
    table->viewport()->removeEventFilter(&recorder);
    const QRect row = table->visualRect(model().index(1, 0)).united(
        table->visualRect(model().index(1, ConfigTableViewModel::numberOfColumns - 1)));
    EXPECT_FALSE(recorder.painted.isEmpty()) << "the changed row was not repainted";
    EXPECT_EQ(recorder.painted.boundingRect().top(), row.top());
    EXPECT_EQ(recorder.painted.boundingRect().bottom(), row.bottom()) << "the next row was repainted too";
}

TEST_F(DataWindowTest, DropsTakeUpTo24FilesAndOnlyTheFirstWebURL)
{
    open();
    const auto dropOf = [&](int files, const QList<QUrl>& web) {
        auto* data = new QMimeData();
        QList<QUrl> urls;
        for (int i = 0; i < files; ++i) {
            const QString path = folder + QStringLiteral("/file %1.txt").arg(i);
            QFile file(path);
            EXPECT_TRUE(file.open(QIODevice::WriteOnly));
            urls << QUrl::fromLocalFile(path);
        }
        data->setUrls(urls + web);
        return std::unique_ptr<QMimeData>(data);
    };
    const auto many = dropOf(25, {});
    EXPECT_EQ(content().validateDrop(many.get()), Qt::IgnoreAction);
    const auto manyAndWeb = dropOf(25, {QUrl(QStringLiteral("https://one.example/")), QUrl(QStringLiteral("https://two.example/"))});
    EXPECT_EQ(content().validateDrop(manyAndWeb.get()), Qt::CopyAction);
    EXPECT_TRUE(content().acceptDrop(manyAndWeb.get()));
    EXPECT_EQ(store->allData()->count(), 1) << "only the first web URL, no file URL as an address";
    EXPECT_TRUE(store->entryForPath(QStringLiteral("https://one.example/")));

    const auto files = dropOf(24, {});
    EXPECT_EQ(content().validateDrop(files.get()), Qt::CopyAction);
    EXPECT_TRUE(content().acceptDrop(files.get()));
    EXPECT_EQ(store->allData()->count(), 25);
    EXPECT_EQ(window->filterPopupButton()->currentText(), QStringLiteral("All types"));
}

TEST_F(DataWindowTest, TheSidebarEditsTwoAndTwentyOneRowsAtOnce)
{
    addApplication(QStringLiteral("A1"), {QStringLiteral("Office"), QStringLiteral("Work")});
    addApplication(QStringLiteral("A2"), {QStringLiteral("Work"), QStringLiteral("Office")});
    addApplication(QStringLiteral("A3"), {QStringLiteral("Games")});
    for (int i = 4; i <= 21; ++i)
        addApplication(QStringLiteral("A%1").arg(i, 2, 10, QLatin1Char('0')));
    const auto mine = test::addURLEntry(*store, QStringLiteral("Mine"), QStringLiteral("https://mine.example"));
    open();
    auto& editor = sidebar();

    selectRows({rowOf(QStringLiteral("A1")), rowOf(QStringLiteral("A2"))});
    EXPECT_EQ(editor.modifyToken()->objectValue(), (QStringList{QStringLiteral("Office"), QStringLiteral("Work")}))
        << "the same tags in another order show the first entry's";
    selectRows({rowOf(QStringLiteral("A1")), rowOf(QStringLiteral("A3"))});
    EXPECT_TRUE(editor.modifyToken()->objectValue().isEmpty());
    editor.modifyToken()->setObjectValue({QStringLiteral(" Shared ")});
    editor.applyTags();
    EXPECT_EQ(store->entryForPath(model().entryAt(rowOf(QStringLiteral("A1")))->path())->tags(),
              QStringList{QStringLiteral("Shared")});
    EXPECT_EQ(model().entryAt(rowOf(QStringLiteral("A3")))->tags(), QStringList{QStringLiteral("Shared")});

    QList<int> rows;
    for (int row = 0; row < 21; ++row)
        rows << row;
    selectRows(rows);
    EXPECT_TRUE(editor.modifyToken()->objectValue().isEmpty());
    EXPECT_TRUE(editor.modifyComment()->text().isEmpty());
    QTest::mouseClick(editor.colorCircles().at(3), Qt::LeftButton);
    for (int row = 0; row < 21; ++row)
        EXPECT_TRUE(model().entryAt(row)->color()) << row;
    editor.clearColorClick();
    int announced = 0;
    const auto observer = platform::NotificationCenter::defaultCenter().addObserver(
        QStringLiteral("tableViewItemChanged"), [&](const platform::Notification&) { ++announced; });
    editor.clearColorClick();
    EXPECT_EQ(announced, 0) << "no colour to clear";

    selectRows({rowOf(QStringLiteral("Mine"))});
    editor.setToInvisibleClick();
    EXPECT_TRUE(mine->isVisible());
    EXPECT_EQ(announced, 0);
}

TEST_F(DataWindowTest, HotkeysArePausedOnlyWhileTheListIsShown)
{
    addApplication(QStringLiteral("Alpha"));
    manager->pauseHotkeys();
    open();
    EXPECT_TRUE(manager->hotkeysPaused());
    EXPECT_TRUE(content().hotkeysPausedByList());
    window->close();
    QApplication::processEvents();
    EXPECT_TRUE(manager->hotkeysPaused()) << "the pause someone else took is still there";
    manager->resumeHotkeys();
    EXPECT_FALSE(manager->hotkeysPaused());
}

TEST_F(DataWindowTest, ScreenshotsLightAndDarkWithAndWithoutTheSidebar)
{
    addApplication(QStringLiteral("Alpha Editor"), {QStringLiteral("Office"), QStringLiteral("Writing")})
        ->setHotkey(KeyCombo::withCarbonModifiers(Key::e, KeyCombo::commandKey | KeyCombo::optionKey));
    const auto bravo = addApplication(QStringLiteral("Bravo Player"), {QStringLiteral("Media")});
    bravo->setComment(QStringLiteral("plays everything"));
    bravo->setColor(platform::Color::fromQColor(QColor(30, 120, 230)));
    bravo->setIsFavorite(true);
    test::addURLEntry(*store, QStringLiteral("Charlie Docs"), QStringLiteral("https://docs.example.org"));
    // A desktop's icon theme, as the program has one by then.
    const QStringList searchPaths = QIcon::themeSearchPaths();
    const QString themeName = QIcon::themeName();
    QIcon::setThemeSearchPaths(searchPaths + QStringList{QStringLiteral("/usr/share/icons")});
    QIcon::setThemeName(QStringLiteral("breeze"));
    ASSERT_TRUE(QIcon::hasThemeIcon(QStringLiteral("list-add"))) << "Breeze is not installed";
    const QPalette light = QApplication::palette();
    for (const bool dark : {false, true}) {
        QApplication::setPalette(dark ? test::darkPalette() : light);
        open();
        selectRows({rowOf(QStringLiteral("Alpha Editor"))});
        QApplication::processEvents();
        const QString suffix = dark ? QStringLiteral("-dark") : QStringLiteral("-light");
        const QImage open = screenshot(*window->window(), QStringLiteral("data-window-sidebar") + suffix + QStringLiteral(".png"));
        // The sidebar's swatches sit inside the window, to the right of the list.
        const QWidget* swatch = sidebar().colorCircles().first();
        const QPoint swatchCentre = swatch->mapTo(window->window(), swatch->rect().center());
        EXPECT_TRUE(window->window()->rect().contains(swatchCentre));
        EXPECT_EQ(QColor(open.pixel(swatchCentre)), sidebar().colorCircles().first()->color().value_or(QColor()));
        // The colour box of Bravo shows its colour.
        QTableView* table = content().dataTableView();
        const QRect cell = table->visualRect(model().index(rowOf(QStringLiteral("Bravo Player")), 0));
        const QPoint box = table->viewport()->mapTo(window->window(),
                                                    settingsui::TableViewCellConfigEntry::layout(cell).colorBox.center());
        EXPECT_EQ(QColor(open.pixel(box)), QColor(30, 120, 230));
        // The pixels of an area that differ from its most common grey (its
        // background) by more than half the range.
        const auto contrasting = [&open](const QRect& area) {
            std::array<int, 256> greys{};
            for (int y = area.top(); y <= area.bottom(); ++y)
                for (int x = area.left(); x <= area.right(); ++x)
                    ++greys[qGray(open.pixel(x, y))];
            const int background = int(std::max_element(greys.begin(), greys.end()) - greys.begin());
            int count = 0;
            for (int y = area.top(); y <= area.bottom(); ++y)
                for (int x = area.left(); x <= area.right(); ++x)
                    count += qAbs(qGray(open.pixel(x, y)) - background) > 110 ? 1 : 0;
            return count;
        };
        // Every toolbar button's icon stands out from the toolbar.
        for (QAction* action : window->toolbar()->actions()) {
            const QWidget* button = window->toolbar()->widgetForAction(action);
            if (action->icon().isNull() || !button)
                continue;
            EXPECT_GT(contrasting(QRect(button->mapTo(window->window(), QPoint(0, 0)), button->size())), 8)
                << action->objectName().toStdString() << suffix.toStdString() << ": the icon is lost on the toolbar";
        }
        // So does a web address's symbol on its row.
        const QRect urlCell = table->visualRect(model().index(rowOf(QStringLiteral("Charlie Docs")), 0));
        const QRect urlIcon = settingsui::TableViewCellConfigEntry::layout(urlCell).icon;
        EXPECT_GT(contrasting(QRect(table->viewport()->mapTo(window->window(), urlIcon.topLeft()), urlIcon.size())), 8)
            << "the globe is lost on its row" << suffix.toStdString();

        window->showSidebar();
        QApplication::processEvents();
        EXPECT_TRUE(sidebar().view()->isHidden());
        screenshot(*window->window(), QStringLiteral("data-window-no-sidebar") + suffix + QStringLiteral(".png"));
        EXPECT_GT(table->width(), window->window()->width() - 20) << "the list takes the whole width";
        window->showSidebar();
        window->close();
        window.reset();
    }
    QApplication::setPalette(light);
    QIcon::setThemeName(themeName);
    QIcon::setThemeSearchPaths(searchPaths);
}

TEST_F(DataWindowTest, TheSidebarCommentWritesOnlyWhatTheUserChanged)
{
    const auto alpha = addApplication(QStringLiteral("Alpha"));
    alpha->setComment(QStringLiteral("first"));
    const auto bravo = addApplication(QStringLiteral("Bravo"));
    bravo->setComment(QStringLiteral("second"));
    openActive();
    CustomTextField* field = sidebar().modifyComment();

    // Different comments leave the field empty; passing through it erases none.
    selectRows({0, 1});
    EXPECT_TRUE(field->text().isEmpty());
    QTest::mouseClick(field, Qt::LeftButton);
    ASSERT_TRUE(field->hasFocus());
    QTest::keyClick(field, Qt::Key_Tab);
    EXPECT_FALSE(field->hasFocus());
    EXPECT_EQ(alpha->comment(), QStringLiteral("first"));
    EXPECT_EQ(bravo->comment(), QStringLiteral("second"));
    // What the user types goes to both.
    QTest::mouseClick(field, Qt::LeftButton);
    QTest::keyClicks(field, QStringLiteral("shared"));
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(alpha->comment(), QStringLiteral("shared"));
    EXPECT_EQ(bravo->comment(), QStringLiteral("shared"));

    // A comment typed into the row shows in the sidebar, which keeps it when passed through.
    selectRows({0});
    clickCell(0, ConfigTableViewModel::columnComment);
    auto* cellEditor = openEditor<CustomTextField>();
    ASSERT_TRUE(cellEditor);
    cellEditor->selectAll();
    QTest::keyClicks(cellEditor, QStringLiteral("typed in the row"));
    QTest::keyClick(cellEditor, Qt::Key_Return);
    ASSERT_EQ(alpha->comment(), QStringLiteral("typed in the row"));
    EXPECT_EQ(field->text(), QStringLiteral("typed in the row"));
    QTest::mouseClick(field, Qt::LeftButton);
    QTest::keyClick(field, Qt::Key_Tab);
    EXPECT_EQ(alpha->comment(), QStringLiteral("typed in the row"));
}

TEST_F(DataWindowTest, TheSidebarFollowsTheSelectedEntriesButNotIntoATypedText)
{
    const auto alpha = addApplication(QStringLiteral("Alpha"), {QStringLiteral("Office")});
    addApplication(QStringLiteral("Bravo"));
    openActive();
    CustomTextField* field = sidebar().modifyComment();
    selectRows({0});
    // Changed elsewhere, as by the main view's popover.
    alpha->setTags({QStringLiteral("Office"), QStringLiteral("Travel")});
    alpha->setComment(QStringLiteral("from the popover"));
    EXPECT_EQ(sidebar().modifyToken()->objectValue(), (QStringList{QStringLiteral("Office"), QStringLiteral("Travel")}));
    EXPECT_EQ(field->text(), QStringLiteral("from the popover"));

    // A change while the user types waits; what the user typed is written.
    QTest::mouseClick(field, Qt::LeftButton);
    field->end(false);
    QTest::keyClicks(field, QStringLiteral(", draft"));
    alpha->setComment(QStringLiteral("meanwhile"));
    EXPECT_EQ(field->text(), QStringLiteral("from the popover, draft"));
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(alpha->comment(), QStringLiteral("from the popover, draft"));
}

TEST_F(DataWindowTest, TheSidebarKeepsWhatIsTypedAcrossAReloadForTheEntryItWasTypedFor)
{
    const auto bravo = addApplication(QStringLiteral("Bravo"), {QStringLiteral("Old")});
    bravo->setComment(QStringLiteral("stored"));
    addApplication(QStringLiteral("Delta"));
    openActive();
    selectRows({rowOf(QStringLiteral("Bravo"))});
    // A discovery pass finds an application sorted above the one being edited.
    const auto entryAddedAbove = [&](const QString& name) {
        const int row = rowOf(QStringLiteral("Bravo"));
        addApplication(name);
        store->rebuildData(DataStorageRebuildReason::spotlightDatabaseUpdated);
        EXPECT_EQ(rowOf(QStringLiteral("Bravo")), row + 1);
    };

    CustomTextField* comment = sidebar().modifyComment();
    QTest::mouseClick(comment, Qt::LeftButton);
    comment->selectAll();
    QTest::keyClicks(comment, QStringLiteral("typed"));
    entryAddedAbove(QStringLiteral("Alpha"));
    EXPECT_EQ(comment->text(), QStringLiteral("typed"));
    QTest::keyClick(comment, Qt::Key_Return);
    EXPECT_EQ(bravo->comment(), QStringLiteral("typed"));

    QLineEdit* tags = sidebar().modifyToken()->editor();
    QTest::mouseClick(tags, Qt::LeftButton);
    QTest::keyClicks(tags, QStringLiteral("New"));
    entryAddedAbove(QStringLiteral("Aardvark"));
    EXPECT_EQ(tags->text(), QStringLiteral("New"));
    QTest::keyClick(tags, Qt::Key_Tab);
    QApplication::processEvents();
    EXPECT_EQ(bravo->tags(), (QStringList{QStringLiteral("Old"), QStringLiteral("New")}));

    // Removed while the user types: nothing is written, to it or to another,
    // and with nowhere to write the text and the cursor stay.
    QTest::mouseClick(comment, Qt::LeftButton);
    QTest::keyClicks(comment, QStringLiteral("orphan"));
    ASSERT_TRUE(store->removeFromAllData(bravo->path()));
    store->rebuildData(DataStorageRebuildReason::spotlightDatabaseUpdated);
    ASSERT_EQ(sidebar().currentIndexSet(), settingsui::ConfigRowIndexSet{});
    QTest::keyClick(comment, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_TRUE(comment->text().endsWith(QStringLiteral("orphan"))) << comment->text().toStdString();
    EXPECT_TRUE(comment->hasFocus());
    EXPECT_EQ(bravo->comment(), QStringLiteral("typed"));
    store->allData()->forEach(
        [](const TableViewItemPtr& entry) { EXPECT_TRUE(entry->comment().isEmpty()) << entry->name().toStdString(); });
}

// Alpha, the row the list reselects after a reload, and Bravo get a comment;
// `meanwhile` makes the reload select nothing before it is entered. Under
// "Active only", so that hiding takes an entry out of the list.
class SidebarCommentAcrossAnEmptyReselection : public DataWindowTest {
protected:
    void typeForBothThen(const std::function<void()>& meanwhile)
    {
        open();
        window->activePopupButton()->setCurrentIndex(1);
        emit window->activePopupButton()->activated(1);
        openActive();
        selectRows({rowOf(QStringLiteral("Alpha")), rowOf(QStringLiteral("Bravo"))});
        CustomTextField* comment = sidebar().modifyComment();
        QTest::mouseClick(comment, Qt::LeftButton);
        QTest::keyClicks(comment, QStringLiteral("for both"));
        meanwhile();
        QApplication::processEvents();
        ASSERT_EQ(sidebar().currentIndexSet(), settingsui::ConfigRowIndexSet{});
        QTest::keyClick(comment, Qt::Key_Return);
    }
    void SetUp() override
    {
        DataWindowTest::SetUp();
        alpha = addApplication(QStringLiteral("Alpha"));
        bravo = addApplication(QStringLiteral("Bravo"));
    }
    TableViewItemPtr alpha;
    TableViewItemPtr bravo;
};

TEST_F(SidebarCommentAcrossAnEmptyReselection, ADiscoveryRemovingTheReselectedEntryLeavesItToTheOther)
{
    typeForBothThen([&] {
        // Bravo hidden from elsewhere is no longer listed either.
        bravo->setIsVisible(false);
        ASSERT_TRUE(store->moveEntryToTrash(alpha->path(), false));
        store->rebuildData(DataStorageRebuildReason::spotlightDatabaseUpdated);
    });
    EXPECT_EQ(bravo->comment(), QStringLiteral("for both"));
    EXPECT_TRUE(alpha->comment().isEmpty()) << "written to an entry in the trash";
}

TEST_F(SidebarCommentAcrossAnEmptyReselection, AFilterHidingTheReselectedEntryLeavesItToBoth)
{
    // Hidden from elsewhere: "Active only" lists them no more.
    addApplication(QStringLiteral("Charlie"));
    typeForBothThen([&] {
        alpha->setIsVisible(false);
        bravo->setIsVisible(false);
    });
    ASSERT_EQ(shownNames(), QStringList{QStringLiteral("Charlie")});
    EXPECT_EQ(bravo->comment(), QStringLiteral("for both"));
    EXPECT_EQ(alpha->comment(), QStringLiteral("for both"));
}

TEST_F(DataWindowTest, TheSidebarShowsWhatUpTo20RowsShareAndItsSliderColoursThemAll)
{
    for (int i = 1; i <= 21; ++i)
        addApplication(QStringLiteral("E%1").arg(i, 2, 10, QLatin1Char('0')), {QStringLiteral("Team")})
            ->setComment(QStringLiteral("same"));
    open();
    QList<int> rows;
    for (int row = 0; row < 20; ++row)
        rows << row;
    selectRows(rows);
    EXPECT_EQ(sidebar().modifyToken()->objectValue(), QStringList{QStringLiteral("Team")});
    EXPECT_EQ(sidebar().modifyComment()->text(), QStringLiteral("same"));
    selectRows(rows << 20);
    EXPECT_TRUE(sidebar().modifyToken()->objectValue().isEmpty()) << "21 rows show no tags, even shared ones";
    EXPECT_TRUE(sidebar().modifyComment()->text().isEmpty());

    // The knob released at the middle: hue one half for all 21.
    ColorSlider* slider = sidebar().colorSlider();
    const QPoint middle(slider->width() / 2, slider->height() / 2);
    QTest::mousePress(slider, Qt::LeftButton, Qt::NoModifier, middle);
    QTest::mouseRelease(slider, Qt::LeftButton, Qt::NoModifier, middle);
    for (int row = 0; row < 21; ++row) {
        const auto color = model().entryAt(row)->color();
        ASSERT_TRUE(color) << row;
        EXPECT_NEAR(color->toQColor().hsvHueF(), 0.5, 0.03) << row;
    }
}

// What the URL handler asks the modify-URL pane to show.
class RecordingURLPane : public AddModifyURLPane {
public:
    bool hasWindow() const override { return false; }
    void presentAsSheet(const std::shared_ptr<ViewController>&) override {}
    void setReferenceTableViewItem(const TableViewItemPtr& entry) override { modified.append(entry); }
    void refreshURLField() override {}
    void setSiteTitleText(const QString&) override {}
    void setSiteCommentText(const QString&) override {}
    QList<TableViewItemPtr> modified;
};

TEST_F(DataWindowTest, ARowEditsTagsAndStarAndADoubleClickModifiesAUserURL)
{
    const auto app = addApplication(QStringLiteral("Alpha"));
    const auto mine = test::addURLEntry(*store, QStringLiteral("Mine"), QStringLiteral("https://mine.example"));
    openActive();
    const int row = rowOf(QStringLiteral("Alpha"));
    clickCell(row, ConfigTableViewModel::columnTags, &settingsui::TableViewCellConfigTags::tokenRect);
    auto* tokens = openEditor<CustomTokenField>();
    ASSERT_TRUE(tokens);
    QTest::keyClicks(tokens->editor(), QStringLiteral("Music"));
    QTest::keyClick(tokens->editor(), Qt::Key_Return);
    QTest::keyClick(tokens->editor(), Qt::Key_Return);
    EXPECT_EQ(app->tags(), QStringList{QStringLiteral("Music")});

    clickCell(row, ConfigTableViewModel::columnTags, &settingsui::TableViewCellConfigTags::starRect);
    EXPECT_TRUE(app->isFavorite());
    clickCell(row, ConfigTableViewModel::columnTags, &settingsui::TableViewCellConfigTags::starRect);
    EXPECT_FALSE(app->isFavorite());

    auto windows = std::make_shared<test::FakeWindowRequests>();
    WindowRequests::setShared(windows);
    auto pane = std::make_shared<RecordingURLPane>();
    windows->makeViewController = [pane](WindowKind::Kind) { return pane; };
    QTableView* table = content().dataTableView();
    for (const QString& name : {QStringLiteral("Alpha"), QStringLiteral("Mine")}) {
        const QRect nameArea = settingsui::TableViewCellConfigEntry::layout(
                                table->visualRect(model().index(rowOf(name), ConfigTableViewModel::columnEntry)))
                                .name;
        QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, nameArea.center());
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, nameArea.center());
    }
    WindowRequests::setShared(nullptr);
    EXPECT_EQ(pane->modified, QList<TableViewItemPtr>{mine}) << "only the URL the user made opens to be modified";
}

TEST_F(DataWindowTest, TheToolbarAddsExportsTheShownRowsAndImports)
{
    // The export and import work on the shared configuration's store.
    Configuration& config = Configuration::shared();
    config.setStores(store.get(), nullptr);
    addApplication(QStringLiteral("Alpha"));
    const auto bravo = test::addURLEntry(*store, QStringLiteral("Bravo site"), QStringLiteral("https://bravo.example"));
    bravo->setComment(QStringLiteral("kept"));
    open();
    const auto readFile = [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    };

    const QString notes = folder + QStringLiteral("/notes.txt");
    ASSERT_TRUE(QFile(notes).open(QIODevice::WriteOnly));
    dialogs->queueOpenPanelResponse({notes});
    window->toolbarAction(QStringLiteral("Add File or Folder"))->trigger();
    EXPECT_TRUE(model().rowOfPath(notes)) << "the added file is not listed";

    window->searchField()->setText(QStringLiteral("bravo"));
    ASSERT_EQ(shownNames(), QStringList{QStringLiteral("Bravo site")});
    dialogs->queueSavePanelResponse(folder + QStringLiteral("/shown"));
    window->toolbarAction(QStringLiteral("Export CSV"))->trigger();
    ASSERT_FALSE(dialogs->savePanels().isEmpty());
    EXPECT_TRUE(dialogs->savePanels().last().nameFieldStringValue.endsWith(QStringLiteral(".csv")));
    const QString csv = readFile(folder + QStringLiteral("/shown.csv"));
    EXPECT_TRUE(csv.contains(QStringLiteral("Bravo site"))) << csv.toStdString();
    EXPECT_FALSE(csv.contains(QStringLiteral("Alpha"))) << "only the rows shown";

    dialogs->queueSavePanelResponse(folder + QStringLiteral("/all"));
    window->toolbarAction(QStringLiteral("Export"))->trigger();
    EXPECT_TRUE(dialogs->savePanels().last().nameFieldStringValue.endsWith(QStringLiteral(".Vantel_ExportData")));
    const QString exported = folder + QStringLiteral("/all.Vantel_ExportData");
    ASSERT_TRUE(QFileInfo::exists(exported));

    // The import replaces the catalogue with the file's, once confirmed.
    bravo->setComment(QStringLiteral("changed since"));
    dialogs->queueOpenPanelResponse({exported});
    dialogs->queueAlertResponse(1);
    window->toolbarAction(QStringLiteral("Import"))->trigger();
    config.setStores(nullptr, nullptr);
    EXPECT_EQ(dialogs->openPanels().last().allowedFileTypes, QStringList{QStringLiteral("Vantel_ExportData")});
    const auto imported = store->entryForPath(QStringLiteral("https://bravo.example"));
    ASSERT_TRUE(imported);
    EXPECT_EQ(imported->comment(), QStringLiteral("kept"));
    EXPECT_EQ(dialogs->unansweredCount(), 0);
}

// A tags window that only notes how the list looked while it ran.
class TagsWindowStandIn : public WindowController {
public:
    std::shared_ptr<ViewController> contentViewController() const override { return nullptr; }
    void showWindow(bool runModal) override
    {
        ranModally = runModal;
        if (whileShown)
            whileShown();
    }
    bool isWindowOpen() const override { return false; }
    void close() override {}
    bool ranModally = false;
    std::function<void()> whileShown;
};

TEST_F(DataWindowTest, ModifyTagsRunsTheTagsWindowModallyThenReloadsTheList)
{
    addApplication(QStringLiteral("Alpha"));
    open();
    auto tagsWindow = std::make_shared<TagsWindowStandIn>();
    VantelWindowEnum::registerWindowController(VantelWindowEnum::tags, [tagsWindow] { return tagsWindow; });
    QSignalSpy resets(&model(), &QAbstractItemModel::modelReset);
    int resetsWhileShown = -1;
    tagsWindow->whileShown = [&] {
        resetsWhileShown = int(resets.size());
        // The tags window changed the list without a word.
        store->currentDataConfig()->append(addApplication(QStringLiteral("Bravo")));
    };
    window->toolbarAction(QStringLiteral("Tags"))->trigger();
    VantelWindowEnum::reset();
    EXPECT_TRUE(tagsWindow->ranModally);
    EXPECT_EQ(resetsWhileShown, 0);
    EXPECT_EQ(shownNames(), (QStringList{QStringLiteral("Alpha"), QStringLiteral("Bravo")}));
}

TEST_F(DataWindowTest, ClosingTheWindowSavesTheConfiguration)
{
    platform::UserDefaults defaults(folder + QStringLiteral("/settings.plist"));
    Configuration config(defaults);
    config.setStores(store.get(), nullptr);
    config.loadConfig();
    services.configuration = &config;
    const auto mine = test::addURLEntry(*store, QStringLiteral("Mine"), QStringLiteral("https://mine.example"));
    open();
    mine->setComment(QStringLiteral("saved as the window closes"));
    window->close();
    QApplication::processEvents();
    platform::UserDefaults reread(folder + QStringLiteral("/settings.plist"));
    const auto data = reread.dataForKey(QStringLiteral("ApplicationData"));
    ASSERT_TRUE(data) << "nothing saved";
    EXPECT_TRUE(data->contains(QByteArrayLiteral("saved as the window closes")));
}

TEST_F(DataWindowTest, InactiveOnlyDropsAnEntryShownAgainAndTagsSortTiesByName)
{
    const auto charlie = addApplication(QStringLiteral("Charlie"), {QStringLiteral("Work")});
    addApplication(QStringLiteral("Alpha"), {QStringLiteral("Work")});
    const auto bravo = addApplication(QStringLiteral("Bravo"));
    open();
    content().dataTableView()->horizontalHeader()->setSortIndicator(ConfigTableViewModel::columnTags,
                                                                    Qt::AscendingOrder);
    EXPECT_EQ(shownNames(), (QStringList{QStringLiteral("Alpha"), QStringLiteral("Charlie"), QStringLiteral("Bravo")}));

    charlie->setIsVisible(false);
    bravo->setIsVisible(false);
    window->activePopupButton()->setCurrentIndex(2);
    emit window->activePopupButton()->activated(2);
    ASSERT_EQ(shownNames(), (QStringList{QStringLiteral("Charlie"), QStringLiteral("Bravo")}));
    clickEntryCell(rowOf(QStringLiteral("Charlie")), &settingsui::TableViewCellConfigEntry::Layout::toggle);
    ASSERT_TRUE(charlie->isVisible());
    QApplication::processEvents();
    EXPECT_EQ(shownNames(), QStringList{QStringLiteral("Bravo")});
}

TEST_F(DataWindowTest, TheColourPopoverOpensBesideTheBoxClearOfItsRow)
{
    for (const QString& name : {QStringLiteral("Alpha"), QStringLiteral("Bravo"), QStringLiteral("Charlie")})
        addApplication(name);
    open();
    QTableView* table = content().dataTableView();
    for (const int row : {rowOf(QStringLiteral("Bravo")), model().rowCount() - 1}) {
        clickEntryCell(row, &settingsui::TableViewCellConfigEntry::Layout::colorBox);
        platform::PopoverHost* popover = ColorPopupManager::shared().colorPopover();
        ASSERT_TRUE(popover && popover->isShown()) << row;
        const QRect cell = table->visualRect(model().index(row, ConfigTableViewModel::columnEntry));
        const QRect box = settingsui::TableViewCellConfigEntry::layout(cell).colorBox;
        const QRect rowOnScreen(table->viewport()->mapToGlobal(QPoint(0, cell.top())),
                                QSize(table->viewport()->width(), cell.height()));
        const QPoint boxOnScreen = table->viewport()->mapToGlobal(box.center());
        const QRect frame = popover->geometry();
        EXPECT_FALSE(frame.intersects(rowOnScreen)) << row << ": the popover covers the row it edits";
        EXPECT_LE(std::min(qAbs(frame.top() - rowOnScreen.bottom()), qAbs(rowOnScreen.top() - frame.bottom())), 6)
            << row << ": not beside the row";
        EXPECT_TRUE(frame.left() <= boxOnScreen.x() && boxOnScreen.x() <= frame.right()) << row;
        // The window with the popover where it stands, to look at.
        QImage picture = window->window()->grab().toImage();
        QPainter painter(&picture);
        painter.drawPixmap(frame.topLeft() - window->window()->mapToGlobal(QPoint(0, 0)), popover->grab());
        painter.end();
        picture.save(outputFolder() + QStringLiteral("/data-window-colour-popover-%1.png").arg(row));
        ColorPopupManager::shared().closePopover();
    }
}

TEST_F(DataWindowTest, TheEntryColumnTakesTheSpareWidthAndSetWidthsLastTheSession)
{
    addApplication(QStringLiteral("Alpha"));
    open();
    QHeaderView* header = content().dataTableView()->horizontalHeader();
    const int entry = header->sectionSize(ConfigTableViewModel::columnEntry);
    const int comment = header->sectionSize(ConfigTableViewModel::columnComment);
    EXPECT_GT(entry, comment);
    window->window()->resize(window->window()->width() + 300, window->window()->height());
    QApplication::processEvents();
    EXPECT_EQ(header->sectionSize(ConfigTableViewModel::columnEntry), entry + 300);
    EXPECT_EQ(header->sectionSize(ConfigTableViewModel::columnComment), comment);

    header->resizeSection(ConfigTableViewModel::columnComment, comment + 40);
    window->close();
    window.reset();
    open();
    EXPECT_EQ(content().dataTableView()->horizontalHeader()->sectionSize(ConfigTableViewModel::columnComment),
              comment + 40);
    content().dataTableView()->horizontalHeader()->resizeSection(ConfigTableViewModel::columnComment, comment);
}

} // namespace
} // namespace vantel
