#include "SidebarTestSupport.h"

#include "mainwindow/SidebarFilter.h"

#include <QTest>

using namespace vantel;
using Type = SourceListItemContentType;

class SidebarSelectionTest : public test::SidebarTest {
protected:
    void SetUp() override
    {
        SidebarTest::SetUp();
        config().setSidebarCategoriesShowRecentApplications(false);
        config().setSidebarCategoriesShowActiveApplications(false);
        addPath(QStringLiteral("notes.txt"), ListviewItemType::file, {QStringLiteral("Office")});
        addURL(QStringLiteral("mail"), {QStringLiteral("Office|Microsoft")});
        addURL(QStringLiteral("chess"), {QStringLiteral("Games|Board|Chess")});
        addURL(QStringLiteral("news"))->setIsFavorite(true);
        rebuild();
        // Categories, Applications, Files, URLs, Favorites, Tags, Games, Board, Chess, Office, Microsoft
        ASSERT_EQ(rows().size(), 11);
    }
    int rowOf(const QString& name) const { return sidebar->rowForItem(itemNamed(name).get()); }
};

TEST_F(SidebarSelectionTest, SelectingByRow)
{
    ASSERT_EQ(selectedName(), QStringLiteral("Applications"));
    EXPECT_FALSE(sidebar->selectItemWithIndex(sidebar->selectedRow())); // already selected
    EXPECT_FALSE(sidebar->selectItemWithIndex(sidebar->numberOfRows()));
    EXPECT_FALSE(sidebar->selectItemWithIndex(-1));
    EXPECT_FALSE(sidebar->selectItemWithIndex(rowOf(QStringLiteral("Tags")))); // a header
    EXPECT_EQ(selectedName(), QStringLiteral("Applications"));
    EXPECT_TRUE(sidebar->selectItemWithIndex(rowOf(QStringLiteral("Games")))); // a folder is an entry
    EXPECT_EQ(selectedName(), QStringLiteral("Games"));
}

TEST_F(SidebarSelectionTest, FirstAvailableEntry)
{
    sidebar->selectionModel()->clearSelection();
    sidebar->setHeaderExpanded(Type::headerCategories, false);
    sidebar->setHeaderExpanded(Type::headerTags, false);
    EXPECT_FALSE(sidebar->selectFirstAvailableEntry());
    EXPECT_EQ(sidebar->selectedRow(), -1);

    sidebar->setHeaderExpanded(Type::headerTags, true);
    EXPECT_TRUE(sidebar->selectFirstAvailableEntry());
    EXPECT_EQ(selectedName(), QStringLiteral("Games")); // the first tag row, though a folder
    EXPECT_TRUE(sidebar->selectFirstAvailableEntry());  // something is selected: nothing changes
    EXPECT_EQ(selectedName(), QStringLiteral("Games"));
}

TEST_F(SidebarSelectionTest, CategoriesAndTagsFromHotkeys)
{
    EXPECT_TRUE(sidebar->selectItemWithSelectionType(SidebarSelectionType::allFiles));
    EXPECT_EQ(selectedName(), QStringLiteral("Files"));
    // Folders are not in the tree: refused, the selection stays.
    EXPECT_FALSE(sidebar->selectItemWithSelectionType(SidebarSelectionType::allFolders));
    EXPECT_EQ(selectedName(), QStringLiteral("Files"));

    // A tag below a collapsed folder: the chain is opened and the tag selected.
    sidebar->collapse(sidebar->model().indexForItem(itemNamed(QStringLiteral("Board")).get()));
    sidebar->collapse(sidebar->model().indexForItem(itemNamed(QStringLiteral("Games")).get()));
    ASSERT_EQ(rowOf(QStringLiteral("Chess")), -1);
    EXPECT_TRUE(sidebar->selectItemWithTagName(QStringLiteral("Games|Board|Chess")));
    EXPECT_EQ(selectedName(), QStringLiteral("Chess"));
    EXPECT_TRUE(log.messages().contains(QStringLiteral("## Entry found!")));
    EXPECT_FALSE(sidebar->selectItemWithTagName(QStringLiteral("games|board|chess")));
    EXPECT_FALSE(sidebar->selectItemWithTagNameAndContentType(QStringLiteral("Office"), Type::none));
    EXPECT_FALSE(sidebar->selectItemWithTagNameAndContentType(QString(), Type::tag));
    EXPECT_TRUE(sidebar->selectItemWithTagNameAndContentType(QStringLiteral("Office"), Type::tag));
    EXPECT_EQ(sidebar->selectedTagName(), QStringLiteral("Office"));
    EXPECT_TRUE(sidebar->isTagItemSelected());
    EXPECT_EQ(sidebar->selectedContentType(), Type::tag);

    // The first match in pre-order: the Tags header comes before any tag named like it.
    EXPECT_EQ(sidebar->searchForSourceListItem(QStringLiteral("Tags"))->itemContentType(), Type::headerTags);
}

