#include "AccessTestSupport.h"

#include "access/SandboxFileAccess.h"
#include "access/SandboxFileAccessPersistDictionary.h"
#include "platform/Bookmark.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedDictionary.h"
#include "platform/LoadAlerts.h"
#include "platform/NotificationCenter.h"
#include "platform/XdgPaths.h"

#include "support/FileSizeLimit.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>

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
    ASSERT_TRUE(python.waitForFinished(int(vantel::test::longWait.count())));
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

TEST_F(BookmarkStoreTest, DamagedFilesAreKeptAsideAndToldAfterTheLaunchNotWhileLoading)
{
    platform::LoadAlerts::reset();
    ASSERT_TRUE(test::writeFile(file, "this is no archive"));
    auto store = SandboxFileAccessPersistDictionary::create(file);
    store->setBookmark(bookmarkFor(granted), key(granted));
    // Loaded inside the access layer's initialiser: no alert runs there.
    SandboxFileAccess access(store);
    settle(*store);
    EXPECT_EQ(store->globalBookmarks()->count(), 0);
    EXPECT_TRUE(dialogs.alerts->alerts().isEmpty());
    ASSERT_EQ(platform::LoadAlerts::pending().size(), 1);
    EXPECT_EQ(platform::LoadAlerts::pending().first().messageText,
              QStringLiteral("Error loading globalBookmarks from file -> Wrong Type"));
    EXPECT_TRUE(platform::LoadAlerts::pending().first().informativeText.startsWith(
        QStringLiteral("Error: SandboxFileAccessPersistDictionary")));
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
    EXPECT_TRUE(platform::LoadAlerts::pending().first().informativeText.contains(keptAside().first()));

    // A sound archive of something else loads as an empty store, is kept as
    // well, and is told too.
    platform::LoadAlerts::reset();
    const QByteArray other = platform::KeyedArchiver::archivedData(QVariant(QStringList{"a", "b"}));
    ASSERT_TRUE(test::writeFile(file, other));
    store->loadBookmarks();
    settle(*store);
    EXPECT_EQ(store->globalBookmarks()->count(), 0);
    EXPECT_EQ(platform::LoadAlerts::pending().size(), 1);
    ASSERT_EQ(keptAside().size(), 2);
    EXPECT_EQ(test::readFile(QFileInfo(file).absolutePath() + QLatin1Char('/') + keptAside().last()), other);
    EXPECT_TRUE(dialogs.alerts->alerts().isEmpty());
}

