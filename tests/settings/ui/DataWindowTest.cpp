#include "ConfigWindowTestSupport.h"

#include "datastore/DatastorageHandlerURLObjects.h"
#include "graphics/widgets/DrawnColorCircle.h"
#include "mainwindow/CatalogueEntries.h"
#include "model/TableViewItemChangedNotifyObject.h"
#include "popups/CustomTextField.h"
#include "popups/CustomTokenField.h"
#include "settings/ui/ConfigSearchField.h"
#include "settings/ui/ConfigSplitViewController.h"
#include "settings/ui/ConfigTableViewModel.h"
#include "settings/ui/ConfigViewControllerContent.h"
#include "settings/ui/ConfigViewControllerSidebar.h"
#include "settings/ui/ConfigWindowController.h"
#include "settings/ui/TableViewCellConfigEntry.h"
#include "support/TestSupport.h"

#include <QComboBox>
#include <QHeaderView>
#include <QMenu>
#include <QMimeData>
#include <QPaintEvent>
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

} // namespace
} // namespace vantel