TEST_F(SidebarSelectionTest, ClicksSelectOnlyCategoriesAndTags)
{
    sidebar->show();
    QWidget* viewport = sidebar->viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, centreOfRow(rowOf(QStringLiteral("URLs"))));
    EXPECT_EQ(selectedName(), QStringLiteral("URLs"));
    QTest::mouseClick(viewport, Qt::LeftButton, {}, centreOfRow(rowOf(QStringLiteral("Board"))));
    EXPECT_EQ(selectedName(), QStringLiteral("URLs")); // a folder is not clicked into selection
    QTest::mouseClick(viewport, Qt::LeftButton, {}, centreOfRow(rowOf(QStringLiteral("Microsoft"))));
    EXPECT_EQ(selectedName(), QStringLiteral("Microsoft"));

    // Keys move over the header and the folders without selecting them.
    ASSERT_TRUE(sidebar->selectItemWithSelectionType(SidebarSelectionType::allFavorites));
    sidebar->setFocus();
    QTest::keyClick(sidebar.get(), Qt::Key_Down); // Tags
    QTest::keyClick(sidebar.get(), Qt::Key_Down); // Games
    QTest::keyClick(sidebar.get(), Qt::Key_Down); // Board
    EXPECT_EQ(selectedName(), QStringLiteral("Favorites"));
    QTest::keyClick(sidebar.get(), Qt::Key_Down);
    EXPECT_EQ(selectedName(), QStringLiteral("Chess"));

    // A header opens and closes from its row, without being selected.
    QTest::mouseClick(viewport, Qt::LeftButton, {}, centreOfRow(rowOf(QStringLiteral("Categories"))));
    EXPECT_TRUE(sidebar->isHeaderCollapsed(Type::headerCategories));
    EXPECT_EQ(selectedName(), QStringLiteral("Chess"));
    QTest::mouseClick(viewport, Qt::LeftButton, {}, centreOfRow(rowOf(QStringLiteral("Categories"))));
    EXPECT_FALSE(sidebar->isHeaderCollapsed(Type::headerCategories));

    // The disclosure arrow of a folder opens and closes it.
    const QModelIndex games = sidebar->model().indexForItem(itemNamed(QStringLiteral("Games")).get());
    QTest::mouseClick(viewport, Qt::LeftButton, {}, sidebar->disclosureRect(games).center());
    EXPECT_FALSE(sidebar->isExpanded(games));
    EXPECT_EQ(rowOf(QStringLiteral("Board")), -1);
}

TEST_F(SidebarSelectionTest, EntryRowsSitFurtherLeftWithTheirWidthKept)
{
    const QModelIndex files = sidebar->model().indexForItem(itemNamed(QStringLiteral("Files")).get());
    const QRect base = sidebar->QTreeView::visualRect(files);
    const QRect shifted = sidebar->visualRect(files);
    EXPECT_EQ(shifted.x(), base.x() - MainOutlineView::entryRowShift);
    EXPECT_EQ(shifted.right(), base.right());
    const QModelIndex header = sidebar->model().indexForItem(itemNamed(QStringLiteral("Tags")).get());
    EXPECT_EQ(sidebar->visualRect(header), sidebar->QTreeView::visualRect(header));
}