// What a fuzzed or hand-edited file may hold: values that are no bookmark
// beside good ones. The good ones load, the file goes whole to Backup/.
TEST_F(BookmarkStoreTest, EntriesThatAreNoBookmarksAreCopiedToBackupWholeAndTold)
{
    const QString stalePath = granted + "/inner/note.txt";
    platform::KeyedDictionary mixed;
    mixed.entries = {{QUrl(key(granted)), bookmarkFor(granted)},
                     {QUrl(key(stalePath)), bookmarkFor(stalePath)},
                     {QUrl(key(folder + "/garbage")), QByteArray("\x00 no bookmark")},
                     {QUrl(key(folder + "/text")), QStringLiteral("no data")},
                     {QUrl(QStringLiteral("https://example.org/")), bookmarkFor(granted)}};
    platform::KeyedDictionary many;
    for (int i = 0; i < 20000; ++i)
        many.entries.append({QUrl(key(folder + "/n" + QString::number(i))), QByteArray::number(i)});
    ASSERT_TRUE(QFile::remove(stalePath));
    const QString backup = platform::XdgPaths::documentsDir() + QStringLiteral("/Backup");
    const auto copies = [&] {
        return QDir(backup).entryList({QStringLiteral("Bookmarks.dict-*.unreadable")}, QDir::Files);
    };

    for (const auto& [dictionary, loaded] : {std::pair{mixed, 1}, std::pair{many, 0}}) {
        QDir(backup).removeRecursively();
        platform::LoadAlerts::reset();
        const QByteArray bytes = platform::KeyedArchiver::archivedData(QVariant::fromValue(dictionary));
        ASSERT_TRUE(test::writeFile(file, bytes));
        auto store = SandboxFileAccessPersistDictionary::create(file);
        store->loadBookmarks();
        settle(*store);
        EXPECT_EQ(store->globalBookmarks()->count(), loaded);
        ASSERT_EQ(copies().size(), 1);
        const QString copy = backup + QLatin1Char('/') + copies().first();
        EXPECT_EQ(test::readFile(copy), bytes);

        platform::LoadAlerts::showPending();
        ASSERT_EQ(dialogs.alerts->alerts().size(), 1);
        EXPECT_TRUE(dialogs.alerts->alerts().first().informativeText.contains(copy));
        dialogs.alerts->clear();

        // The save writes the good entries; the copy stays, and is not made again.
        store->saveBookmarks();
        EXPECT_NE(test::readFile(file), bytes);
        EXPECT_EQ(test::readFile(copy), bytes);
        store->loadBookmarks();
        settle(*store);
        EXPECT_EQ(store->globalBookmarks()->count(), loaded);
        EXPECT_EQ(copies().size(), 1);
        EXPECT_TRUE(platform::LoadAlerts::pending().isEmpty());
    }

    // Only a stale bookmark beside a good one is no damage.
    QDir(backup).removeRecursively();
    mixed.entries.resize(2);
    ASSERT_TRUE(test::writeFile(file, platform::KeyedArchiver::archivedData(QVariant::fromValue(mixed))));
    platform::LoadAlerts::reset();
    SandboxFileAccessPersistDictionary::create(file)->loadBookmarks();
    EXPECT_TRUE(copies().isEmpty());
    EXPECT_TRUE(platform::LoadAlerts::pending().isEmpty());

    // No copy can be made: the file is never written over.
    ASSERT_TRUE(test::writeFile(backup, "a file where the folder belongs"));
    const QByteArray bytes = platform::KeyedArchiver::archivedData(QVariant::fromValue(many));
    ASSERT_TRUE(test::writeFile(file, bytes));
    auto store = SandboxFileAccessPersistDictionary::create(file);
    store->loadBookmarks();
    EXPECT_EQ(platform::LoadAlerts::pending().size(), 1);
    store->setBookmark(bookmarkFor(granted), key(granted));
    store->saveBookmarks();
    EXPECT_EQ(test::readFile(file), bytes);
    QFile::remove(backup);
}

TEST_F(BookmarkStoreTest, AFailedSaveKeepsTheOldFileWholeAndSaysSo)
{
    auto store = SandboxFileAccessPersistDictionary::create(file);
    store->setBookmark(bookmarkFor(granted), key(granted));
    store->saveBookmarks();
    const QByteArray before = test::readFile(file);
    ASSERT_FALSE(before.isEmpty());

    for (int i = 0; i < 40; ++i) {
        const QString more = folder + QStringLiteral("/more-") + QString::number(i);
        QDir().mkpath(more);
        store->setBookmark(bookmarkFor(more), key(more));
    }
    {
        test::FileSizeLimit limit(rlim_t(before.size() + 16));
        store->saveBookmarks();
    }
    EXPECT_EQ(test::readFile(file), before);
    ASSERT_EQ(dialogs.alerts->alerts().size(), 1);
    EXPECT_EQ(dialogs.alerts->alerts().first().messageText, QStringLiteral("Error exporting data"));
    EXPECT_TRUE(QDir(QFileInfo(file).absolutePath()).entryList({QStringLiteral("*.saving-*")}, QDir::Files).isEmpty());
}

