// The built program on a Wayland desktop: a headless compositor, a private
// session bus and, when the test wants one, the fake desktop portal.
#include "shell/ui/VantelProcess.h"
#include "support/PrivateBus.h"
#include "support/TestSupport.h"

#include "hotkeys/KeyCombo.h"
#include "platform/KeyedArchiver.h"
#include "platform/UserDefaults.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>

namespace vantel {
namespace {

// A child that is killed with the test.
struct Child {
    QProcess process;
    ~Child()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(int(test::longWait.count()));
        }
    }
    bool waitForLine(const QByteArray& text, std::chrono::milliseconds timeout = test::longWait)
    {
        return test::waitUntil(
            [&] {
                process.waitForReadyRead(20);
                seen += process.readAllStandardOutput();
                return seen.contains(text);
            },
            timeout);
    }
    QByteArray seen;
};

class WaylandDesktop {
public:
    // Weston with the pixman renderer (so that screenshots have pixels) and
    // its screenshot protocol (--debug), its socket at an absolute path.
    bool start(const QString& runtime, QString* why)
    {
        runtime_ = runtime;
        socket_ = runtime + QStringLiteral("/vantel-wayland-0");
        const QString weston = QStandardPaths::findExecutable(QStringLiteral("weston"));
        if (weston.isEmpty()) {
            *why = QStringLiteral("weston is not installed (make deps)");
            return false;
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        weston_.process.setProcessEnvironment(env);
        weston_.process.setProcessChannelMode(QProcess::MergedChannels);
        weston_.process.start(weston, {QStringLiteral("--backend=headless-backend.so"), QStringLiteral("--use-pixman"),
                                       QStringLiteral("--debug"), QStringLiteral("--idle-time=0"),
                                       QStringLiteral("--width=1280"), QStringLiteral("--height=800"),
                                       QStringLiteral("--socket=vantel-wayland-0")});
        if (!weston_.process.waitForStarted()
            || !test::waitUntil([&] { return QFileInfo::exists(socket_); })) {
            *why = QStringLiteral("weston did not come up: ") + QString::fromUtf8(weston_.process.readAll());
            return false;
        }
        return true;
    }
    QString socket() const { return socket_; }

    // The whole output as the compositor draws it.
    QImage screenshot(const QString& name) const
    {
        const QString folder = test::makeTempDir(QStringLiteral("wayland-shot"));
        QProcess shooter;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_);
        env.insert(QStringLiteral("WAYLAND_DISPLAY"), socket_);
        shooter.setProcessEnvironment(env);
        shooter.setWorkingDirectory(folder);
        shooter.start(QStringLiteral("weston-screenshooter"), {});
        if (!shooter.waitForFinished(int(test::longWait.count())))
            return {};
        const QStringList shots = QDir(folder).entryList({QStringLiteral("*.png")});
        if (shots.isEmpty())
            return {};
        const QString path = test::outputFolder() + QLatin1Char('/') + name;
        QFile::remove(path);
        QFile::copy(folder + QLatin1Char('/') + shots.first(), path);
        return QImage(path);
    }

private:
    QString runtime_;
    QString socket_;
    Child weston_;
};

QString privateBus(Child& daemon)
{
    daemon.process.start(QStringLiteral("dbus-daemon"), test::PrivateBus::daemonArguments());
    if (!daemon.process.waitForStarted() || !daemon.waitForLine("\n"))
        return {};
    return QString::fromUtf8(daemon.seen).trimmed();
}

QString prepareHome(const QString& name)
{
    const QString home = test::makeTempDir(name);
    test::VantelProcess::prepareHome(home);
    KeyCombo::registerArchiveClass();
    QString error;
    platform::UserDefaults defaults(test::VantelProcess::settingsPath(home));
    defaults.setBool(true, QStringLiteral("launchedBefore"));
    defaults.setData(platform::KeyedArchiver::archivedData(
                         std::make_shared<KeyCombo>(*KeyCombo::withCarbonModifiers(
                             Key::k, KeyCombo::commandKey | KeyCombo::optionKey)),
                         &error),
                     QStringLiteral("globalKeyCombo"));
    defaults.synchronize();
    return home;
}