TEST_F(SidebarSelectionTest, SelectionGivesTheListItsFilter)
{
    QObject::connect(sidebar.get(), &MainOutlineView::outlineViewSelectionDidChange, [this] {
        if (sidebar->outlineViewRenewState() == OutlineViewRenewState::idle && sidebar->selectedItem())
            applySidebarFilter(store->filterCurrentData(), *sidebar->selectedItem());
    });
    const auto names = [this] {
        QStringList result;
        for (const auto& entry : store->currentData()->snapshot())
            result.append(entry->name());
        result.sort();
        return result;
    };
    ASSERT_TRUE(sidebar->selectItemWithSelectionType(SidebarSelectionType::allFiles));
    EXPECT_EQ(names(), QStringList{"notes.txt"});
    ASSERT_TRUE(sidebar->selectItemWithSelectionType(SidebarSelectionType::allURLs));
    EXPECT_EQ(names(), (QStringList{"chess", "mail", "news"}));
    ASSERT_TRUE(sidebar->selectItemWithSelectionType(SidebarSelectionType::allFavorites));
    EXPECT_EQ(names(), QStringList{"news"});
    ASSERT_TRUE(sidebar->selectItemWithTagName(QStringLiteral("Office")));
    EXPECT_TRUE(names().contains(QStringLiteral("notes.txt")));
    EXPECT_FALSE(names().contains(QStringLiteral("chess")));
    ASSERT_TRUE(sidebar->selectItemWithTagName(QStringLiteral("Office|Microsoft")));
    EXPECT_EQ(names(), QStringList{"mail"});
    EXPECT_TRUE(log.messages().contains(QStringLiteral("-> .tag with searchString: Office|Microsoft")));
    // A folder's empty tag shows every visible entry.
    ASSERT_TRUE(sidebar->selectByItem(itemNamed(QStringLiteral("Board"))));
    EXPECT_EQ(names(), (QStringList{"chess", "mail", "news", "notes.txt"}));
    EXPECT_TRUE(log.messages().contains(QStringLiteral("-> .tag without searchString")));
}

TEST_F(SidebarSelectionTest, HoverSelectsAfterARestOnlyWithTheSetting)
{
    sidebar->show();
    QWidget* viewport = sidebar->viewport();
    sidebar->updateHoverTracking();
    EXPECT_FALSE(sidebar->hoverTrackingActive());
    hover(centreOfRow(rowOf(QStringLiteral("URLs"))));
    EXPECT_FALSE(sidebar->hoverSelectionPending());

    config().setSelectTagsAndCategoriesOnHover(true);
    sidebar->updateHoverTracking();
    EXPECT_TRUE(sidebar->hoverTrackingActive());
    hover(centreOfRow(rowOf(QStringLiteral("URLs"))));
    EXPECT_TRUE(sidebar->hoverSelectionPending());
    EXPECT_EQ(sidebar->hoverRowIndex(), rowOf(QStringLiteral("URLs")));
    EXPECT_TRUE(test::waitUntil([&] { return selectedName() == QStringLiteral("URLs"); }));

    // A header schedules the timer, but the timed selection refuses it.
    hover(centreOfRow(rowOf(QStringLiteral("Tags"))));
    EXPECT_TRUE(sidebar->hoverSelectionPending());
    EXPECT_TRUE(test::waitUntil([&] { return !sidebar->hoverSelectionPending(); }));
    EXPECT_EQ(selectedName(), QStringLiteral("URLs"));

    // Leaving before the delay cancels it.
    hover(centreOfRow(rowOf(QStringLiteral("Files"))));
    ASSERT_TRUE(sidebar->hoverSelectionPending());
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(viewport, &leave);
    EXPECT_FALSE(sidebar->hoverSelectionPending());
    test::spinEventLoop(MainOutlineView::hoverSelectionDelay * 2);
    EXPECT_EQ(selectedName(), QStringLiteral("URLs"));
}

TEST_F(SidebarSelectionTest, HeaderQueries)
{
    EXPECT_FALSE(sidebar->isHeaderCollapsed(Type::allApplications));
    sidebar->setHeaderExpanded(Type::allApplications, false); // not a header: nothing happens
    EXPECT_NE(rowOf(QStringLiteral("Files")), -1);

    // Opening the Tags header opens every sub-tag below it too.
    sidebar->collapse(sidebar->model().indexForItem(itemNamed(QStringLiteral("Board")).get()));
    sidebar->setHeaderExpanded(Type::headerTags, true); // open already: nothing changes
    EXPECT_EQ(rowOf(QStringLiteral("Chess")), -1);
    sidebar->setHeaderExpanded(Type::headerTags, false);
    EXPECT_TRUE(sidebar->isHeaderCollapsed(Type::headerTags));
    sidebar->setHeaderExpanded(Type::headerTags, true);
    EXPECT_NE(rowOf(QStringLiteral("Chess")), -1);

    sidebar->selectionModel()->clearSelection();
    EXPECT_FALSE(sidebar->selectedContentType().has_value());
    EXPECT_FALSE(sidebar->selectedTagName().has_value());
    EXPECT_FALSE(sidebar->isTagItemSelected());
    ASSERT_TRUE(sidebar->selectItemWithSelectionType(SidebarSelectionType::allURLs));
    EXPECT_EQ(sidebar->selectedContentType(), Type::allURLs);
    EXPECT_FALSE(sidebar->selectedTagName().has_value());
}