// The file appears after a load that found none (a drive mounted later), or
// another program replaces it after the load: the save leaves it as it is
// and says once that a restart uses it.
TEST_F(BookmarkStoreTest, AFileThatAppearedOrWasReplacedSinceTheLoadIsKeptAndToldOnce)
{
    const QString users = folder + QStringLiteral("/users.dict");
    auto writer = SandboxFileAccessPersistDictionary::create(users);
    writer->setBookmark(bookmarkFor(granted), key(granted));
    writer->saveBookmarks();
    const QByteArray usersBytes = test::readFile(users);
    ASSERT_FALSE(usersBytes.isEmpty());

    for (const bool appeared : {true, false}) {
        SCOPED_TRACE(appeared ? "appeared" : "replaced");
        platform::LoadAlerts::reset();
        QDir(QFileInfo(file).absolutePath()).removeRecursively();
        if (!appeared) {
            // Other bytes than the replacement's: the same bytes would be the file read.
            SandboxFileAccessPersistDictionary::create(file)->saveBookmarks();
            ASSERT_NE(test::readFile(file), usersBytes);
        }
        auto store = SandboxFileAccessPersistDictionary::create(file);
        store->loadBookmarks();
        QDir().mkpath(QFileInfo(file).absolutePath());
        ASSERT_TRUE(QFile::copy(users, file + QStringLiteral(".new")));
        ASSERT_TRUE(QFile::remove(file) || appeared);
        ASSERT_TRUE(QFile::rename(file + QStringLiteral(".new"), file));
        store->setBookmark(bookmarkFor(granted + "/inner/note.txt"), key(granted + "/inner/note.txt"));
        for (int save = 0; save < 2; ++save)
            store->saveBookmarks();
        EXPECT_EQ(test::readFile(file), usersBytes);
        // The session's bookmarks beside the user's file, under a name of their own.
        QStringList copies = QDir(QFileInfo(file).absolutePath()).entryList({QStringLiteral("Bookmarks.dict.session-*")});
        copies.removeAll(QStringLiteral("Bookmarks.dict.session-note"));
        ASSERT_EQ(copies.size(), 1);
        const QString copy = QFileInfo(file).absolutePath() + u'/' + copies.first();
        auto kept = SandboxFileAccessPersistDictionary::create(copy);
        kept->loadBookmarks();
        EXPECT_TRUE(kept->bookmarkData(key(granted + "/inner/note.txt")));
        QList<platform::LoadAlerts::Alert> told = platform::LoadAlerts::pending();
        ASSERT_EQ(told.size(), 1);
        EXPECT_EQ(told.first().messageText, QStringLiteral("The bookmarks file changed after the start"));
        EXPECT_TRUE(told.first().informativeText.contains(file));
        EXPECT_TRUE(told.first().informativeText.contains(copy));
        EXPECT_TRUE(told.first().informativeText.contains(QStringLiteral("restart")));
        EXPECT_TRUE(dialogs.alerts->alerts().isEmpty());

        // No one saw it (the save was the quit's): the next start tells it.
        platform::LoadAlerts::reset();
        SandboxFileAccessPersistDictionary::create(file)->loadBookmarks();
        told = platform::LoadAlerts::pending();
        ASSERT_EQ(told.size(), 1);
        EXPECT_EQ(told.first().messageText, QStringLiteral("The folder access of the last session was kept in another file"));
        EXPECT_TRUE(told.first().informativeText.contains(copy));
    }
}

