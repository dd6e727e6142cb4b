// The main view's controller over a realistic catalogue in a window host:
// life cycle, notifications while shown and hidden, sidebar selection to
// filter, the click road, held files and the search field.
#include "MainViewTestSupport.h"

#include "mainwindow/SidebarModel.h"
#include "model/TableViewItemChangedNotifyObject.h"
#include "platform/ui/UiCatalog.h"
#include "shell/VantelManager.h"

#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QScopeGuard>
#include <QSignalSpy>

namespace vantel::test {

namespace {

using State = platform::ViewControllerBase::AppearanceState;

void post(const char* name, std::any object = {}, const void* sender = nullptr)
{
    platform::NotificationCenter::defaultCenter().post(QString::fromLatin1(name), std::move(object), sender);
}

TEST_F(MainViewTest, LifeCycleLogsEachStepAndInstallsTheKeyboardOnlyWhileShown)
{
    fillCatalogue();
    open();
    for (const char* line : {"-> viewDidLoad", "<- viewDidLoad", "-> viewWillAppear", "<- viewWillAppear",
                             "-> viewDidAppear", "<- viewDidAppear"})
        EXPECT_TRUE(logged(QString::fromLatin1(line))) << line;
    EXPECT_EQ(controller->currentState(), defaultVantelMainViewControllerState::viewDidAppear);
    EXPECT_TRUE(controller->eventMonitorsInstalled());
    EXPECT_TRUE(search().hasFocus());
    EXPECT_EQ(focusedControl(), FocusedControl::searchField);
    // The sidebar was built and its first category chose the list.
    EXPECT_EQ(sidebar().selectedItem()->itemContentType(), SourceListItemContentType::allApplications);
    EXPECT_EQ(shownNames().size(), 8);

    sidebar().setHeaderExpanded(SourceListItemContentType::headerTags, false);
    entryPopover.shown = true;
    sidebar().setPopupMenu(&sidebarPopover);
    sidebarPopover.shown = true;
    close();
    EXPECT_TRUE(logged(QStringLiteral("-> viewWillDisappear")));
    EXPECT_TRUE(logged(QStringLiteral("<- viewWillDisappear")));
    EXPECT_FALSE(controller->eventMonitorsInstalled());
    EXPECT_EQ(focusedControl(), FocusedControl::none);
    EXPECT_FALSE(entryPopover.shown);
    EXPECT_FALSE(sidebarPopover.shown);
    EXPECT_TRUE(config().sidebarTagsCollapsed());
    EXPECT_FALSE(config().sidebarCategoriesCollapsed());

    // The next opening reads the collapsed header back.
    open();
    EXPECT_TRUE(sidebar().isHeaderCollapsed(SourceListItemContentType::headerTags));
}

TEST_F(MainViewTest, OpeningClearsTheHeldFilesAndASearchLeftOver)
{
    fillCatalogue();
    open();
    controller->setServiceManagerValues({QStringLiteral("/tmp/a.txt")});
    controller->updateServiceManagerLabel();
    QTest::keyClicks(&search(), QStringLiteral("calc"));
    EXPECT_EQ(shownNames(), QStringList{QStringLiteral("Calculator")});
    close();
    open();
    EXPECT_TRUE(controller->serviceManagerValues().isEmpty());
    EXPECT_FALSE(controller->lblServiceManager()->isVisible());
    EXPECT_TRUE(search().text().isEmpty());
    // The list is the sidebar item's again, not the old search result.
    EXPECT_EQ(shownNames().size(), 8);
}

TEST_F(MainViewTest, TheSelectionShowsTheFocusBeforeTheWindowManagerHandsItOver)
{
    // The window gets the focus a moment after it maps; its first frame
    // already draws the selection as the focused search field shows it.
    fillCatalogue();
    QLineEdit elsewhere;
    elsewhere.show();
    elsewhere.activateWindow();
    ASSERT_TRUE(waitUntil([&] { return QApplication::focusWidget() == &elsewhere; }));
    host->setContentViewController(controller.get());
    host->showWindow();
    ASSERT_NE(QApplication::focusWidget(), &search());
    EXPECT_EQ(focusedControl(), FocusedControl::searchField);
}

TEST_F(MainViewTest, StoreNotificationsRefreshTheListOnlyWhileShown)
{
    fillCatalogue();
    open();
    close();
    log.clear();
    const int before = list().tableModel().rowCount();
    store->filterCurrentData().filterByTag(QStringLiteral("Office"));
    EXPECT_TRUE(logged(QStringLiteral(
        "Observer currentDataHadChanged was called. View was invisible. Refresh discarded")));
    EXPECT_EQ(list().tableModel().rowCount(), before);
    store->filterCurrentData().applyFilter();
    EXPECT_TRUE(logged(QStringLiteral("Observer currentDataWasNotChangedDuringLastRequest was called. View was "
                                      "invisible. Redraw discarded")));
    post("visibleTagsRebuildNeeded");
    EXPECT_TRUE(logged(QStringLiteral("Observer visibleTagsRebuildNeeded was called")));
    EXPECT_TRUE(sidebar().rebuildDataWithNextReload());
    post("didLaunchApplication", QStringLiteral("/usr/bin/x"));
    EXPECT_FALSE(logged(QStringLiteral("Observer applicationWasLaunched was called")));

    post("didTerminateApplication", QStringLiteral("/usr/bin/x"));
    EXPECT_FALSE(logged(QStringLiteral("Observer didTerminateApplication was called")));
    post("systemSidebarSizeChanged");
    EXPECT_TRUE(logged(QStringLiteral("Observer systemSidebarSizeChanged was called")));

    // Shown again: the list shows the store's list, the rebuild was done.
    open();
    EXPECT_FALSE(sidebar().rebuildDataWithNextReload());
    EXPECT_EQ(list().tableModel().rowCount(), store->currentData()->count());
    log.clear();
    store->filterCurrentData().filterByTag(QStringLiteral("Graphics"));
    EXPECT_TRUE(logged(QStringLiteral("Observer currentDataHadChanged was called")));
    EXPECT_EQ(shownNames().size(), 3);
    EXPECT_EQ(list().selectedRow(), 0);
    store->filterCurrentData().filterByTag(QStringLiteral("Graphics"));
    EXPECT_TRUE(logged(QStringLiteral("Observer currentDataWasNotChangedDuringLastRequest was called")));
    post("didLaunchApplication", QStringLiteral("/usr/bin/x"));
    EXPECT_TRUE(logged(QStringLiteral("Observer applicationWasLaunched was called")));
    post("didTerminateApplication", QStringLiteral("/usr/bin/x"));
    EXPECT_TRUE(logged(QStringLiteral("Observer didTerminateApplication was called")));
    post("visibleTagsRedrawNeeded");
    EXPECT_TRUE(logged(QStringLiteral("Observer visibleTagsRedrawNeeded was called")));
    post("showPathInMainViewChanged");
    EXPECT_TRUE(logged(QStringLiteral("Observer showPathInMainViewChanged was called")));
}

TEST_F(MainViewTest, ACategoryFilledWhileHiddenShowsAtTheNextOpening)
{
    app(QStringLiteral("Calculator"), QStringLiteral("accessories-calculator"));
    store->rebuildData(DataStorageRebuildReason::userInitiatedRequest);
    open();
    EXPECT_FALSE(sidebar().rootEntryAllFilesAvailable());
    close();
    path(QStringLiteral("Notes.txt"), ListviewItemType::file);
    store->rebuildData(DataStorageRebuildReason::userInitiatedRequest);
    open();
    EXPECT_TRUE(sidebar().rootEntryAllFilesAvailable());
    EXPECT_TRUE(sidebar().selectItemWithSelectionType(SidebarSelectionType::allFiles));
}

TEST_F(MainViewTest, TheSidebarFollowsAFavouriteMarkedWhileShown)
{
    const TableViewItemPtr calculator = app(QStringLiteral("Calculator"), QStringLiteral("accessories-calculator"));
    app(QStringLiteral("Terminal"), QStringLiteral("utilities-terminal"));
    store->rebuildData(DataStorageRebuildReason::userInitiatedRequest);
    open();
    EXPECT_FALSE(sidebar().rootEntryAllFavoritesAvailable());

    // The list of all applications stays as it was; the category appears.
    calculator->setIsFavorite(true);
    store->rebuildData(DataStorageRebuildReason::tableViewPopup);
    EXPECT_TRUE(logged(QStringLiteral("Observer currentDataWasNotChangedDuringLastRequest was called")));
    EXPECT_TRUE(sidebar().rootEntryAllFavoritesAvailable());
    // The selection stays where the user left it.
    EXPECT_EQ(sidebar().selectedContentType(), SourceListItemContentType::allApplications);

    calculator->setIsFavorite(false);
    store->rebuildData(DataStorageRebuildReason::tableViewPopup);
    EXPECT_FALSE(sidebar().rootEntryAllFavoritesAvailable());
}

TEST_F(MainViewTest, ItemChangesLogAndRepaintExceptTagAndVisibilityChanges)
{
    fillCatalogue();
    open();
    const QString path = list().tableModel().entryAt(0)->path();
    log.clear();
    post("tableViewItemChanged", TableViewItemChangedNotifyObject{path, TableViewItemChangeReason::tagChanged});
    post("tableViewItemChanged", TableViewItemChangedNotifyObject{path, TableViewItemChangeReason::visibilityChanged});
    post("tableViewItemChanged", TableViewItemChangedNotifyObject{QString(), TableViewItemChangeReason::nameChanged});
    post("tableViewItemChanged", QStringLiteral("not an item change"));
    EXPECT_FALSE(logged(QStringLiteral("Observer tableViewItemChanged was called")));

    QSignalSpy changed(&list().tableModel(), &QAbstractItemModel::dataChanged);
    post("tableViewItemChanged", TableViewItemChangedNotifyObject{path, TableViewItemChangeReason::nameChanged});
    EXPECT_TRUE(logged(QStringLiteral("Observer tableViewItemChanged was called")));
    EXPECT_TRUE(logged(QStringLiteral("  - Object: ") + path));
    EXPECT_TRUE(logged(QStringLiteral("  - NotifyReason: ") + rawValue(TableViewItemChangeReason::nameChanged)));
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(changed.first().at(0).value<QModelIndex>().row(), 0);
}

TEST_F(MainViewTest, AFilterRefreshEmptiesTheSearchFieldShownOrNot)
{
    fillCatalogue();
    open();
    QTest::keyClicks(&search(), QStringLiteral("ter"));
    store->filterCurrentData().applyFilter();
    EXPECT_TRUE(search().text().isEmpty());
    // The store forgot the search too: a rebuild does not bring it back.
    EXPECT_TRUE(store->filterCurrentData().searchStringFromSearchField.isEmpty());
    close();
    search().setText(QStringLiteral("x"));
    store->filterCurrentData().applyFilter();
    EXPECT_TRUE(search().text().isEmpty());
}

TEST_F(MainViewTest, SidebarSelectionSetsTheFilterOncePerItem)
{
    fillCatalogue();
    open();
    log.clear();
    ASSERT_TRUE(sidebar().selectItemWithTagName(QStringLiteral("Graphics")));
    EXPECT_TRUE(logged(QStringLiteral("-> .tag with searchString: Graphics")));
    EXPECT_TRUE(logged(QStringLiteral("-> update MainTableView with selected SectionView-Item")));
    EXPECT_TRUE(logged(QStringLiteral("<- update MainTableView with selected SectionView-Item")));
    QStringList graphics = shownNames();
    graphics.sort();
    EXPECT_EQ(graphics, (QStringList{QStringLiteral("Blender"), QStringLiteral("GIMP Image Editor"),
                                     QStringLiteral("Holiday photo.png")}));

    log.clear();
    controller->updateMainTableView();
    EXPECT_TRUE(logged(QStringLiteral("Previous selected Item and new selected Item are the same. No need to refresh!")));
    EXPECT_FALSE(logged(QStringLiteral("-> .tag with searchString: Graphics")));

    ASSERT_TRUE(controller->selectItemWithSelectionType(int(SidebarSelectionType::allFolders)));
    EXPECT_TRUE(logged(QStringLiteral("-> .allFolders")));
    QStringList folders = shownNames();
    folders.sort();
    EXPECT_EQ(folders, (QStringList{QStringLiteral("Invoices"), QStringLiteral("Projects")}));
    EXPECT_FALSE(controller->selectItemWithSelectionType(99));
    EXPECT_TRUE(controller->hasSectionView());
}

TEST_F(MainViewTest, SidebarSelectionWaitsForTheSidebarReloadAndFallsBack)
{
    fillCatalogue();
    open();
    ASSERT_TRUE(sidebar().selectItemWithTagName(QStringLiteral("Office")));
    log.clear();
    // A reload re-selects the row; the filter is not touched meanwhile.
    sidebar().updateContent(true);
    EXPECT_FALSE(logged(QStringLiteral("-> .tag with searchString: Office")));
    if (logged(QStringLiteral("-> update MainTableView with selected SectionView-Item"))) {
        EXPECT_TRUE(logged(QStringLiteral("SectionView is currently reloading -> Break!")));
    }

    // Nothing selected: the first available row is chosen and applied.
    log.clear();
    sidebar().selectionModel()->clearSelection();
    controller->updateMainTableView();
    EXPECT_TRUE(logged(QStringLiteral("-> .allApplications")));
    EXPECT_EQ(sidebar().selectedItem()->itemContentType(), SourceListItemContentType::allApplications);
    EXPECT_EQ(shownNames().size(), 8);
}

TEST_F(MainViewTest, NothingSelectableLogsTheErrorAndAsksForAllApplications)
{
    // Both sections collapsed: the sidebar has no row to select.
    fillCatalogue();
    open();
    sidebar().setHeaderExpanded(SourceListItemContentType::headerCategories, false);
    sidebar().setHeaderExpanded(SourceListItemContentType::headerTags, false);
    log.clear();
    sidebar().selectionModel()->clearSelection();
    controller->updateMainTableView();
    EXPECT_TRUE(logged(QStringLiteral("!! Error - nothing selected!")));
    // The category is asked for by kind, which opens its section.
    ASSERT_TRUE(sidebar().selectedItem());
    EXPECT_EQ(sidebar().selectedItem()->itemContentType(), SourceListItemContentType::allApplications);
    EXPECT_EQ(shownNames().size(), 8);
}

TEST_F(MainViewTest, TheClickRoadRunsTheSelectedEntryWithTheHeldFiles)
{
    fillCatalogue();
    open();
    list().selectRow(2);
    const QString third = selectedName();
    controller->tableViewAction(-1);
    EXPECT_TRUE(ranNames().isEmpty());

    // Double click (clickType 0): the selected row runs with the held files.
    controller->setServiceManagerValues({QStringLiteral("/tmp/one.txt"), QStringLiteral("/tmp/two.txt")});
    const QPoint centre = list().visualRect(list().tableModel().index(2)).center();
    QTest::mouseClick(list().viewport(), Qt::LeftButton, {}, centre);
    EXPECT_TRUE(ranNames().isEmpty());
    QTest::mouseDClick(list().viewport(), Qt::LeftButton, {}, centre);
    ASSERT_EQ(ranNames(), QStringList{third});
    ASSERT_TRUE(services->opened.first().files.has_value());
    EXPECT_EQ(*services->opened.first().files,
              (QVariantList{QStringLiteral("/tmp/one.txt"), QStringLiteral("/tmp/two.txt")}));
    // Kept until the next opening.
    EXPECT_EQ(controller->serviceManagerValues().size(), 2);

    // The popover shown: nothing runs.
    services->opened.clear();
    entryPopover.shown = true;
    controller->tableViewAction(2);
    EXPECT_TRUE(ranNames().isEmpty());
}

TEST_F(MainViewTest, ASingleClickRunsWhenTheSettingAsksForIt)
{
    fillCatalogue();
    config().setClickType(1);
    open();
    const QPoint centre = list().visualRect(list().tableModel().index(1)).center();
    QTest::mouseClick(list().viewport(), Qt::LeftButton, {}, centre);
    ASSERT_EQ(ranNames(), QStringList{selectedName()});
    EXPECT_FALSE(services->opened.first().files.has_value());
}

TEST_F(MainViewTest, HeldFilesLabelAndTooltip)
{
    fillCatalogue();
    open();
    QLabel& label = *controller->lblServiceManager();
    controller->setServiceManagerValues({QStringLiteral("/home/u/a.pdf")});
    controller->updateServiceManagerLabel();
    EXPECT_TRUE(label.isVisible());
    EXPECT_EQ(label.text(), QStringLiteral("Send Object to:"));
    EXPECT_EQ(label.toolTip(), QStringLiteral("/home/u/a.pdf"));

    QStringList many;
    for (int i = 1; i <= 26; ++i)
        many.append(QStringLiteral("/home/u/file%1.txt").arg(i));
    controller->setServiceManagerValues(many);
    controller->updateServiceManagerLabel();
    EXPECT_EQ(label.text(), QStringLiteral("Send 26 Objects to:"));
    const QStringList lines = label.toolTip().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 26);
    EXPECT_EQ(lines.at(24), QStringLiteral("/home/u/file25.txt"));
    EXPECT_EQ(lines.at(25), QStringLiteral("..."));

