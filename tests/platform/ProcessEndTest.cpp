// The ways a process is told to end: quit signals, the display lost, and a
// second instance on the same settings.
#include "platform/ExitHook.h"
#include "platform/InstanceLock.h"
#include "platform/UnixSignals.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>

#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#include <thread>

namespace vantel::platform {
namespace {

using namespace std::chrono_literals;

TEST(UnixSignals, AHangUpAsksToQuitAndLaterSignalsAreIgnored)
{
    // Restored for the other tests on the way out of this one.
    struct Restore {
        ~Restore()
        {
            for (int number : {SIGTERM, SIGINT, SIGHUP})
                ::signal(number, SIG_DFL);
        }
    } restore;
    UnixSignals quitSignals;
    QSignalSpy spy(&quitSignals, &UnixSignals::quitRequested);
    ::raise(SIGHUP);
    ::raise(SIGTERM);
    ::raise(SIGINT);
    ASSERT_TRUE(test::waitUntil([&] { return spy.count() > 0; }));
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    // Only the first asked; the process is still here to see it.
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), SIGHUP);
    EXPECT_EQ(quitSignals.receivedSignal(), SIGHUP);
}

TEST(UnixSignals, AProcessAskedToQuitIgnoresTheRestOnItsWayOut)
{
    {
        UnixSignals quitSignals;
        ::raise(SIGTERM);
        ASSERT_TRUE(test::waitUntil([&] { return quitSignals.receivedSignal() != 0; }));
    }
    // Still alive after these; then back to normal for the other tests.
    ::raise(SIGHUP);
    ::raise(SIGTERM);
    struct sigaction action {};
    ::sigaction(SIGHUP, nullptr, &action);
    EXPECT_EQ(action.sa_handler, SIG_IGN);
    for (int number : {SIGTERM, SIGINT, SIGHUP})
        ::signal(number, SIG_DFL);
}

TEST(UnixSignals, AWriteToAConnectionWhosePeerIsGoneFailsAndTheProcessLives)
{
    ::signal(SIGPIPE, SIG_DFL);
    UnixSignals quitSignals;
    int ends[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
    ::close(ends[1]);
    errno = 0;
    EXPECT_EQ(::write(ends[0], "x", 1), -1);
    EXPECT_EQ(errno, EPIPE);
    ::close(ends[0]);
}

TEST(ExitHook, RunsOnceOnTheMainThreadWhenQtReportsTheLostDisplay)
{
    int runs = 0;
    ExitHook::install([&runs] { ++runs; }, ExitHook::AfterLostDisplay::returnToQt);
    ASSERT_TRUE(ExitHook::isArmed());
    // Another thread's exit() must not run it: the main thread may be busy
    // with the same objects.
    std::thread([] { ExitHook::runNow(); }).join();
    EXPECT_EQ(runs, 0);

    qWarning("An unrelated warning");
    EXPECT_EQ(runs, 0);
    // What Qt's X11 plugin says right before it calls exit(1).
    qWarning("The X11 connection broke (error 1). Did the X11 server die?");
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(ExitHook::isArmed());
    ExitHook::runNow(); // the atexit handler after it
    EXPECT_EQ(runs, 1);

    // The orderly way out disarms it.
    ExitHook::install([&runs] { ++runs; }, ExitHook::AfterLostDisplay::returnToQt);
    ExitHook::disarm();
    qWarning("The X11 connection broke: I/O error (code 1)");
    EXPECT_EQ(runs, 1);
}

TEST(InstanceLock, OneHolderAtATimeAndNoStaleLock)
{
    const QString folder = test::makeTempDir(QStringLiteral("lock")) + QStringLiteral("/missing/Vantel");
    const QString path = folder + QStringLiteral("/app.lock");
    {
        InstanceLock first(path);
        ASSERT_EQ(first.tryLock(), InstanceLock::Result::Locked) << first.errorString().toStdString();
        EXPECT_TRUE(first.isLocked());
        EXPECT_EQ(QFile(path).size(), 0);

        InstanceLock second(path);
        EXPECT_EQ(second.tryLock(), InstanceLock::Result::HeldElsewhere);
        EXPECT_FALSE(second.isLocked());
        EXPECT_TRUE(second.errorString().contains(path));

        first.unlock();
        EXPECT_EQ(second.tryLock(), InstanceLock::Result::Locked);
    }
    // Released with its holder: the file stays, the lock does not.
    EXPECT_TRUE(QFile::exists(path));
    InstanceLock again(path);
    EXPECT_EQ(again.tryLock(), InstanceLock::Result::Locked);
    again.unlock();

    // A link planted in its place is not followed.
    const QString linked = folder + QStringLiteral("/linked.lock");
    ASSERT_TRUE(QFile::link(path, linked));
    InstanceLock planted(linked);
    EXPECT_EQ(planted.tryLock(), InstanceLock::Result::Failed);
    EXPECT_FALSE(planted.errorString().isEmpty());
    EXPECT_EQ(InstanceLock(QString()).tryLock(), InstanceLock::Result::Failed);
}

} // namespace
} // namespace vantel::platform
