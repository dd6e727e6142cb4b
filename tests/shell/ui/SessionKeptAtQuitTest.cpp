// Another program writes the settings and the bookmarks while Vantel runs,
// and the quit's save is refused: no alert can show then. The session goes
// beside the user's files, and the next start says where.
#include "VantelProcess.h"

#include "access/SandboxFileAccessPersistDictionary.h"
#include "platform/Bookmark.h"
#include "platform/UserDefaults.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <csignal>

namespace vantel {
namespace {

// One file a run: the alerts of a start are modal, one after the other, and
// no one here answers the first.
TEST(SessionKeptAtQuit, TheNextStartTellsWhereTheSessionWentOnce)
{
    for (const bool settingsReplaced : {true, false}) {
        SCOPED_TRACE(settingsReplaced ? "settings" : "bookmarks");
        const QString home = test::makeTempDir(QStringLiteral("kept-at-quit"));
        test::VantelProcess::prepareHome(home);
        const QString settingsFile = test::VantelProcess::settingsPath(home);
        {
            platform::UserDefaults settings(settingsFile);
            settings.setBool(true, QStringLiteral("launchedBefore"));
            ASSERT_TRUE(settings.synchronize());
        }
        const QString bookmarksFile = home + QStringLiteral("/data/Vantel/Bookmarks.dict");
        SandboxFileAccessPersistDictionary::create(bookmarksFile)->saveBookmarks();
        const QString file = settingsReplaced ? settingsFile : bookmarksFile;

        test::VantelProcess first(home);
        first.start();
        ASSERT_TRUE(first.waitForOutput("<- applicationDidFinishLaunching")) << first.output().toStdString();
        if (settingsReplaced) {
            ASSERT_NO_FATAL_FAILURE(test::putInPlace(file, [](const QString& path) {
                platform::UserDefaults theirs(path);
                theirs.setBool(true, QStringLiteral("launchedBefore"));
                theirs.setBool(true, QStringLiteral("debugLogging"));
                theirs.setString(QStringLiteral("the user's"), QStringLiteral("alternateFolderBrowser"));
                ASSERT_TRUE(theirs.synchronize());
            }));
        } else {
            const QString granted = home + QStringLiteral("/granted");
            QDir().mkpath(granted);
            ASSERT_NO_FATAL_FAILURE(test::putInPlace(file, [&](const QString& path) {
                const auto theirs = SandboxFileAccessPersistDictionary::create(path);
                theirs->setBookmark(platform::Bookmark::createBookmarkForPath(granted).value_or(QByteArray()),
                                    QUrl::fromLocalFile(granted));
                theirs->saveBookmarks();
            }));
        }
        const QByteArray users = test::readFile(file);
        first.signal(SIGTERM);
        ASSERT_TRUE(first.waitForFinished());
        EXPECT_EQ(first.process().exitCode(), 0);

        EXPECT_EQ(test::readFile(file), users);
        const QString copy = test::keptCopyOf(file);
        ASSERT_FALSE(copy.isEmpty()) << first.output().toStdString();
        if (settingsReplaced) {
            EXPECT_TRUE(platform::UserDefaults(copy).contains(QStringLiteral("mainWindowWidth")))
                << "the session's settings are in the copy";
        }

        test::VantelProcess second(home);
        second.start();
        const QString told = settingsReplaced
            ? QStringLiteral("^Told about the user's files: The settings of the last session were kept in another file ")
            : QStringLiteral("^Told about the user's files: The folder access of the last session was kept in another "
                             "file ");
        ASSERT_TRUE(second.waitForLog(told + QStringLiteral(".*") + QRegularExpression::escape(copy)))
            << second.output().toStdString();
        second.signal(SIGTERM);
        ASSERT_TRUE(second.waitForFinished());
        EXPECT_EQ(second.process().exitCode(), 0);
        // Told: a later start has nothing more to say, and the copy stays the user's.
        EXPECT_FALSE(QFileInfo::exists(file + QStringLiteral(".session-note")));
        EXPECT_TRUE(QFileInfo::exists(copy));
    }
}

} // namespace
} // namespace vantel
