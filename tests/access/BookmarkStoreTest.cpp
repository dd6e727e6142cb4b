#include "AccessTestSupport.h"

#include "access/SandboxFileAccessPersistDictionary.h"
#include "platform/Bookmark.h"
#include "platform/KeyedArchiver.h"
#include "platform/NotificationCenter.h"

#include <QProcess>

#include <gtest/gtest.h>

using namespace vantel;
using platform::Bookmark;

namespace {

QByteArray bookmarkFor(const QString& path)
{
    return Bookmark::createBookmarkForPath(path).value_or(QByteArray());
}

QUrl key(const QString& path)
{
    return Bookmark::canonicalFileURL(path);
}

class BookmarkStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = test::makeTempDir(QStringLiteral("bookmarks"));
        file = folder + QStringLiteral("/store/Bookmarks.dict");
        granted = folder + QStringLiteral("/granted");
        QDir().mkpath(granted + QStringLiteral("/inner/deeper"));
        ASSERT_TRUE(test::writeFile(granted + QStringLiteral("/inner/note.txt"), "x"));
    }

    // Writes reach the dictionary through barrier blocks; a read waits for them.
    static void settle(SandboxFileAccessPersistDictionary& store) { (void)store.globalBookmarks()->count(); }

    test::ScriptedDialogs dialogs;
    QString folder;
    QString file;
    QString granted;
};

TEST_F(BookmarkStoreTest, SurvivesARelaunchAsAKeyedArchive)
{
    {
        auto store = SandboxFileAccessPersistDictionary::create(file);
        store->setBookmark(bookmarkFor(granted), key(granted));
        store->setBookmark(bookmarkFor(granted + "/inner/note.txt"), key(granted + "/inner/note.txt"));
        store->saveBookmarks();
    }
    // The file is an archive in the platform layout, readable by a foreign reader.
    QProcess python;
    python.start(QStringLiteral("python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import plistlib,sys; p=plistlib.load(open(sys.argv[1],'rb')); "
                                 "print(p['$archiver'], p['$version'], len(p['$objects']) > 4)"),
                  file});
    ASSERT_TRUE(python.waitForFinished(20000));
    EXPECT_EQ(python.readAllStandardOutput().trimmed(), QByteArray("NSKeyedArchiver 100000 True"));

    auto relaunched = SandboxFileAccessPersistDictionary::create(file);
    relaunched->loadBookmarks();
    settle(*relaunched);
    EXPECT_EQ(relaunched->globalBookmarks()->count(), 2);
    EXPECT_TRUE(relaunched->bookmarkData(QUrl::fromLocalFile(granted + "/inner/deeper")).has_value());
    const auto note = relaunched->coveringBookmark(QUrl::fromLocalFile(granted + "/inner/note.txt"));
    ASSERT_TRUE(note.has_value());
    EXPECT_EQ(note->first, key(granted + "/inner/note.txt"));
    EXPECT_TRUE(dialogs.alerts->alerts().isEmpty());
}

TEST_F(BookmarkStoreTest, LookupPrefersTheRootThenTheNearestAncestor)
{
    auto store = SandboxFileAccessPersistDictionary::create(file);
    store->setBookmark(bookmarkFor(granted), key(granted));
    store->setBookmark(bookmarkFor(granted + "/inner"), key(granted + "/inner"));
    const QUrl deep = QUrl::fromLocalFile(granted + "/inner/deeper/missing.txt");
    ASSERT_TRUE(store->coveringBookmark(deep).has_value());
    EXPECT_EQ(store->coveringBookmark(deep)->first, key(granted + "/inner"));
    EXPECT_FALSE(store->coveringBookmark(QUrl::fromLocalFile(folder)).has_value());
    EXPECT_FALSE(store->hasRootBookmark());

    store->setBookmark(bookmarkFor(QStringLiteral("/")), QUrl::fromLocalFile(QStringLiteral("/")));
    EXPECT_TRUE(store->hasRootBookmark());
    EXPECT_EQ(store->coveringBookmark(deep)->first, QUrl(QStringLiteral("file:///")));
    EXPECT_EQ(store->coveringBookmark(QUrl::fromLocalFile(folder))->first, QUrl(QStringLiteral("file:///")));
}

TEST_F(BookmarkStoreTest, AReplacedOrMovedFileIsStale)
{
    const QString path = granted + "/inner/note.txt";
    auto store = SandboxFileAccessPersistDictionary::create(file);
    store->setBookmark(bookmarkFor(path), key(path));
    EXPECT_TRUE(store->isBookmarkValid(key(path)));

    // Replaced: same path, another file.
    const QString other = granted + "/other.txt";
    ASSERT_TRUE(test::writeFile(other, "y"));
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QFile::rename(other, path));
    EXPECT_FALSE(store->isBookmarkValid(key(path)));

    // No exact bookmark: nothing to find invalid.
    EXPECT_TRUE(store->isBookmarkValid(key(granted)));
    EXPECT_FALSE(store->isBookmarkValid(std::nullopt));

    // A stale entry is kept in memory but left out of the file.
    store->saveBookmarks();
    settle(*store);
    EXPECT_EQ(store->globalBookmarks()->count(), 1);
    auto relaunched = SandboxFileAccessPersistDictionary::create(file);
    relaunched->loadBookmarks();
    settle(*relaunched);
    EXPECT_EQ(relaunched->globalBookmarks()->count(), 0);

    // Moved away: the bookmark no longer resolves.
    const QString moved = granted + "/inner/moved.txt";
    ASSERT_TRUE(test::writeFile(moved, "z"));
    store->setBookmark(bookmarkFor(moved), key(moved));
    ASSERT_TRUE(QFile::rename(moved, granted + "/elsewhere.txt"));
    EXPECT_FALSE(store->isBookmarkValid(QUrl::fromLocalFile(moved)));
}

