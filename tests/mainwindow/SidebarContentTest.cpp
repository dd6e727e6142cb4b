#include "SidebarTestSupport.h"

using namespace vantel;
using Type = SourceListItemContentType;

class SidebarContentTest : public test::SidebarTest {};

TEST_F(SidebarContentTest, CategoriesFollowDataAndSettingsInTheirOrder)
{
    addPath(QStringLiteral("notes.txt"), ListviewItemType::file);
    addPath(QStringLiteral("Projects"), ListviewItemType::folder);
    addURL(QStringLiteral("news"))->setIsFavorite(true);
    rebuild();

    EXPECT_EQ(rows(), (QStringList{"Categories", "  Applications", "  Files", "  Folders", "  URLs",
                                   "  Recent Applications", "  Active Applications", "  Favorites", "Tags"}));
    EXPECT_TRUE(sidebar->rootEntryAllFilesAvailable());
    EXPECT_FALSE(sidebar->rootEntryAllShortcutsAvailable());

    // Switched off, or without data: not there. Recent and active need the setting only.
    config().setSidebarCategoriesShowFolders(false);
    config().setSidebarCategoriesShowActiveApplications(false);
    rebuild();
    EXPECT_EQ(rows(), (QStringList{"Categories", "  Applications", "  Files", "  URLs", "  Recent Applications",
                                   "  Favorites", "Tags"}));
    EXPECT_FALSE(sidebar->rootEntryAllFoldersAvailable());
}

TEST_F(SidebarContentTest, WithNothingEnabledOnlyApplicationsRemain)
{
    for (auto setter : {&Configuration::setSidebarCategoriesShowRecentApplications,
                        &Configuration::setSidebarCategoriesShowActiveApplications})
        (config().*setter)(false);
    config().setSidebarCategoriesShowURLs(false);
    addURL(QStringLiteral("news"));
    rebuild();
    EXPECT_EQ(rows(), (QStringList{"Categories", "  Applications", "Tags"}));
    const SourceListItemPtr tagsHeader = sidebar->outlineViewStructure().at(1);
    EXPECT_EQ(tagsHeader->itemContentType(), Type::headerTags);
    EXPECT_FALSE(tagsHeader->hasChildren());
}

TEST_F(SidebarContentTest, VisibleTagsBecomeATreeOfSubTags)
{
    addURL(QStringLiteral("word"), {QStringLiteral("Office|Microsoft")});
    addURL(QStringLiteral("calc"), {QStringLiteral("Office")});
    addURL(QStringLiteral("chess"), {QStringLiteral("Games")});
    addURL(QStringLiteral("deep"), {QStringLiteral("A|B|C")});
    addURL(QStringLiteral("lower"), {QStringLiteral("office")});
    config().setSidebarCategoriesShowURLs(false);
    config().setSidebarCategoriesShowRecentApplications(false);
    config().setSidebarCategoriesShowActiveApplications(false);
    rebuild();

    EXPECT_EQ(rows(), (QStringList{"Categories", "  Applications", "Tags", "  A", "    B", "      C", "  Games",
                                   "  Office", "    Microsoft", "  office"}));
    const SourceListItemPtr office = itemNamed(QStringLiteral("Office"));
    EXPECT_EQ(office->tag(), QStringLiteral("Office"));
    EXPECT_EQ(office->children().first()->tag(), QStringLiteral("Office|Microsoft"));
    EXPECT_EQ(itemNamed(QStringLiteral("A"))->tag(), QString());
    EXPECT_EQ(itemNamed(QStringLiteral("B"))->tag(), QString());
    EXPECT_EQ(itemNamed(QStringLiteral("C"))->tag(), QStringLiteral("A|B|C"));
    EXPECT_EQ(itemNamed(QStringLiteral("C"))->itemContentType(), Type::tag);
}

TEST_F(SidebarContentTest, BuildingTagPathsByHand)
{
    rebuild();
    const SourceListItemPtr header = sidebar->outlineViewStructure().at(1);
    // A sub-tag first makes a folder; the tag of the folder's own path turns it into that tag.
    sidebar->buildStructuredTags(header, QStringLiteral("Office|Microsoft"), {"Office", "Microsoft"});
    ASSERT_EQ(header->children().size(), 1);
    EXPECT_EQ(header->children().first()->tag(), QString());
    sidebar->buildStructuredTags(header, QStringLiteral("Office"), {"Office"});
    EXPECT_EQ(header->children().first()->tag(), QStringLiteral("Office"));
    EXPECT_EQ(header->children().first()->children().size(), 1);

    // Empty components are dropped but the full name is kept; a later tag on the same path wins.
    sidebar->buildStructuredTags(header, QStringLiteral("|Solo|"), {"", "Solo", ""});
    EXPECT_EQ(itemNamed(QStringLiteral("Solo"))->tag(), QStringLiteral("|Solo|"));
    sidebar->buildStructuredTags(header, QStringLiteral("X| |Y"), {"X", " ", "Y"});
    sidebar->buildStructuredTags(header, QStringLiteral("X|Y"), {"X", "Y"});
    EXPECT_EQ(itemNamed(QStringLiteral("Y"))->tag(), QStringLiteral("X|Y"));

    log.clear();
    sidebar->buildStructuredTags(header, QStringLiteral("Z"), {});
    sidebar->buildStructuredTags(header, QString(), {"Z"});
    sidebar->buildStructuredTags(header, QStringLiteral("Z"), {" "});
    EXPECT_EQ(log.messages(), (QStringList{"buildStructuredTags - tagArray.isEmpty!",
                                           "buildStructuredTags - originalTag.isEmpty!",
                                           "buildStructuredTags - internalTagArray.isEmpty!"}));
}

