// The user's files lie on a drive mounted after Vantel started (an encrypted
// volume, a share mounted at login): a link leads there, and the start finds
// nothing. Whatever the program writes afterwards, the files that arrive
// with the drive stay the user's.
#include "VantelProcess.h"

#include "access/SandboxFileAccessPersistDictionary.h"
#include "platform/Bookmark.h"
#include "platform/LaunchHistory.h"
#include "platform/UserDefaults.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <csignal>

#include <sys/stat.h>

namespace vantel {
namespace {

QString historyOf(const QString& app)
{
    return QStringLiteral("/apps/app-%1.desktop").arg(app);
}

// The settings, bookmarks and launch history that the drive brings, made
// beside the home and moved in place at the "mount".
void writeUsersFiles(const QString& drive, const QString& home)
{
    platform::UserDefaults settings(drive + QStringLiteral("/config/net.tarnwick.vantel.plist"));
    settings.setBool(true, QStringLiteral("launchedBefore"));
    settings.setBool(true, QStringLiteral("debugLogging"));
    settings.setString(QStringLiteral("the user's"), QStringLiteral("alternateFolderBrowser"));
    ASSERT_TRUE(settings.synchronize());

    const QString data = drive + QStringLiteral("/data");
    const auto bookmarks = SandboxFileAccessPersistDictionary::create(data + QStringLiteral("/Bookmarks.dict"));
    for (int i = 0; i < 3; ++i) {
        const QString path = home + QStringLiteral("/files/note-%1.txt").arg(i);
        QDir().mkpath(QFileInfo(path).absolutePath());
        ASSERT_TRUE(test::writeFile(path, "note"));
        bookmarks->setBookmark(platform::Bookmark::createBookmarkForPath(path).value_or(QByteArray()),
                               QUrl::fromLocalFile(path));
    }
    bookmarks->saveBookmarks();
    platform::LaunchHistory history(data + QStringLiteral("/LaunchHistory.plist"), QString());
    for (int i = 0; i < 30; ++i)
        history.record(historyOf(QString::number(i)), QDateTime(QDate(2026, 3, 1 + i % 28), QTime(8, i), Qt::UTC));
    ASSERT_TRUE(history.synchronize());
}

// A copy of sleep that the program sees running as an application of its own.
QString installSleeper(const QString& home, const QString& name)
{
    const QString program = home + QStringLiteral("/bin/") + name;
    QDir().mkpath(home + QStringLiteral("/bin"));
    QFile::copy(QStringLiteral("/bin/sleep"), program);
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther
                                       | QFile::ExeOther);
    return program;
}

void addApplication(const QString& home, const QString& name, const QString& program)
{
    ASSERT_TRUE(test::writeFile(home + QStringLiteral("/system-data/applications/") + name + QStringLiteral(".desktop"),
                                "[Desktop Entry]\nType=Application\nName=" + name.toUtf8() + "\nExec=" + program.toUtf8()
                                    + " 600\n"));
}

enum class Linked { settingsFolder, settingsFile, dataFolder, dataFiles };

// Each way of leading into the drive, each in a run of its own: the program
// runs as an account that can't make the drive's folder, as a user can't
// below a mount point.
TEST(DriveMountedLater, TheFilesThatArriveWithTheDriveAreNeverWrittenOver)
{
    for (const Linked linked : {Linked::settingsFolder, Linked::settingsFile, Linked::dataFolder, Linked::dataFiles}) {
        SCOPED_TRACE(int(linked));
        const bool settingsLinked = linked == Linked::settingsFolder || linked == Linked::settingsFile;
        const QString home = test::makeTempDir(QStringLiteral("mounted-later-home"));
        test::VantelProcess::prepareHome(home);
        const QString stage = home + QStringLiteral("/staged");
        const QString media = home + QStringLiteral("/media");
        const QString drive = media + QStringLiteral("/drive");
        ASSERT_NO_FATAL_FAILURE(writeUsersFiles(stage, home));
        const QString settingsFile = QStringLiteral("/config/net.tarnwick.vantel.plist");
        const QString bookmarksFile = QStringLiteral("/data/Bookmarks.dict");
        const QByteArray usersSettings = test::readFile(stage + settingsFile);
        const QByteArray usersBookmarks = test::readFile(stage + bookmarksFile);
        QDir().mkpath(media);
        const QString config = home + QStringLiteral("/config/Vantel");
        const QString data = home + QStringLiteral("/data/Vantel");
        QDir().mkpath(data);
        switch (linked) {
        case Linked::settingsFolder:
            ASSERT_TRUE(QDir(config).removeRecursively());
            ASSERT_TRUE(QFile::link(drive + QStringLiteral("/config"), config));
            break;
        case Linked::settingsFile:
            ASSERT_TRUE(QFile::remove(test::VantelProcess::settingsPath(home)));
            ASSERT_TRUE(QFile::link(drive + QStringLiteral("/config/net.tarnwick.vantel.plist"),
                                    test::VantelProcess::settingsPath(home)));
            break;
        case Linked::dataFolder:
            ASSERT_TRUE(QDir(data).removeRecursively());
            ASSERT_TRUE(QFile::link(drive + QStringLiteral("/data"), data));
            break;
        case Linked::dataFiles:
            for (const QString& name : {QStringLiteral("Bookmarks.dict"), QStringLiteral("LaunchHistory.plist")})
                ASSERT_TRUE(QFile::link(drive + QStringLiteral("/data/") + name, data + u'/' + name));
            break;
        }
        // The settings of the data runs speak in the log, so that the run
        // knows when the launch history has looked for its file.
        if (!settingsLinked)
            platform::UserDefaults(test::VantelProcess::settingsPath(home)).setBool(true, QStringLiteral("launchedBefore"));
        const QString firstSleeper = installSleeper(home, QStringLiteral("vantel-sleeper-1"));
        const QString secondSleeper = installSleeper(home, QStringLiteral("vantel-sleeper-2"));
        ASSERT_NO_FATAL_FAILURE(addApplication(home, QStringLiteral("sleeper-1"), firstSleeper));

        test::VantelProcess vantel(home);
        vantel.runUnprivileged();
        ASSERT_EQ(::chmod(QFile::encodeName(media).constData(), 0555), 0);
        QProcess first;
        QProcess second;
        for (QProcess* sleeper : {&first, &second})
            test::VantelProcess::runUnprivileged(*sleeper, home);
        first.start(firstSleeper, {QStringLiteral("600")});
        vantel.start();
        if (settingsLinked) {
            // A later start is answered once the launch sequence has returned
            // (or waits in a window it opened): the settings were read, and
            // found missing.
            ASSERT_TRUE(vantel.waitForOutput(" is running")) << vantel.output().toStdString();
            test::VantelProcess later(home);
            later.runUnprivileged();
            later.start();
            ASSERT_TRUE(later.waitForFinished()) << later.output().toStdString();
            ASSERT_EQ(later.process().exitCode(), 0) << later.output().toStdString();
        } else {
            ASSERT_TRUE(vantel.waitForOutput("<- applicationDidFinishLaunching")) << vantel.output().toStdString();
            ASSERT_TRUE(vantel.waitForLog(QStringLiteral("^The launch history could not be written to")))
                << vantel.output().toStdString();
        }

        ASSERT_EQ(::chmod(QFile::encodeName(media).constData(), 0755), 0);
        ASSERT_TRUE(QDir().rename(stage, drive));
        ASSERT_EQ(::chmod(QFile::encodeName(media).constData(), 0555), 0);
        if (!settingsLinked) {
            // A launch after the mount: the history is written again.
            second.start(secondSleeper, {QStringLiteral("600")});
            ASSERT_TRUE(second.waitForStarted());
            ASSERT_NO_FATAL_FAILURE(addApplication(home, QStringLiteral("sleeper-2"), secondSleeper));
            ASSERT_TRUE(vantel.waitForLog(QStringLiteral("Observer applicationWasLaunched was called.*sleeper-2")))
                << vantel.output().toStdString();
        }
        vantel.signal(SIGTERM);
        ASSERT_TRUE(vantel.waitForFinished());
        EXPECT_EQ(vantel.process().exitCode(), 0);
        for (QProcess* sleeper : {&first, &second}) {
            sleeper->kill();
            sleeper->waitForFinished();
        }

        ::chmod(QFile::encodeName(media).constData(), 0755);
        if (settingsLinked) {
            EXPECT_EQ(test::readFile(drive + settingsFile), usersSettings);
            continue;
        }
        EXPECT_EQ(test::readFile(drive + bookmarksFile), usersBookmarks);
        platform::LaunchHistory history(drive + QStringLiteral("/data/LaunchHistory.plist"), QString());
        for (int i = 0; i < 30; ++i)
            EXPECT_EQ(history.recordedDate(historyOf(QString::number(i))),
                      QDateTime(QDate(2026, 3, 1 + i % 28), QTime(8, i), Qt::UTC))
                << i;
        EXPECT_TRUE(history.recordedDate(home + QStringLiteral("/system-data/applications/sleeper-2.desktop")))
            << "the launch after the mount is kept as well";
    }
}

} // namespace
} // namespace vantel