TEST_F(BookmarkStoreTest, RemoveInvalidBookmarksRemovesThemAndKeepsTheRest)
{
    const QString path = granted + "/inner/note.txt";
    auto store = SandboxFileAccessPersistDictionary::create(file);
    store->setBookmark(bookmarkFor(path), key(path));
    store->setBookmark(bookmarkFor(granted), key(granted));
    ASSERT_TRUE(QFile::remove(path));
    store->removeInvalidBookmarks();
    settle(*store);
    EXPECT_EQ(store->globalBookmarks()->count(), 1);
    EXPECT_TRUE(store->globalBookmarks()->value(key(granted)).has_value());
}

TEST_F(BookmarkStoreTest, DamagedFilesEmptyTheStoreWithTheirMessages)
{
    ASSERT_TRUE(test::writeFile(file, "this is no archive"));
    auto store = SandboxFileAccessPersistDictionary::create(file);
    store->setBookmark(bookmarkFor(granted), key(granted));
    store->loadBookmarks();
    settle(*store);
    EXPECT_EQ(store->globalBookmarks()->count(), 0);
    ASSERT_EQ(dialogs.alerts->alerts().size(), 1);
    EXPECT_EQ(dialogs.alerts->alerts().first().messageText,
              QStringLiteral("Error loading globalBookmarks from file -> Wrong Type"));
    EXPECT_EQ(dialogs.alerts->alerts().first().informativeText,
              QStringLiteral("Error: SandboxFileAccessPersistDictionary"));
    // The damaged file is kept aside, beside it, before a save replaces it.
    auto keptAside = [&] {
        return QDir(QFileInfo(file).absolutePath())
            .entryList({QStringLiteral("Bookmarks.dict.damaged-*")}, QDir::Files, QDir::Name);
    };
    store->setBookmark(bookmarkFor(granted), key(granted));
    store->saveBookmarks();
    ASSERT_EQ(keptAside().size(), 1);
    EXPECT_EQ(test::readFile(QFileInfo(file).absolutePath() + QLatin1Char('/') + keptAside().first()),
              QByteArray("this is no archive"));

    // An archive of something else loads as an empty store, silently, and
    // is kept as well.
    dialogs.alerts->clear();
    const QByteArray other = platform::KeyedArchiver::archivedData(QVariant(QStringList{"a", "b"}));
    ASSERT_TRUE(test::writeFile(file, other));
    store->loadBookmarks();
    settle(*store);
    EXPECT_EQ(store->globalBookmarks()->count(), 0);
    EXPECT_TRUE(dialogs.alerts->alerts().isEmpty());
    ASSERT_EQ(keptAside().size(), 2);
    EXPECT_EQ(test::readFile(QFileInfo(file).absolutePath() + QLatin1Char('/') + keptAside().last()), other);
}

TEST_F(BookmarkStoreTest, SavingAnOnlyStaleEntryWritesAnEmptyDictionary)
{
    const QString path = granted + "/inner/note.txt";
    auto store = SandboxFileAccessPersistDictionary::create(file);
    store->setBookmark(bookmarkFor(path), key(path));
    store->saveBookmarks();
    // Another file takes the path (made first, so it cannot reuse the inode).
    const QString other = granted + "/other.txt";
    ASSERT_TRUE(test::writeFile(other, "new file"));
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QFile::rename(other, path));
    store->saveBookmarks();
    QProcess python;
    python.start(QStringLiteral("python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import plistlib,sys; p=plistlib.load(open(sys.argv[1],'rb')); "
                                 "root=p['$objects'][p['$top']['root'].data]; print(len(root['NS.keys']))"),
                  file});
    ASSERT_TRUE(python.waitForFinished(20000));
    EXPECT_EQ(python.readAllStandardOutput().trimmed(), QByteArray("0"));
    settle(*store);
    EXPECT_EQ(store->globalBookmarks()->count(), 1);
}

TEST_F(BookmarkStoreTest, ClearRemovesExactlyTheKeyAndEveryChangeIsAnnounced)
{
    int announced = 0;
    auto token = platform::NotificationCenter::defaultCenter().addObserver(
        QStringLiteral("globalBookmarksChanged"), [&](const platform::Notification&) { ++announced; });
    auto store = SandboxFileAccessPersistDictionary::create(file);
    store->setBookmark(bookmarkFor(granted), key(granted));
    store->setBookmark(bookmarkFor(granted + "/inner"), key(granted + "/inner"));
    store->clearBookmark(QUrl::fromLocalFile(granted + "/inner"));
    settle(*store);
    EXPECT_EQ(store->globalBookmarks()->count(), 1);
    EXPECT_TRUE(store->globalBookmarks()->value(key(granted)).has_value());
    EXPECT_TRUE(test::waitUntil([&] { return announced == 3; }));
}

} // namespace
