// Drops onto the entry list, the sidebar and the main view's drop area, and
// the drag of an entry out of the list.
#include "EntryListTestSupport.h"

#include "access/SandboxFileAccessPersistDictionary.h"
#include "mainwindow/DragAndDrop.h"
#include "mainwindow/MainViewDraggingDestination.h"
#include "platform/Bookmark.h"

#include <QDragEnterEvent>
#include <QMimeData>

namespace vantel::test {

namespace {

constexpr Qt::DropActions fileManagerActions = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;

std::unique_ptr<QMimeData> dragOf(const QList<QUrl>& urls)
{
    auto data = std::make_unique<QMimeData>();
    data->setUrls(urls);
    return data;
}

QList<QUrl> fileURLs(const QStringList& paths)
{
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls.append(QUrl::fromLocalFile(path));
    return urls;
}

struct DragResult {
    bool acceptedOver = false;
    Qt::DropAction actionOver = Qt::IgnoreAction;
    bool dropped = false;
};

class DragAndDropTest : public EntryListTest {
protected:
    void SetUp() override
    {
        EntryListTest::SetUp();
        config().setSaveInProgress(false);
        view->setSelectedTagNameQuery([this] { return selectedTag; });
    }

    // Enter, move and drop at the point of the list's viewport.
    DragResult dropOnList(const QPoint& at, const QMimeData& data, Qt::DropActions possible = fileManagerActions,
                          Qt::KeyboardModifiers modifiers = {})
    {
        QWidget* target = view->viewport();
        QDragEnterEvent enter(at, possible, &data, Qt::LeftButton, modifiers);
        QCoreApplication::sendEvent(target, &enter);
        QDragMoveEvent move(at, possible, &data, Qt::LeftButton, modifiers);
        QCoreApplication::sendEvent(target, &move);
        DragResult result{move.isAccepted(), move.dropAction(), false};
        QDropEvent drop(QPointF(at), possible, &data, Qt::LeftButton, modifiers);
        QCoreApplication::sendEvent(target, &drop);
        result.dropped = drop.isAccepted();
        return result;
    }

    QPoint rowCenter(int row) const { return view->visualRect(view->tableModel().index(row)).center(); }
    QPoint freeSpace() const { return QPoint(200, view->viewport()->height() - 10); }

    void showWith(const std::function<void()>& fill)
    {
        show();
        fill();
        applyFilter();
        view->reloadData();
    }

    TableViewItemPtr entryForPath(const QString& path) const { return store->entryForPath(path); }

