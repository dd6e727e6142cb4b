#include "VantelProcess.h"

#include "platform/UserDefaults.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QFile>

#include <csignal>

namespace vantel {
namespace {

const QString firstRunLine = QStringLiteral("First run: opening the first-run assistant");

// Starts the program in `home`, waits for the end of its launch, ends it
// with the signal and answers its log.
QStringList runOnce(const QString& home, int signalNumber)
{
    test::VantelProcess vantel(home);
    vantel.start();
    EXPECT_TRUE(vantel.waitForOutput("<- applicationDidFinishLaunching")) << vantel.output().toStdString();
    vantel.signal(signalNumber);
    EXPECT_TRUE(vantel.waitForFinished());
    EXPECT_EQ(vantel.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(vantel.process().exitCode(), 0);
    EXPECT_TRUE(vantel.output().contains(QStringLiteral("on signal %1").arg(signalNumber).toUtf8()));
    return vantel.logMessages();
}

TEST(Program, LaunchesAndTerminatesInOrderAndKnowsItsFirstRun)
{
    const QString home = test::makeTempDir(QStringLiteral("program-home"));
    test::VantelProcess::prepareHome(home);

    const QStringList first = runOnce(home, SIGTERM);
    const QStringList order{
        QStringLiteral("-> applicationDidFinishLaunching"),
        QStringLiteral("Shared instances created"),
        QStringLiteral("Configuration loaded"),
        QStringLiteral("Main window controller created"),
        QStringLiteral("HotKeyManager created"),
        firstRunLine,
        QStringLiteral("Services provider installed"),
        QStringLiteral("Observers registered"),
        QStringLiteral("Data proxies enabled"),
        QStringLiteral("-> RebuildData - Request initiated: Datastorage initialize"),
        QStringLiteral("Hotkeys registered"),
        QStringLiteral("Begin activity: Prevent App Nap to preserve responsiveness"),
        QStringLiteral("<- applicationDidFinishLaunching"),
        QStringLiteral("-> applicationWillTerminate"),
        QStringLiteral("Configuration saved"),
        QStringLiteral("Bookmarks saved"),
        QStringLiteral("End activity: Prevent App Nap to preserve responsiveness"),
        QStringLiteral("<- applicationWillTerminate"),
    };
    qsizetype previous = -1;
    for (const QString& line : order) {
        const qsizetype at = first.indexOf(line);
        EXPECT_GT(at, previous) << line.toStdString() << "\n" << first.join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(first.count(line), 1) << line.toStdString();
        previous = std::max(previous, at);
    }

    // The first-run assistant opened through the catalogue.
    EXPECT_FALSE(first.contains(QStringLiteral("openWindow failed: firstRun")));

    // The desktop file that offers "Open with Vantel" names this program.
    QFile desktop(home + QStringLiteral("/data/applications/net.tarnwick.vantel.desktop"));
    ASSERT_TRUE(desktop.open(QIODevice::ReadOnly));
    EXPECT_TRUE(desktop.readAll().contains("Exec=" + test::VantelProcess::executable().toUtf8() + " %F"));

    // The termination saved: the next start is a later run.
    platform::UserDefaults saved(home + QStringLiteral("/config/Vantel/net.tarnwick.vantel.plist"));
    EXPECT_TRUE(saved.boolForKey(QStringLiteral("launchedBefore")));

    const QStringList later = runOnce(home, SIGINT);
    EXPECT_FALSE(later.contains(firstRunLine));
    EXPECT_EQ(later.count(QStringLiteral("-> applicationWillTerminate")), 1);
    EXPECT_EQ(later.count(QStringLiteral("Desktop file written: ") + home
                          + QStringLiteral("/data/applications/net.tarnwick.vantel.desktop")),
              0);
}

} // namespace
} // namespace vantel

namespace vantel {
namespace {

TEST(Program, ALaterStartHandsItsFilesOrAToggleToTheRunningOne)
{
    const QString home = test::makeTempDir(QStringLiteral("instance-home"));
    test::VantelProcess::prepareHome(home);
    const QString present = home + QStringLiteral("/present file.txt");
    QFile file(present);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    test::VantelProcess first(home);
    first.start();
    ASSERT_TRUE(first.waitForOutput("<- applicationDidFinishLaunching")) << first.output().toStdString();

    // Relative paths are taken from the later start's folder.
    test::VantelProcess second(home);
    second.process().setWorkingDirectory(home);
    second.start({QStringLiteral("present file.txt"), home + QStringLiteral("/missing.txt")});
    ASSERT_TRUE(second.waitForFinished());
    EXPECT_EQ(second.process().exitCode(), 0) << second.output().toStdString();
    EXPECT_FALSE(second.output().contains("applicationDidFinishLaunching"));

    ASSERT_TRUE(first.waitForOutput("Finder-Service provided some content ...")) << first.output().toStdString();
    // Until the main view exists the files have nowhere to wait; once it
    // does, only the present one waits.
    EXPECT_TRUE(first.waitForOutput("openFilesInMainView: 1 of 2 files waiting", std::chrono::seconds(2))
                || first.output().contains("openFilesInMainView: the main view does not exist"))
        << first.output().toStdString();

    test::VantelProcess third(home);
    third.start();
    ASSERT_TRUE(third.waitForFinished());
    EXPECT_EQ(third.process().exitCode(), 0);
    EXPECT_TRUE(first.waitForOutput("switchMainWindow in AppDelegate executed")) << first.output().toStdString();

    // A crashed instance leaves its socket behind; the next start takes it over.
    first.signal(SIGKILL);
    ASSERT_TRUE(first.waitForFinished());
    ASSERT_TRUE(QFile::exists(home + QStringLiteral("/runtime/net.tarnwick.vantel.socket")));
    test::VantelProcess fourth(home);
    fourth.start();
    ASSERT_TRUE(fourth.waitForOutput("<- applicationDidFinishLaunching")) << fourth.output().toStdString();
    fourth.signal(SIGTERM);
    ASSERT_TRUE(fourth.waitForFinished());
    EXPECT_EQ(fourth.process().exitCode(), 0);
}

} // namespace
} // namespace vantel