// A sync tool puts the same bytes back under a new inode, and `touch` gives
// them a new time: still the file the store read, saved over and over.
TEST_F(BookmarkStoreTest, TheFileReadPutBackOrTouchedIsSavedOver)
{
    platform::LoadAlerts::reset();
    auto first = SandboxFileAccessPersistDictionary::create(file);
    first->setBookmark(bookmarkFor(granted), key(granted));
    first->saveBookmarks();
    auto store = SandboxFileAccessPersistDictionary::create(file);
    store->loadBookmarks();
    const QByteArray bytes = test::readFile(file);
    ASSERT_TRUE(QFile::remove(file));
    ASSERT_TRUE(test::writeFile(file, bytes));
    const QByteArray name = QFile::encodeName(file);
    const timespec later[2] = {{2000000000, 0}, {2000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, name.constData(), later, 0), 0);
    for (const QString& path : {granted + "/inner", granted + "/inner/deeper"}) {
        store->setBookmark(bookmarkFor(path), key(path));
        store->saveBookmarks();
    }
    EXPECT_TRUE(store->writeRefusal().isEmpty()) << store->writeRefusal().toStdString();
    auto reloaded = SandboxFileAccessPersistDictionary::create(file);
    reloaded->loadBookmarks();
    settle(*reloaded);
    EXPECT_EQ(reloaded->globalBookmarks()->count(), 3);
    EXPECT_TRUE(platform::LoadAlerts::pending().isEmpty());
    EXPECT_TRUE(dialogs.alerts->alerts().isEmpty());
}

TEST_F(BookmarkStoreTest, ASaveToALinkThatLoopsIsRefusedAndSaysWhy)
{
    auto store = SandboxFileAccessPersistDictionary::create(file);
    store->loadBookmarks();
    store->setBookmark(bookmarkFor(granted), key(granted));
    QDir().mkpath(QFileInfo(file).absolutePath());
    ASSERT_TRUE(QFile::link(file, file));
    store->saveBookmarks();
    EXPECT_TRUE(QFileInfo(file).isSymLink());
    ASSERT_EQ(dialogs.alerts->alerts().size(), 1);
    EXPECT_EQ(dialogs.alerts->alerts().first().messageText, QStringLiteral("Error exporting data"));
    EXPECT_TRUE(dialogs.alerts->alerts().first().informativeText.contains(QStringLiteral("links in a loop")));
}

TEST_F(BookmarkStoreTest, LeftoversOfAKilledSaveGoAtTheNextLoadTheUsersCopiesStay)
{
    // Only what the safe writer makes; any other "<file>." plus six characters
    // may be the user's own copy.
    ASSERT_TRUE(test::writeFile(file + QStringLiteral(".saving-Xy12Zq"), "half"));
    const QStringList users{QStringLiteral(".aB3dE9"), QStringLiteral(".copy01"), QStringLiteral(".mine"),
                            QStringLiteral(".backup"), QStringLiteral(".saving-my.own")};
    for (const QString& suffix : users)
        ASSERT_TRUE(test::writeFile(file + suffix, "the user's"));
    auto store = SandboxFileAccessPersistDictionary::create(file);
    store->loadBookmarks();
    EXPECT_FALSE(QFileInfo::exists(file + QStringLiteral(".saving-Xy12Zq")));
    for (const QString& suffix : users)
        EXPECT_TRUE(QFileInfo::exists(file + suffix)) << suffix.toStdString();
}

TEST_F(BookmarkStoreTest, WhatIsNoRegularFileIsRefusedUnreadAndNeverWrittenOver)
{
    QDir().mkpath(QFileInfo(file).absolutePath());
    ASSERT_EQ(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
    platform::LoadAlerts::reset();
    auto store = SandboxFileAccessPersistDictionary::create(file);
    store->loadBookmarks(); // a FIFO opened for reading would wait here forever
    EXPECT_FALSE(store->writeRefusal().isEmpty());
    ASSERT_EQ(platform::LoadAlerts::pending().size(), 1);
    EXPECT_EQ(platform::LoadAlerts::pending().first().messageText, QStringLiteral("Error loading globalBookmarks from file"));
    store->setBookmark(bookmarkFor(granted), key(granted));
    store->saveBookmarks();
    EXPECT_FALSE(QFileInfo(file).isFile());
    EXPECT_TRUE(QFileInfo::exists(file));
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
    ASSERT_TRUE(python.waitForFinished(int(vantel::test::longWait.count())));
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