    std::optional<QString> selectedTag;
};

TEST_F(DragAndDropTest, AnEntryDraggedOntoATagIsFiledUnderIt)
{
    TableViewItemPtr gimp;
    showWith([&] { gimp = addApplication(QStringLiteral("Gimp")); });
    std::unique_ptr<QMimeData> data(view->tableModel().mimeData({view->tableModel().index(0)}));
    ASSERT_TRUE(data);
    // The private type alone: nothing another program could take.
    EXPECT_EQ(data->formats(), QStringList{"net.tarnwick.vantel.mainTableViewItemPath"});
    EXPECT_EQ(MainViewDragAndDrop::draggedEntryPath(data.get()), gimp->path());

    MainViewDragAndDrop dnd(*store);
    const SidebarDropTarget category{true, false, QString(), true};
    EXPECT_EQ(dnd.validateSidebarDrop(data.get(), category).action, Qt::IgnoreAction);
    EXPECT_FALSE(dnd.acceptSidebarDrop(data.get(), category));
    const SidebarDropTarget betweenTags{true, true, QStringLiteral("Graphics"), false};
    EXPECT_EQ(dnd.validateSidebarDrop(data.get(), betweenTags).action, Qt::IgnoreAction);
    EXPECT_TRUE(gimp->tags().isEmpty());

    const SidebarDropTarget tag{true, true, QStringLiteral("Graphics|Raster"), true};
    EXPECT_EQ(dnd.validateSidebarDrop(data.get(), tag).action, Qt::CopyAction);
    EXPECT_TRUE(dnd.acceptSidebarDrop(data.get(), tag));
    EXPECT_EQ(gimp->tags(), QStringList{"Graphics|Raster"});
    EXPECT_TRUE(log.messages().contains(QStringLiteral("-> RebuildData - Request initiated: Outlineview Datasource")));
}

TEST_F(DragAndDropTest, TheSidebarTakesUpTo25FilesOntoATagOrAnywhereElse)
{
    addApplication(QStringLiteral("Gimp"));
    QStringList paths;
    for (int i = 0; i < 26; ++i)
        paths.append(QStringLiteral("/tmp/file-%1.txt").arg(i));
    MainViewDragAndDrop dnd(*store);
    const SidebarDropTarget tag{true, true, QStringLiteral("Office"), true};
    EXPECT_EQ(dnd.validateSidebarDrop(dragOf(fileURLs(paths.mid(0, 25))).get(), tag).action, Qt::CopyAction);
    // 26 refuse the whole drop, a web URL with them too.
    auto tooMany = dragOf(fileURLs(paths) << QUrl(QStringLiteral("https://example.org")));
    EXPECT_EQ(dnd.validateSidebarDrop(tooMany.get(), tag).action, Qt::IgnoreAction);
    EXPECT_FALSE(dnd.acceptSidebarDrop(tooMany.get(), tag));

    // Onto a category the drop stands for the whole sidebar; between rows it is refused.
    const auto two = dragOf(fileURLs(paths.mid(0, 2)));
    const SidebarDropValidation category = dnd.validateSidebarDrop(two.get(), {true, false, QString(), true});
    EXPECT_EQ(category.action, Qt::CopyAction);
    EXPECT_EQ(category.target, SidebarDropTarget{});
    EXPECT_EQ(dnd.validateSidebarDrop(two.get(), {true, true, QStringLiteral("Office"), false}).action,
              Qt::IgnoreAction);
    EXPECT_EQ(dnd.validateSidebarDrop(std::make_unique<QMimeData>().get(), tag).action, Qt::IgnoreAction);
}

TEST_F(DragAndDropTest, FilesDroppedOnTheSidebarBecomeEntriesWithTheTagOrWithout)
{
    addApplication(QStringLiteral("Gimp"));
    const QString report = makeFile(QStringLiteral("sidebar-a"), QStringLiteral("report.pdf"));
    const QString notes = makeFile(QStringLiteral("sidebar-b"), QStringLiteral("notes.txt"));
    MainViewDragAndDrop dnd(*store);

    EXPECT_TRUE(dnd.acceptSidebarDrop(dragOf(fileURLs({report})).get(), {true, true, QStringLiteral("Office"), true}));
    ASSERT_TRUE(entryForPath(report));
    EXPECT_EQ(entryForPath(report)->tags(), QStringList{"Office"});

    EXPECT_TRUE(dnd.acceptSidebarDrop(dragOf(fileURLs({notes})).get(), SidebarDropTarget{}));
    ASSERT_TRUE(entryForPath(notes));
    EXPECT_TRUE(entryForPath(notes)->tags().isEmpty());
    EXPECT_EQ(countPosted(QStringLiteral("datastorageFilesystemObjectAddedOrModified")), 2);

    // A URL onto a tag.
    EXPECT_TRUE(dnd.acceptSidebarDrop(dragOf({QUrl(QStringLiteral("https://news.example.org/today"))}).get(),
                                      {true, true, QStringLiteral("News"), true}));
    const auto news = entryForPath(QStringLiteral("https://news.example.org/today"));
    ASSERT_TRUE(news);
    EXPECT_EQ(news->itemType(), ListviewItemType::url);
    EXPECT_EQ(news->tags(), QStringList{"News"});
}

TEST_F(DragAndDropTest, AFileDraggedInBecomesAnEntryUnderTheSelectedTag)
{
    showWith([&] { addApplication(QStringLiteral("Gimp")); });
    const QString report = makeFile(QStringLiteral("list-a"), QStringLiteral("report.pdf"));
    const auto data = dragOf(fileURLs({report}));

    // A category is selected: refused.
    DragResult result = dropOnList(freeSpace(), *data);
    EXPECT_FALSE(result.acceptedOver);
    EXPECT_FALSE(result.dropped);
    EXPECT_FALSE(entryForPath(report));

    selectedTag = QStringLiteral("Office");
    result = dropOnList(freeSpace(), *data);
    EXPECT_TRUE(result.acceptedOver);
    EXPECT_EQ(result.actionOver, Qt::CopyAction);
    EXPECT_TRUE(result.dropped);
    ASSERT_TRUE(entryForPath(report));
    EXPECT_EQ(entryForPath(report)->itemType(), ListviewItemType::file);
    EXPECT_EQ(entryForPath(report)->tags(), QStringList{"Office"});
    EXPECT_EQ(countPosted(QStringLiteral("datastorageFilesystemObjectAddedOrModified")), 1);
    EXPECT_EQ(log.messages().count(
                  QStringLiteral("-> RebuildData - Request initiated: addingFilesystemObjectsToDatabaseFinished")),
              1);
}

TEST_F(DragAndDropTest, TwentyFiveFilesAreRefusedAndNeverBecomeAFileURLEntry)
{
    showWith([&] { addApplication(QStringLiteral("Gimp")); });
    selectedTag = QStringLiteral("Office");
    QStringList paths;
    for (int i = 0; i < 25; ++i)
        paths.append(makeFile(QStringLiteral("many-%1").arg(i), QStringLiteral("f.txt")));
    const qsizetype before = store->allData()->count();
    const DragResult result = dropOnList(freeSpace(), *dragOf(fileURLs(paths)));
    EXPECT_FALSE(result.acceptedOver);
    EXPECT_FALSE(result.dropped);
    EXPECT_EQ(store->allData()->count(), before);

    // 24 are taken.
    EXPECT_TRUE(dropOnList(freeSpace(), *dragOf(fileURLs(paths.mid(0, 24)))).dropped);
    EXPECT_EQ(store->allData()->count(), before + 24);
}

TEST_F(DragAndDropTest, AURLBecomesAURLEntryTitledByItsHost)
{
    showWith([&] { addApplication(QStringLiteral("Gimp")); });
    selectedTag = QStringLiteral("Reading");
    const DragResult result =
        dropOnList(freeSpace(), *dragOf({QUrl(QStringLiteral("https://www.example.com/articles?id=7")),
                                         QUrl(QStringLiteral("https://second.example.com/"))}));
    EXPECT_TRUE(result.dropped);
    const auto entry = entryForPath(QStringLiteral("https://www.example.com/articles?id=7"));
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->itemType(), ListviewItemType::url);
    EXPECT_EQ(entry->name(), QStringLiteral("www.example.com"));
    EXPECT_EQ(entry->tags(), QStringList{"Reading"});
    // Only the first URL.
    EXPECT_FALSE(entryForPath(QStringLiteral("https://second.example.com/")));

