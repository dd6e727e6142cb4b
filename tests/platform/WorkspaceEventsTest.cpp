#include "platform/Log.h"
#include "platform/NotificationCenter.h"
#include "platform/WorkspaceEvents.h"
#include "support/PrivateBus.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QStandardPaths>
#include <QVariantMap>

namespace Log = vantel::platform::Log;
using vantel::platform::Notification;
using vantel::platform::NotificationCenter;
using vantel::platform::WorkspaceEvents;

namespace {

struct Received {
    QString name;
    QString devicePath;
};

class Recorder {
public:
    Recorder()
    {
        for (const QString& name : {WorkspaceEvents::didMountNotification, WorkspaceEvents::didUnmountNotification,
                                    WorkspaceEvents::didRenameVolumeNotification, WorkspaceEvents::willSleepNotification}) {
            tokens_.push_back(NotificationCenter::workspaceCenter().addObserver(name, [this](const Notification& n) {
                Received r{n.name, {}};
                if (const auto* info = std::any_cast<QVariantMap>(&n.object))
                    r.devicePath = info->value(WorkspaceEvents::devicePathKey).toString();
                received.append(r);
            }));
        }
    }
    QList<Received> received;

private:
    std::vector<vantel::platform::ObserverToken> tokens_;
};

TEST(WorkspaceEventsTest, VolumeEventsCarryTheMountPointAndRenamesNeedANewName)
{
    Recorder recorder;
    WorkspaceEvents events(QDBusConnection(QStringLiteral("vantel-no-bus")), false);
    EXPECT_FALSE(events.isWatchingSleep());

    events.mountAdded(QStringLiteral("/media/usb"), QStringLiteral("USB"));
    events.mountChanged(QStringLiteral("/media/usb"), QStringLiteral("USB"));      // nothing new
    events.mountChanged(QStringLiteral("/media/usb"), QStringLiteral("Backup"));   // renamed
    events.mountChanged(QStringLiteral("/media/other"), QStringLiteral("Other"));  // never seen: not a rename
    events.mountRemoved(QStringLiteral("/media/usb"));
    events.mountAdded(QString(), QStringLiteral("no mount point"));                // nothing to report

    ASSERT_EQ(recorder.received.size(), 3);
    EXPECT_EQ(recorder.received[0].name, QStringLiteral("NSWorkspaceDidMountNotification"));
    EXPECT_EQ(recorder.received[1].name, QStringLiteral("NSWorkspaceDidRenameVolumeNotification"));
    EXPECT_EQ(recorder.received[2].name, QStringLiteral("NSWorkspaceDidUnmountNotification"));
    for (const Received& r : recorder.received)
        EXPECT_EQ(r.devicePath, QStringLiteral("/media/usb"));
}

TEST(WorkspaceEventsTest, TheVolumeMonitorAttaches)
{
    WorkspaceEvents events(QDBusConnection(QStringLiteral("vantel-no-bus")), true);
    EXPECT_TRUE(events.isWatchingVolumes());
    vantel::test::spinEventLoop(std::chrono::milliseconds(50));
}

// logind on a private bus: PrepareForSleep(true) is the will-sleep event,
// PrepareForSleep(false) the wake-up, which posts nothing.
TEST(WorkspaceEventsTest, PrepareForSleepPostsWillSleep)
{
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (daemon.isEmpty())
        GTEST_SKIP() << "dbus-daemon is not installed";
    QProcess bus;
    bus.start(daemon, vantel::test::PrivateBus::daemonArguments());
    ASSERT_TRUE(bus.waitForStarted());
    ASSERT_TRUE(vantel::test::waitUntil([&] { return bus.canReadLine(); }));
    const QString address = QString::fromUtf8(bus.readLine()).trimmed();

    {
        QDBusConnection fakeLogind = QDBusConnection::connectToBus(address, QStringLiteral("vantel-fake-logind"));
        ASSERT_TRUE(fakeLogind.isConnected());
        ASSERT_TRUE(fakeLogind.registerService(QStringLiteral("org.freedesktop.login1")));
        QDBusConnection watcherBus = QDBusConnection::connectToBus(address, QStringLiteral("vantel-sleep-watcher"));
        ASSERT_TRUE(watcherBus.isConnected());

        Recorder recorder;
        WorkspaceEvents events(watcherBus, false);
        ASSERT_TRUE(events.isWatchingSleep());

        auto emitSleep = [&](bool starting) {
            QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/login1"),
                                                             QStringLiteral("org.freedesktop.login1.Manager"),
                                                             QStringLiteral("PrepareForSleep"));
            signal << starting;
            ASSERT_TRUE(fakeLogind.send(signal));
        };
        emitSleep(false);
        emitSleep(true);
        ASSERT_TRUE(vantel::test::waitUntil([&] { return !recorder.received.isEmpty(); }));
        vantel::test::spinEventLoop(std::chrono::milliseconds(100));
        ASSERT_EQ(recorder.received.size(), 1);
        EXPECT_EQ(recorder.received[0].name, QStringLiteral("NSWorkspaceWillSleepNotification"));
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("vantel-fake-logind"));
    QDBusConnection::disconnectFromBus(QStringLiteral("vantel-sleep-watcher"));
    bus.kill();
    bus.waitForFinished();
}

// Any process may own logind's name on a bus: a PrepareForSleep of another
// type is ignored, said once in the log, and the next true one still counts.
TEST(WorkspaceEventsTest, APrepareForSleepOfAnotherTypeIsIgnored)
{
    vantel::test::PrivateBus bus;
    ASSERT_TRUE(bus.start()) << "dbus-daemon could not give a private bus";
    QDBusConnection fakeLogind = bus.connect(QStringLiteral("vantel-fake-logind"));
    ASSERT_TRUE(fakeLogind.registerService(QStringLiteral("org.freedesktop.login1")));
    Log::CaptureSink log;
    Log::setDebugLogging(true);
    Recorder recorder;
    WorkspaceEvents events(bus.connect(QStringLiteral("vantel-sleep-watcher")), false);
    ASSERT_TRUE(events.isWatchingSleep());
    for (const QVariantList& arguments : {QVariantList{}, QVariantList{QStringLiteral("true")}, QVariantList{1},
                                          QVariantList{true, true}, QVariantList{true}}) {
        QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/login1"),
                                                         QStringLiteral("org.freedesktop.login1.Manager"),
                                                         QStringLiteral("PrepareForSleep"));
        signal.setArguments(arguments);
        ASSERT_TRUE(fakeLogind.send(signal));
    }
    // The signals come in the order they were sent: the last one is true.
    ASSERT_TRUE(vantel::test::waitUntil([&] { return !recorder.received.isEmpty(); }));
    vantel::test::spinEventLoop(std::chrono::milliseconds(100));
    Log::setDebugLogging(false);
    EXPECT_EQ(recorder.received.size(), 1);
    EXPECT_EQ(log.messages().filter(QStringLiteral("PrepareForSleep signal is of type")).size(), 1)
        << log.messages().join(u'\n').toStdString();
}

} // namespace
