// Opening an application that already shows a window whose client does not
// name its process (no _NET_WM_PID, as xmessage's) raises that window: on a
// real X server under openbox, with a real xmessage.
#include "platform/RunningApplications.h"
#include "platform/WindowList.h"
#include "platform/Workspace.h"
#include "support/TestSupport.h"

#include "PrivateXServer.h"
#include "ScopedEnvironment.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <cstdlib>
#include <cstring>

#include <csignal>

#include <xcb/xcb.h>

using namespace vantel;
using vantel::platform::WindowInfo;

namespace {

class Display {
public:
    explicit Display(const QByteArray& name)
        : connection_(xcb_connect(name.constData(), nullptr))
    {
    }
    ~Display() { xcb_disconnect(connection_); }
    bool ok() const { return !xcb_connection_has_error(connection_); }
    xcb_connection_t* connection() const { return connection_; }
    xcb_window_t root() const { return xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root; }
    xcb_atom_t atom(const char* name) const
    {
        auto* reply = xcb_intern_atom_reply(
            connection_, xcb_intern_atom(connection_, 0, uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t value = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return value;
    }
    // Whether a window manager that keeps the desktop's lists runs.
    bool managed() const
    {
        auto* reply = xcb_get_property_reply(
            connection_,
            xcb_get_property(connection_, 0, root(), atom("_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW, 0, 1),
            nullptr);
        const bool found = reply && xcb_get_property_value_length(reply) == 4;
        std::free(reply);
        return found;
    }
    bool namesItsProcess(xcb_window_t window) const
    {
        auto* reply = xcb_get_property_reply(
            connection_, xcb_get_property(connection_, 0, window, atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, 0, 1),
            nullptr);
        const bool named = reply && reply->type != XCB_NONE;
        std::free(reply);
        return named;
    }
    // openbox may leave a request that came during its start unread until
    // its next event: a request to stay on the first desktop, where it is,
    // brings one.
    void wake() const
    {
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = root();
        message.type = atom("_NET_CURRENT_DESKTOP");
        const uint32_t toTheWindowManager = XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_send_event(connection_, 0, root(), toTheWindowManager, reinterpret_cast<const char*>(&message));
        xcb_flush(connection_);
    }
    // The window the window manager says has the focus.
    xcb_window_t activeWindow() const
    {
        auto* reply = xcb_get_property_reply(
            connection_, xcb_get_property(connection_, 0, root(), atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW, 0, 1),
            nullptr);
        xcb_window_t window = 0;
        if (reply && xcb_get_property_value_length(reply) == 4)
            std::memcpy(&window, xcb_get_property_value(reply), 4);
        std::free(reply);
        return window;
    }

private:
    xcb_connection_t* connection_;
};

// The processes whose command line holds `marker`.
QList<qint64> processesWith(const QByteArray& marker)
{
    QList<qint64> found;
    for (const QString& name : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile commandLine(QStringLiteral("/proc/") + name + QStringLiteral("/cmdline"));
        if (name.toLongLong() > 0 && commandLine.open(QIODevice::ReadOnly) && commandLine.readAll().contains(marker))
            found << name.toLongLong();
    }
    return found;
}

TEST(WindowRaise, AWindowWithoutAProcessIdIsRaisedNotStartedAgain)
{
    const QString xmessage = QStandardPaths::findExecutable(QStringLiteral("xmessage"));
    const QString openbox = QStandardPaths::findExecutable(QStringLiteral("openbox"));
    ASSERT_FALSE(xmessage.isEmpty()) << "xmessage is not installed";
    ASSERT_FALSE(openbox.isEmpty()) << "openbox is not installed";
    const test::PrivateXServer server;
    ASSERT_FALSE(server.name().isEmpty()) << "no Xvfb";
    const test::ScopedEnvironment displayName("DISPLAY", server.name());
    const Display display(server.name());
    ASSERT_TRUE(display.ok());

    QProcess windowManager;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // openbox finds its configuration and theme in the system's folders only.
    env.insert(QStringLiteral("XDG_CONFIG_DIRS"), QStringLiteral("/etc/xdg"));
    env.insert(QStringLiteral("XDG_DATA_DIRS"), QStringLiteral("/usr/local/share:/usr/share"));
    windowManager.setProcessEnvironment(env);
    windowManager.start(openbox, {QStringLiteral("--sm-disable")});
    ASSERT_TRUE(windowManager.waitForStarted());
    ASSERT_TRUE(test::waitUntil([&] { return display.managed(); })) << "openbox did not come up";
    // Another program's window, which the note's window is raised over.
    QProcess covering;
    covering.setStandardOutputFile(QProcess::nullDevice());
    covering.start(QStandardPaths::findExecutable(QStringLiteral("xev")),
                   {QStringLiteral("-name"), QStringLiteral("cover")});
    ASSERT_TRUE(covering.waitForStarted()) << "xev is not installed";
    platform::WindowList windows;
    // xev names no class: its window is the one focused first.
    ASSERT_TRUE(test::waitUntil([&] {
        display.wake();
        return display.activeWindow() != 0;
    })) << "openbox manages no window";
    const xcb_window_t cover = display.activeWindow();

    const QString applications = qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/applications");
    // Matched by its program alone: the window's class names no entry.
    const QByteArray marker = "Vantel-marker-note";
    const QString entry = applications + QStringLiteral("/vantel-test-note.desktop");
    ASSERT_TRUE(test::writeFile(entry, "[Desktop Entry]\nType=Application\nName=Note\nExec=" + xmessage.toUtf8()
                                           + " -name note " + marker + "\n"));
    QProcess running;
    running.start(xmessage, {QStringLiteral("-name"), QStringLiteral("note"), QString::fromUtf8(marker)});
    ASSERT_TRUE(running.waitForStarted());
    xcb_window_t shown = 0;
    ASSERT_TRUE(test::waitUntil([&] {
        for (const WindowInfo& window : windows.windows()) {
            if (window.instanceName == QStringLiteral("note") && display.activeWindow() == window.window)
                shown = window.window;
        }
        return shown != 0;
    }));
    ASSERT_FALSE(display.namesItsProcess(shown));

    platform::RunningApplications list({{applications}, std::chrono::milliseconds(100), true, false});
    list.start();
    EXPECT_TRUE(test::waitUntil([&] { return list.regularApplicationPaths().contains(entry); }));

    xcb_set_input_focus(display.connection(), XCB_INPUT_FOCUS_POINTER_ROOT, cover, XCB_CURRENT_TIME);
    xcb_flush(display.connection());
    ASSERT_TRUE(test::waitUntil([&] { return display.activeWindow() == cover; }));

    bool called = false;
    std::optional<platform::WorkspaceError> error;
    platform::Workspace::shared().openURL(QUrl::fromLocalFile(entry), {},
                                          [&](const std::optional<platform::WorkspaceError>& e) {
                                              called = true;
                                              error = e;
                                          });
    ASSERT_TRUE(test::waitUntil([&] { return called; }));
    EXPECT_FALSE(error.has_value());
    EXPECT_TRUE(test::waitUntil([&] { return display.activeWindow() == shown; }, std::chrono::seconds(10)));
    test::spinEventLoop(std::chrono::milliseconds(500));
    const QList<qint64> copies = processesWith(marker);
    EXPECT_EQ(copies, QList<qint64>{running.processId()}) << "a second copy started";

    for (const qint64 pid : copies)
        ::kill(pid_t(pid), SIGKILL);
    running.waitForFinished();
    covering.kill();
    covering.waitForFinished();
    windowManager.terminate();
    windowManager.waitForFinished();
}

} // namespace