    // No host, no title: refused.
    EXPECT_FALSE(dropOnList(freeSpace(), *dragOf({QUrl(QStringLiteral("mailto:ann@example.org"))})).dropped);
    EXPECT_FALSE(entryForPath(QStringLiteral("mailto:ann@example.org")));
}

TEST_F(DragAndDropTest, FilesDroppedOnAnApplicationOpenWithItAndCtrlAddsThemInstead)
{
    TableViewItemPtr viewer;
    TableViewItemPtr folder;
    showWith([&] {
        viewer = addApplication(QStringLiteral("Atril"), QStringLiteral("/apps/atril.desktop"));
        folder = TableViewItem::initForPath(makeTempDir(QStringLiteral("folder-entry")), QStringLiteral("Documents"),
                                            ListviewItemType::folder, ListviewItemSource::other);
        store->allData()->append(folder);
    });
    ASSERT_EQ(shownNames(), (QStringList{"Atril", "Documents"}));
    view->selectRow(1);
    const QStringList paths{makeFile(QStringLiteral("open-a"), QStringLiteral("a.pdf")),
                            makeFile(QStringLiteral("open-b"), QStringLiteral("b.pdf")),
                            makeFile(QStringLiteral("open-c"), QStringLiteral("c.pdf"))};
    const auto data = dragOf(fileURLs(paths));

    DragResult result = dropOnList(rowCenter(0), *data);
    EXPECT_TRUE(result.acceptedOver);
    // Opening only reads the files: never a move, which the file manager
    // would finish by deleting them.
    EXPECT_EQ(result.actionOver, Qt::CopyAction);
    EXPECT_TRUE(result.dropped);
    EXPECT_EQ(selectedName(), QStringLiteral("Atril"));
    ASSERT_TRUE(waitUntil([this] { return !services->opened.isEmpty(); }));
    EXPECT_EQ(services->opened.first().path, QStringLiteral("/apps/atril.desktop"));
    EXPECT_EQ(services->opened.first().files, (QVariantList{paths[0], paths[1], paths[2]}));
    for (const QString& path : paths)
        EXPECT_FALSE(entryForPath(path));

    // Onto a folder row, with no tag selected: refused.
    EXPECT_FALSE(dropOnList(rowCenter(1), *data).dropped);

    // Ctrl held: added to the catalogue under the selected tag, not opened.
    selectedTag = QStringLiteral("Papers");
    services->opened.clear();
    result = dropOnList(rowCenter(0), *data, fileManagerActions, Qt::ControlModifier);
    EXPECT_TRUE(result.dropped);
    for (const QString& path : paths) {
        ASSERT_TRUE(entryForPath(path)) << path.toStdString();
        EXPECT_EQ(entryForPath(path)->tags(), QStringList{"Papers"});
    }
    test::spinEventLoop(std::chrono::milliseconds(20));
    EXPECT_TRUE(services->opened.isEmpty());
}

TEST_F(DragAndDropTest, ACopyOnlySourceAddsInsteadOfOpening)
{
    showWith([&] { addApplication(QStringLiteral("Atril"), QStringLiteral("/apps/atril.desktop")); });
    selectedTag = QStringLiteral("Papers");
    const QString paper = makeFile(QStringLiteral("copy-only"), QStringLiteral("paper.pdf"));
    EXPECT_TRUE(dropOnList(rowCenter(0), *dragOf(fileURLs({paper})), Qt::CopyAction).dropped);
    EXPECT_TRUE(entryForPath(paper));
    test::spinEventLoop(std::chrono::milliseconds(20));
    EXPECT_TRUE(services->opened.isEmpty());
}

TEST_F(DragAndDropTest, TheDropAreaHandsOverFilesOnly)
{
    MainViewDraggingDestination area;
    QStringList handed;
    area.setOpenFilesHandler([&](const QStringList& paths) {
        handed = paths;
        return true;
    });
    const QString a = makeFile(QStringLiteral("area-a"), QStringLiteral("a.txt"));
    const QString b = makeFile(QStringLiteral("area-b"), QStringLiteral("b.txt"));
    const auto dropOnArea = [&](const QMimeData* data) {
        QDragEnterEvent enter(QPoint(5, 5), fileManagerActions, data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(&area, &enter);
        EXPECT_TRUE(enter.isAccepted());
        EXPECT_EQ(enter.dropAction(), Qt::CopyAction);
        QDropEvent drop(QPointF(5, 5), fileManagerActions, data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(&area, &drop);
        return drop.isAccepted();
    };
    const auto files = dragOf(fileURLs({a, b}));
    EXPECT_TRUE(dropOnArea(files.get()));
    EXPECT_EQ(handed, (QStringList{a, b}));

    handed.clear();
    const auto mixed = dragOf({QUrl::fromLocalFile(a), QUrl(QStringLiteral("https://example.org"))});
    EXPECT_FALSE(dropOnArea(mixed.get()));
    EXPECT_TRUE(handed.isEmpty());
}

TEST_F(DragAndDropTest, AFileUnderABookmarkedFolderGetsNoBookmarkOfItsOwn)
{
    addApplication(QStringLiteral("Gimp"));
    const auto bookmarks =
        SandboxFileAccessPersistDictionary::create(makeTempDir(QStringLiteral("bookmarks")) + QStringLiteral("/b.dict"));
    const QString granted = makeTempDir(QStringLiteral("granted"));
    bookmarks->setBookmark(*platform::Bookmark::createBookmark(QUrl::fromLocalFile(granted)),
                           QUrl::fromLocalFile(granted));
    const QString inside = granted + QStringLiteral("/inside.txt");
    QFile(inside).open(QIODevice::WriteOnly);
    const QString outside = makeFile(QStringLiteral("not-granted"), QStringLiteral("outside.txt"));

    MainViewDragAndDrop dnd(*store, bookmarks);
    EXPECT_TRUE(dnd.addFiles(fileURLs({inside, outside}), std::nullopt));
    int count = 0;
    QList<QUrl> stored;
    bookmarks->forEachBookmark([&](const QUrl& url, const QByteArray&) {
        ++count;
        stored.append(url);
    });
    EXPECT_EQ(count, 2);
    EXPECT_TRUE(stored.contains(QUrl::fromLocalFile(outside)));
    EXPECT_FALSE(stored.contains(QUrl::fromLocalFile(inside)));
    EXPECT_TRUE(entryForPath(inside));
    EXPECT_TRUE(entryForPath(outside));
}

} // namespace

} // namespace vantel::test
