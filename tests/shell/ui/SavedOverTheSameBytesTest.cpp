// Another program touches the settings and the bookmarks, puts a copy of
// them back or writes their bytes again while Vantel runs: the files still
// hold what Vantel read, so the quit's save goes into them, not beside them.
#include "VantelProcess.h"

#include "access/SandboxFileAccessPersistDictionary.h"
#include "platform/Bookmark.h"
#include "platform/UserDefaults.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <chrono>
#include <filesystem>

#include <csignal>

namespace vantel {
namespace {

enum class Disturbance { touched, copyRenamedOver, rewrittenInPlace };

void disturb(const QString& file, Disturbance how)
{
    const QByteArray bytes = test::readFile(file);
    ASSERT_FALSE(bytes.isEmpty()) << file.toStdString();
    switch (how) {
    case Disturbance::touched: {
        const std::filesystem::path path = QFile::encodeName(file).toStdString();
        std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) - std::chrono::hours(1));
        break;
    }
    case Disturbance::copyRenamedOver:
        ASSERT_NO_FATAL_FAILURE(
            test::putInPlace(file, [&](const QString& beside) { ASSERT_TRUE(test::writeFile(beside, bytes)); }));
        break;
    case Disturbance::rewrittenInPlace:
        ASSERT_TRUE(test::writeFile(file, bytes));
        break;
    }
    ASSERT_EQ(test::readFile(file), bytes);
}

// The paths the file's bookmarks resolve to, one a line (a load leaves out
// those that no longer resolve).
std::string bookmarkedPaths(const QString& file)
{
    const auto store = SandboxFileAccessPersistDictionary::create(file);
    store->loadBookmarks();
    QStringList paths;
    store->forEachBookmark([&](const QUrl& url, const QByteArray&) { paths << url.toLocalFile(); });
    paths.sort();
    return paths.join(u'\n').toStdString();
}

TEST(SavedOverTheSameBytes, TheQuitSavesIntoAFileTouchedPutBackOrRewrittenUnchanged)
{
    for (const Disturbance how : {Disturbance::touched, Disturbance::copyRenamedOver, Disturbance::rewrittenInPlace}) {
        SCOPED_TRACE(int(how));
        const QString home = test::makeTempDir(QStringLiteral("same-bytes"));
        test::VantelProcess::prepareHome(home);
        const QString settingsFile = test::VantelProcess::settingsPath(home);
        {
            platform::UserDefaults settings(settingsFile);
            settings.setBool(true, QStringLiteral("launchedBefore"));
            settings.setString(QStringLiteral("the user's"), QStringLiteral("alternateFolderBrowser"));
            ASSERT_TRUE(settings.synchronize());
        }
        // A folder's bookmark is kept under its path with a slash.
        const QString kept = home + QStringLiteral("/granted/");
        const QString gone = kept + QStringLiteral("note.txt");
        QDir().mkpath(kept);
        ASSERT_TRUE(test::writeFile(gone, "note"));
        const QString bookmarksFile = home + QStringLiteral("/data/Vantel/Bookmarks.dict");
        {
            const auto bookmarks = SandboxFileAccessPersistDictionary::create(bookmarksFile);
            for (const QString& path : {kept, gone})
                bookmarks->setBookmark(platform::Bookmark::createBookmarkForPath(path).value_or(QByteArray()),
                                       QUrl::fromLocalFile(path));
            bookmarks->saveBookmarks();
        }
        ASSERT_EQ(bookmarkedPaths(bookmarksFile), (kept + u'\n' + gone).toStdString());
        ASSERT_TRUE(test::readFile(bookmarksFile).contains(QFile::encodeName(gone)));

        test::VantelProcess vantel(home);
        vantel.start();
        ASSERT_TRUE(vantel.waitForOutput("<- applicationDidFinishLaunching")) << vantel.output().toStdString();
        for (const QString& file : {settingsFile, bookmarksFile})
            ASSERT_NO_FATAL_FAILURE(disturb(file, how));

        // What the session changes afterwards: two later starts show the
        // main view and hide it again, which stores its split; a granted
        // file deleted leaves the bookmarks.
        for (const char* reached : {"<- mainWindowShow", "<- viewWillDisappear"}) {
            test::VantelProcess later(home);
            later.start();
            ASSERT_TRUE(later.waitForFinished()) << later.output().toStdString();
            EXPECT_EQ(later.process().exitCode(), 0) << later.output().toStdString();
            ASSERT_TRUE(vantel.waitForOutput(reached)) << vantel.output().toStdString();
        }
        ASSERT_TRUE(QFile::remove(gone));
        vantel.signal(SIGTERM);
        ASSERT_TRUE(vantel.waitForFinished());
        EXPECT_EQ(vantel.process().exitCode(), 0);

        const platform::UserDefaults saved(settingsFile);
        EXPECT_TRUE(saved.contains(QStringLiteral("mainSplitview"))) << vantel.output().toStdString();
        EXPECT_EQ(saved.stringForKey(QStringLiteral("alternateFolderBrowser")), QStringLiteral("the user's"));
        EXPECT_FALSE(test::readFile(bookmarksFile).contains(QFile::encodeName(gone)));
        EXPECT_EQ(bookmarkedPaths(bookmarksFile), kept.toStdString());
        for (const QString& file : {settingsFile, bookmarksFile})
            EXPECT_EQ(test::keptCopyOf(file), QString()) << file.toStdString();
    }
}

} // namespace
} // namespace vantel