void onWayland(test::VantelProcess& vantel, const QString& home, const WaylandDesktop& desktop, const QString& bus)
{
    QProcessEnvironment env = test::VantelProcess::environment(home);
    env.remove(QStringLiteral("DISPLAY"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
    env.insert(QStringLiteral("WAYLAND_DISPLAY"), desktop.socket());
    env.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus);
    vantel.process().setProcessEnvironment(env);
}

bool logged(test::VantelProcess& vantel, const QString& line, std::chrono::milliseconds timeout)
{
    return test::waitUntil(
        [&] {
            vantel.waitForOutput("\x01", std::chrono::milliseconds(50));
            return vantel.logMessages().contains(line);
        },
        timeout);
}

// The main view drawn on the compositor's grey-blue desktop: a light area
// of at least 400 by 300.
bool showsMainView(const QImage& screen)
{
    int light = 0;
    for (int y = 0; y < screen.height(); y += 2)
        for (int x = 0; x < screen.width(); x += 2)
            light += qGray(screen.pixel(x, y)) > 200 ? 1 : 0;
    return light * 4 > 400 * 300;
}

TEST(WaylandEndToEnd, ThePortalCarriesTheWindowHotkeyAndItsAbsenceIsSaid)
{
    const QString runtime = test::makeTempDir(QStringLiteral("wayland-runtime"));
    QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    WaylandDesktop desktop;
    QString why;
    ASSERT_TRUE(desktop.start(runtime, &why)) << why.toStdString();

    {
        // No portal on the bus: the unsupported backend, which says why.
        Child daemon;
        const QString bus = privateBus(daemon);
        ASSERT_FALSE(bus.isEmpty()) << "dbus-daemon gave no bus";
        const QString home = prepareHome(QStringLiteral("wayland-without-portal"));
        test::VantelProcess vantel(home);
        onWayland(vantel, home, desktop, bus);
        vantel.start();
        EXPECT_TRUE(logged(vantel,
                           QStringLiteral("Global hotkeys are not supported: under Wayland only the desktop portal's "
                                          "global shortcuts can, and the desktop offers none"),
                           std::chrono::seconds(15)))
            << vantel.output().toStdString();
    }

    Child daemon;
    const QString bus = privateBus(daemon);
    ASSERT_FALSE(bus.isEmpty()) << "dbus-daemon gave no bus";
    Child portal;
    QProcessEnvironment portalEnv = QProcessEnvironment::systemEnvironment();
    portalEnv.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus);
    portal.process.setProcessEnvironment(portalEnv);
    portal.process.start(QStringLiteral(VANTEL_FAKE_PORTAL), {});
    ASSERT_TRUE(portal.waitForLine("ready\n")) << "the fake portal did not start";

    const QString home = prepareHome(QStringLiteral("wayland-with-portal"));
    test::VantelProcess vantel(home);
    onWayland(vantel, home, desktop, bus);
    vantel.start();
    ASSERT_TRUE(logged(vantel, QStringLiteral("Global hotkeys go through the desktop portal"), std::chrono::seconds(15)))
        << vantel.output().toStdString();
    EXPECT_TRUE(vantel.logMessages().contains(QStringLiteral("Double taps of a modifier are not seen under Wayland")));
    ASSERT_TRUE(portal.waitForLine("bound globalHotKey CTRL+ALT+k\n")) << portal.seen.toStdString();

    // The desktop saw Ctrl+Alt+K: the main view comes up as the centred
    // window, since a Wayland client can't hang a popup under the tray.
    portal.process.write("activate globalHotKey\n");
    ASSERT_TRUE(logged(vantel, QStringLiteral("<- viewDidAppear"), std::chrono::seconds(10)))
        << vantel.output().toStdString();
    EXPECT_TRUE(vantel.logMessages().contains(QStringLiteral("-> showMainWindowAsWindow")));
    EXPECT_FALSE(vantel.logMessages().contains(QStringLiteral("-> showMainWindowAsPopover")));
    QImage screen;
    ASSERT_TRUE(test::waitUntil(
        [&] {
            screen = desktop.screenshot(QStringLiteral("wayland-main-view.png"));
            return showsMainView(screen);
        },
        std::chrono::seconds(8)))
        << "no main view on the compositor's screen (see output/wayland-main-view.png)";
}

} // namespace
} // namespace vantel