    controller->setServiceManagerValues(many.mid(0, 25));
    controller->updateServiceManagerLabel();
    EXPECT_EQ(label.toolTip().split(QLatin1Char('\n')).size(), 25);

    controller->setServiceManagerValues({});
    controller->updateServiceManagerLabel();
    EXPECT_FALSE(label.isVisible());
}

TEST_F(MainViewTest, TypingNarrowsTheListOverAllEntriesAndEmptyingRestoresTheTag)
{
    fillCatalogue();
    open();
    ASSERT_TRUE(sidebar().selectItemWithTagName(QStringLiteral("Graphics")));
    search().setFocus();
    QTest::keyClicks(&search(), QStringLiteral("edi"));
    QStringList found = shownNames();
    found.sort();
    // Entries of every category, not only the selected tag's.
    EXPECT_EQ(found, (QStringList{QStringLiteral("GIMP Image Editor"), QStringLiteral("Text Editor")}));
    EXPECT_EQ(list().selectedRow(), 0);
    QTest::keyClick(&search(), Qt::Key_I);
    EXPECT_TRUE(shownNames().isEmpty());

    for (int i = 0; i < 4; ++i)
        QTest::keyClick(&search(), Qt::Key_Backspace);
    EXPECT_TRUE(search().text().isEmpty());
    EXPECT_EQ(shownNames().size(), 3);
    EXPECT_EQ(sidebar().selectedTagName(), QStringLiteral("Graphics"));
}

TEST_F(MainViewTest, TabEndsTheSearchIntoTheListButAClickElsewhereKeepsItsTarget)
{
    fillCatalogue();
    open();
    ASSERT_TRUE(search().hasFocus());
    QTest::keyClick(&search(), Qt::Key_Tab);
    EXPECT_TRUE(list().hasFocus());
    EXPECT_EQ(focusedControl(), FocusedControl::mainTableView);
    // Tab goes between the list and the search field only.
    QTest::keyClick(&list(), Qt::Key_Tab, Qt::NoModifier);
    EXPECT_TRUE(search().hasFocus());
    QTest::keyClick(&search(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_TRUE(list().hasFocus());

    search().setFocus();
    sidebar().setFocus(Qt::MouseFocusReason);
    EXPECT_TRUE(sidebar().hasFocus());
    EXPECT_EQ(focusedControl(), FocusedControl::sectionView);
}

TEST_F(MainViewTest, ModifierKeysArePostedOncePerChangeAndClearedWhenHidden)
{
    fillCatalogue();
    open();
    QList<CurrentModifierFlags> posted;
    auto token = platform::NotificationCenter::defaultCenter().addObserver(
        QStringLiteral("modifierFlagsChanged"), [&](const platform::Notification& n) {
            if (const auto* flags = std::any_cast<CurrentModifierFlags>(&n.object))
                posted.append(*flags);
        });
    holdModifier(Qt::Key_Control);
    EXPECT_TRUE(controller->modifierFlagsContainCommandKey());
    holdModifier(Qt::Key_Alt, Qt::ControlModifier);
    EXPECT_TRUE(controller->modifierFlagsContainOptionKey());
    holdModifier(Qt::Key_Meta, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_TRUE(controller->modifierFlagsContainControlKey());
    releaseModifier(Qt::Key_Alt, Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    EXPECT_FALSE(controller->modifierFlagsContainOptionKey());
    ASSERT_EQ(posted.size(), 4);
    EXPECT_EQ(posted.last(), (CurrentModifierFlags{false, true, true, false}));
    // The list's rows learnt it.
    EXPECT_TRUE(list().cell().commandKeyActive());

    close();
    EXPECT_FALSE(controller->modifierFlagsContainCommandKey());
    EXPECT_FALSE(controller->modifierFlagsContainControlKey());
    EXPECT_EQ(posted.last(), CurrentModifierFlags{});
}

TEST_F(MainViewTest, TheInterfaceCatalogueMakesTheController)
{
    mainwindow::MainViewController::registerInterface();
    auto made = platform::UiCatalog::main().instantiateAs<ViewController>(QStringLiteral("Main"),
                                                                           QStringLiteral("MainViewController"));
    ASSERT_TRUE(made);
    EXPECT_TRUE(std::dynamic_pointer_cast<vantel::MainViewController>(made));
    EXPECT_EQ(made->currentState(), defaultVantelMainViewControllerState::none);
}

TEST_F(MainViewTest, ThePopoversAndTheSidebarDropsAreTheProgramsOwnByDefault)
{
    mainwindow::MainViewController plain(*store);
    plain.view();
    EXPECT_TRUE(plain.sectionView()->popupMenu());
    EXPECT_TRUE(plain.sectionView()->dropHandler());
    ASSERT_TRUE(plain.tableViewPopover());
    EXPECT_FALSE(plain.tableViewPopover()->isShown());
    EXPECT_EQ(plain.sectionView()->focusPolicy(), Qt::ClickFocus);
}

TEST_F(MainViewTest, TheMenuButtonPopsUpTheMainMenuBelowItself)
{
    fillCatalogue();
    open();
    QMenu menu;
    menu.addAction(QStringLiteral("Settings"));
    mainwindow::MainViewController::setMainMenuProvider([&menu] { return &menu; });
    DrawnButtonMenu& button = *controller->viewMenu();
    QTest::mousePress(&button, Qt::LeftButton);
    EXPECT_TRUE(menu.isVisible());
    EXPECT_GE(menu.pos().y(), button.mapToGlobal(QPoint(0, button.height())).y());
    menu.close();
    mainwindow::MainViewController::setMainMenuProvider({});
    // Without a menu the button does nothing.
    QTest::mouseRelease(&button, Qt::LeftButton);
    QTest::mousePress(&button, Qt::LeftButton);
    EXPECT_FALSE(menu.isVisible());
}

// Files dragged from outside rest on a tag row of the sidebar: once it
// springs open the tag is selected and the list shows its entries.
TEST_F(MainViewTest, FilesDraggedOverASidebarTagSelectIt)
{
    fillCatalogue();
    open();
    const auto office = sidebar().searchForSourceListItem(QStringLiteral("Office"), SourceListItemContentType::tag);
    ASSERT_TRUE(office);
    const QPoint centre = sidebar().visualRect(sidebar().model().indexForItem(office.get())).center();
    const QPoint inHost = sidebar().viewport()->mapTo(host.get(), centre);
    // The drag goes where the window system sends it: to the widget under the pointer.
    QWidget* target = host->childAt(inHost);
    ASSERT_EQ(target, sidebar().viewport());
    const QPoint at = target->mapFrom(host.get(), inHost);
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(docFolder + QStringLiteral("/Meeting notes.txt"))});
    QDragEnterEvent enter(at, Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QDragMoveEvent move(at, Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &move);

    ASSERT_TRUE(waitUntil([&] { return controller->selectedTagName() == std::optional(QStringLiteral("Office")); }));
    QStringList shown = shownNames();
    shown.sort();
    EXPECT_EQ(shown, (QStringList{QStringLiteral("Invoices"), QStringLiteral("Meeting notes.txt"),
                                  QStringLiteral("Quarterly report 2026.pdf"), QStringLiteral("Text Editor")}));
    host->grab().save(outputFolder() + QStringLiteral("/main-view-spring-loaded.png"));
    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(target, &leave);
}

TEST_F(MainViewTest, FilesDroppedOnTheViewAreHeldWhenReachable)
{
    fillCatalogue();
    open();
    // The manager hosts this controller and its view is already up.
    VantelManager& manager = VantelManager::shared();
    manager.setViewControllerMain(controller);
    manager.setMainWindowActions([] {}, {});
    const auto restore = qScopeGuard([&manager] { manager.reset(); });

    const QString a = docFolder + QStringLiteral("/Meeting notes.txt");
    const QString gone = docFolder + QStringLiteral("/deleted meanwhile.txt");
    QWidget* target = controller->mainDraggingDestination();
    const QPoint at = search().mapTo(target, search().rect().center());
    const auto drop = [&](const QList<QUrl>& urls) {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        QDropEvent event(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &event);
        return event.isAccepted();
    };

    EXPECT_TRUE(drop({QUrl::fromLocalFile(gone), QUrl::fromLocalFile(a)}));
    EXPECT_EQ(controller->serviceManagerValues(), QStringList{a});
    EXPECT_TRUE(controller->lblServiceManager()->isVisible());
    EXPECT_TRUE(logged(QStringLiteral("openFilesInMainView: 1 of 2 files waiting")));
    EXPECT_FALSE(search().acceptDrops());

    // Nothing reachable: refused, and the files held before are gone too.
    EXPECT_FALSE(drop({QUrl::fromLocalFile(gone)}));
    EXPECT_TRUE(controller->serviceManagerValues().isEmpty());
    EXPECT_FALSE(controller->lblServiceManager()->isVisible());
}

} // namespace

} // namespace vantel::test
