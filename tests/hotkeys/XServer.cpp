#include "XServer.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <memory>

namespace vantel::test {

namespace {

QString reason = QStringLiteral("not started");
bool started = false;
QProcess* xvfb = nullptr;
Display* inputDisplay = nullptr;
Display* grabDisplay = nullptr;
bool grabRefused = false;

int recordError(Display*, XErrorEvent* error)
{
    if (error->error_code == BadAccess)
        grabRefused = true;
    return 0;
}

// Tests of the whole program set a larger screen before main() runs.
QString screenSize()
{
    return qEnvironmentVariable("VANTEL_TEST_XVFB_SCREEN", QStringLiteral("640x480x24"));
}

class XvfbEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        const QString program = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (program.isEmpty()) {
            reason = QStringLiteral("Xvfb is not installed");
            return;
        }
        for (int display = 90 + (QCoreApplication::applicationPid() % 200); display < 400; ++display) {
            if (QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(display))
                || QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(display)))
                continue;
            auto* process = new QProcess();
            process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
            process->start(program, {QStringLiteral(":%1").arg(display), QStringLiteral("-noreset"),
                                     QStringLiteral("-nolisten"), QStringLiteral("tcp"), QStringLiteral("-screen"),
                                     QStringLiteral("0"), screenSize()});
            const QByteArray name = QStringLiteral(":%1").arg(display).toUtf8();
            Display* connection = nullptr;
            waitUntil(
                [&] {
                    if (process->state() == QProcess::NotRunning)
                        return true;
                    connection = XOpenDisplay(name.constData());
                    return connection != nullptr;
                });
            if (!connection) {
                // Killed while it held the display, the server leaves its
                // socket and lock behind; one that ended found it taken.
                const bool held = process->state() != QProcess::NotRunning;
                process->kill();
                process->waitForFinished(int(longWait.count()));
                delete process;
                if (held) {
                    QFile::remove(QStringLiteral("/tmp/.X11-unix/X%1").arg(display));
                    QFile::remove(QStringLiteral("/tmp/.X%1-lock").arg(display));
                }
                continue;
            }
            xvfb = process;
            inputDisplay = connection;
            qputenv("DISPLAY", name);
            qunsetenv("WAYLAND_DISPLAY");
            qputenv("XDG_SESSION_TYPE", "x11");
            started = true;
            return;
        }
        reason = QStringLiteral("no free display for Xvfb");
    }

    void TearDown() override
    {
        if (grabDisplay)
            XCloseDisplay(grabDisplay);
        if (inputDisplay)
            XCloseDisplay(inputDisplay);
        if (xvfb) {
            xvfb->terminate();
            xvfb->waitForFinished(int(longWait.count()));
            delete xvfb;
        }
    }
};

const auto* const environment = ::testing::AddGlobalTestEnvironment(new XvfbEnvironment());

KeyCode keycodeOf(const char* keysymName)
{
    return XKeysymToKeycode(inputDisplay, XStringToKeysym(keysymName));
}

} // namespace

bool hasXServer()
{
    return started;
}

QString xServerUnavailableReason()
{
    return reason;
}

void pressKey(const char* keysymName)
{
    XTestFakeKeyEvent(inputDisplay, keycodeOf(keysymName), True, CurrentTime);
    XSync(inputDisplay, False);
}

void releaseKey(const char* keysymName)
{
    XTestFakeKeyEvent(inputDisplay, keycodeOf(keysymName), False, CurrentTime);
    XSync(inputDisplay, False);
}

void tapKey(const char* keysymName)
{
    pressKey(keysymName);
    releaseKey(keysymName);
}

void tapKeycode(int keycode)
{
    XTestFakeKeyEvent(inputDisplay, static_cast<unsigned>(keycode), True, CurrentTime);
    XTestFakeKeyEvent(inputDisplay, static_cast<unsigned>(keycode), False, CurrentTime);
    XSync(inputDisplay, False);
}

void settle(std::chrono::milliseconds duration)
{
    spinEventLoop(duration);
}

bool grabKeyAsOtherClient(const char* keysymName, unsigned modifiers)
{
    if (!grabDisplay)
        grabDisplay = XOpenDisplay(qgetenv("DISPLAY").constData());
    auto* previous = XSetErrorHandler(recordError);
    grabRefused = false;
    XGrabKey(grabDisplay, XKeysymToKeycode(grabDisplay, XStringToKeysym(keysymName)), modifiers,
             DefaultRootWindow(grabDisplay), False, GrabModeAsync, GrabModeAsync);
    XSync(grabDisplay, False);
    XSetErrorHandler(previous);
    return !grabRefused;
}

void releaseOtherClientGrabs()
{
    if (!grabDisplay)
        return;
    XUngrabKey(grabDisplay, AnyKey, AnyModifier, DefaultRootWindow(grabDisplay));
    XSync(grabDisplay, False);
}

bool setKeyboardLayout(const QString& layouts)
{
    QProcess process;
    process.start(QStringLiteral("setxkbmap"),
                  {QStringLiteral("-display"), QString::fromLocal8Bit(qgetenv("DISPLAY")), QStringLiteral("-layout"),
                   layouts});
    const bool ok = process.waitForFinished(int(longWait.count())) && process.exitCode() == 0;
    settle(std::chrono::milliseconds(300));
    return ok;
}

void lockGroup(int group)
{
    XkbLockGroup(inputDisplay, XkbUseCoreKbd, static_cast<unsigned>(group));
    XSync(inputDisplay, False);
    settle();
}

} // namespace vantel::test