TEST_F(SidebarContentTest, HeaderStatesAndSelectionSurviveRebuilds)
{
    addURL(QStringLiteral("word"), {QStringLiteral("Office|Microsoft")});
    addURL(QStringLiteral("chess"), {QStringLiteral("Games")});
    rebuild();
    // The first build shows both headers open and selects the first entry.
    EXPECT_FALSE(sidebar->isHeaderCollapsed(Type::headerCategories));
    EXPECT_FALSE(sidebar->isHeaderCollapsed(Type::headerTags));
    EXPECT_EQ(selectedName(), QStringLiteral("Applications"));

    ASSERT_TRUE(sidebar->selectItemWithTagName(QStringLiteral("Office|Microsoft")));
    sidebar->setHeaderExpanded(Type::headerCategories, false);
    rebuild();
    EXPECT_TRUE(sidebar->isHeaderCollapsed(Type::headerCategories));
    EXPECT_FALSE(sidebar->isHeaderCollapsed(Type::headerTags));
    EXPECT_EQ(sidebar->selectedItem()->tag(), QStringLiteral("Office|Microsoft"));

    // The row moved (a new tag above it): found again by tag and content type.
    addURL(QStringLiteral("atlas"), {QStringLiteral("Maps")});
    addURL(QStringLiteral("abc"), {QStringLiteral("Alpha")});
    const int before = sidebar->selectedRow();
    rebuild();
    EXPECT_EQ(sidebar->selectedItem()->tag(), QStringLiteral("Office|Microsoft"));
    EXPECT_EQ(sidebar->selectedRow(), before + 2); // Alpha and Maps sort above Office
    EXPECT_TRUE(log.messages().contains(
        QStringLiteral("- renewContent: Index of the previous selected row found but tag or content-type are invalid. "
                       "Searching for correct row ...")));

    // The tag is gone: the first selectable row is taken.
    store->allData()->removeAllWhere([](const TableViewItemPtr& e) { return e->name() == QStringLiteral("word"); });
    rebuild();
    EXPECT_EQ(selectedName(), QStringLiteral("Alpha"));
}

TEST_F(SidebarContentTest, RestoringTheLastRowWhenRowsShrankDoesNotReadPastTheEnd)
{
    addURL(QStringLiteral("a"), {QStringLiteral("Zeta")});
    config().setSidebarCategoriesShowRecentApplications(false);
    config().setSidebarCategoriesShowActiveApplications(false);
    rebuild();
    // Categories, Applications, URLs, Tags, Zeta: the last row selected.
    ASSERT_TRUE(sidebar->selectItemWithTagName(QStringLiteral("Zeta")));
    const int last = sidebar->selectedRow();
    ASSERT_EQ(last, sidebar->numberOfRows() - 1);
    // Now one row fewer, so the previous row equals the count.
    store->allData()->removeAll();
    addPath(QStringLiteral("x.txt"), ListviewItemType::file);
    rebuild();
    EXPECT_EQ(sidebar->numberOfRows(), last);
    EXPECT_EQ(selectedName(), QStringLiteral("Applications"));
}

TEST_F(SidebarContentTest, RebuildIsRefusedWhileTheStoreIsBusy)
{
    addURL(QStringLiteral("a"), {QStringLiteral("Old")});
    rebuild();
    addURL(QStringLiteral("b"), {QStringLiteral("New")});
    store->rebuildData(DataStorageRebuildReason::userInitiatedRequest);
    store->setState(DatastorageState::changingAllData);
    log.clear();
    sidebar->updateContent(true);
    EXPECT_TRUE(log.messages().contains(QStringLiteral("buildData failed -> DataStorage was not idle!")));
    EXPECT_EQ(itemNamed(QStringLiteral("New")), nullptr);
    EXPECT_NE(itemNamed(QStringLiteral("Old")), nullptr);
    EXPECT_EQ(sidebar->outlineViewStructureState(), OutlineViewStructureState::idle);
    EXPECT_EQ(sidebar->outlineViewRenewState(), OutlineViewRenewState::idle);
    store->setState(DatastorageState::idle);
    sidebar->updateContent(true);
    EXPECT_NE(itemNamed(QStringLiteral("New")), nullptr);
}

TEST_F(SidebarContentTest, ARebuildLeftForTheNextReloadHappensThen)
{
    rebuild();
    addURL(QStringLiteral("a"), {QStringLiteral("Later")});
    store->rebuildData(DataStorageRebuildReason::userInitiatedRequest);
    sidebar->updateContent(false);
    EXPECT_EQ(itemNamed(QStringLiteral("Later")), nullptr);
    sidebar->setRebuildDataWithNextReload(true);
    sidebar->updateContent(false);
    EXPECT_NE(itemNamed(QStringLiteral("Later")), nullptr);
    EXPECT_FALSE(sidebar->rebuildDataWithNextReload());
}

TEST_F(SidebarContentTest, SelectionChangesDuringTheReloadAreMarkedAsSuch)
{
    addURL(QStringLiteral("a"), {QStringLiteral("Work")});
    QList<OutlineViewRenewState> seen;
    QObject::connect(sidebar.get(), &MainOutlineView::outlineViewSelectionDidChange,
                     [&] { seen.append(sidebar->outlineViewRenewState()); });
    rebuild(); // nothing selected before: the fallback selects with the state idle
    EXPECT_EQ(seen, QList<OutlineViewRenewState>{OutlineViewRenewState::idle});
    ASSERT_TRUE(sidebar->selectItemWithTagName(QStringLiteral("Work")));
    seen.clear();
    rebuild(); // restored on its row: not idle, so the listener leaves the list alone
    ASSERT_FALSE(seen.isEmpty());
    EXPECT_EQ(seen.last(), OutlineViewRenewState::selectItem);
}

TEST_F(SidebarContentTest, CategoryVisibilityIsCheckedAgainstTheData)
{
    rebuild();
    EXPECT_FALSE(sidebar->rootEntryAllFavoritesAvailable());
    log.clear();
    sidebar->validateCategoryVisibility();
    EXPECT_FALSE(log.messages().contains(QStringLiteral("Rebuild the outlineView-Data ...")));

    const TableViewItemPtr news = addURL(QStringLiteral("news"));
    news->setIsFavorite(true);
    sidebar->validateCategoryVisibility();
    EXPECT_TRUE(log.messages().contains(QStringLiteral(
        "validateCategoryVisibility: allDataContainsFavorites <> rootEntryAllFavoritesAvailable -> updateContent now!")));
    EXPECT_TRUE(sidebar->rootEntryAllFavoritesAvailable());
    EXPECT_NE(itemNamed(QStringLiteral("Favorites")), nullptr);

    // A category switched off is not checked: the URLs are the first difference.
    config().setSidebarCategoriesShowFavorites(false);
    store->allData()->removeAll();
    log.clear();
    sidebar->validateCategoryVisibility();
    const QStringList checks = log.messages().filter(QStringLiteral("validateCategoryVisibility"));
    ASSERT_EQ(checks.size(), 1);
    EXPECT_TRUE(checks.first().contains(QStringLiteral("allDataContainsURLs")));
    EXPECT_FALSE(sidebar->rootEntryAllURLsAvailable());
}

TEST_F(SidebarContentTest, ARebuildInsideARebuildIsRefused)
{
    addURL(QStringLiteral("a"), {QStringLiteral("Work")});
    store->rebuildData(DataStorageRebuildReason::userInitiatedRequest);
    EXPECT_FALSE(sidebar->isHeaderCollapsed(Type::headerTags)); // nothing built yet counts as open
    bool nested = false;
    // The tree's reset is announced while the build still runs.
    QObject::connect(&sidebar->model(), &QAbstractItemModel::modelReset, [&] {
        if (nested || sidebar->outlineViewStructureState() != OutlineViewStructureState::rebuildInProgress)
            return;
        nested = true;
        sidebar->setRebuildDataWithNextReload(true);
        sidebar->updateContent(true);
        sidebar->buildData();
    });
    sidebar->updateContent(true);
    ASSERT_TRUE(nested);
    EXPECT_TRUE(log.messages().contains(QStringLiteral("updateContent cancelled - outlineStructure was not idle!")));
    EXPECT_TRUE(log.messages().contains(QStringLiteral("buildData failed -> another rebuild is already running!")));
    EXPECT_FALSE(sidebar->rebuildDataWithNextReload());
    EXPECT_EQ(sidebar->outlineViewStructureState(), OutlineViewStructureState::idle);
    EXPECT_NE(itemNamed(QStringLiteral("Work")), nullptr);
    EXPECT_EQ(selectedName(), QStringLiteral("Applications"));
}
