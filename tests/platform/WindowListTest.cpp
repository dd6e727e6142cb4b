#include "platform/WindowList.h"
#include "platform/WindowListWatcher.h"

#include "PrivateXServer.h"
#include "ScopedEnvironment.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#include <unistd.h>

#include <xcb/xcb.h>

using namespace vantel::platform;

namespace {

xcb_atom_t internAtom(xcb_connection_t* c, const char* name)
{
    auto* reply = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

} // namespace

TEST(WindowListTest, IsEmptyWithoutADisplay)
{
    const vantel::test::ScopedEnvironment display("DISPLAY", QByteArray());
    WindowList list;
    EXPECT_TRUE(list.windows().isEmpty());
    EXPECT_FALSE(list.isConnected());
}

// Plays the window manager on a private X server: publishes a client list
// and checks what the list reads back.
TEST(WindowListTest, ReadsTheClientListOfAnXServer)
{
    const vantel::test::PrivateXServer server;
    if (server.name().isEmpty())
        GTEST_SKIP() << "no Xvfb";
    const QByteArray name = server.name();
    const vantel::test::ScopedEnvironment display("DISPLAY", name);

    xcb_connection_t* c = xcb_connect(name.constData(), nullptr);
    ASSERT_FALSE(xcb_connection_has_error(c));
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    auto makeWindow = [&](const char* wmClass, size_t classLength, quint32 pid, xcb_atom_t type, xcb_atom_t state) {
        const xcb_window_t window = xcb_generate_id(c);
        xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 10, 10, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                            uint32_t(classLength), wmClass);
        if (pid)
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, internAtom(c, "_NET_WM_PID"), XCB_ATOM_CARDINAL, 32, 1, &pid);
        if (type)
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, internAtom(c, "_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, 32, 1, &type);
        if (state)
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, internAtom(c, "_NET_WM_STATE"), XCB_ATOM_ATOM, 32, 1, &state);
        return window;
    };
    const xcb_window_t windows[] = {
        makeWindow("editor\0Editor", 14, 4242, internAtom(c, "_NET_WM_WINDOW_TYPE_NORMAL"), 0),
        makeWindow("tip\0Tip", 8, 0, internAtom(c, "_NET_WM_WINDOW_TYPE_TOOLTIP"), 0),
        makeWindow("pager\0Pager", 12, 0, 0, internAtom(c, "_NET_WM_STATE_SKIP_TASKBAR")),
    };
    WindowList list;
    EXPECT_TRUE(list.windows().isEmpty()) << "no window manager list yet";
    EXPECT_TRUE(list.isConnected());

    xcb_change_property(c, XCB_PROP_MODE_REPLACE, screen->root, internAtom(c, "_NET_CLIENT_LIST"), XCB_ATOM_WINDOW, 32, 3,
                        windows);
    xcb_get_input_focus_reply_t* sync = xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr);
    std::free(sync);

    const QList<WindowInfo> found = list.windows();
    ASSERT_EQ(found.size(), 3);
    EXPECT_EQ(found[0].window, windows[0]);
    EXPECT_EQ(found[0].pid, 4242);
    EXPECT_EQ(found[0].instanceName, QStringLiteral("editor"));
    EXPECT_EQ(found[0].className, QStringLiteral("Editor"));
    EXPECT_TRUE(found[0].normal);
    // Without _NET_WM_PID the server still knows its client: this process.
    EXPECT_EQ(found[1].pid, QCoreApplication::applicationPid());
    EXPECT_FALSE(found[1].normal) << "a tooltip is no application window";
    EXPECT_FALSE(found[2].normal) << "skip-taskbar windows do not count";

    xcb_disconnect(c);
}

// The watcher wakes for a change of the client list only, not for the other
// properties a window manager keeps on the root window.
TEST(WindowListTest, WatcherSeesTheClientListChange)
{
    const vantel::test::PrivateXServer server;
    if (server.name().isEmpty())
        GTEST_SKIP() << "no Xvfb";
    const QByteArray name = server.name();
    const vantel::test::ScopedEnvironment display("DISPLAY", name);

    int changes = 0;
    WindowListWatcher watcher([&changes] { ++changes; });
    ASSERT_TRUE(watcher.isWatching());

    xcb_connection_t* c = xcb_connect(name.constData(), nullptr);
    ASSERT_FALSE(xcb_connection_has_error(c));
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t active = 0;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, screen->root, internAtom(c, "_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW,
                        32, 1, &active);
    xcb_flush(c);
    vantel::test::spinEventLoop(std::chrono::milliseconds(200));
    EXPECT_EQ(changes, 0);

    const xcb_window_t window = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 10, 10, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen->root_visual, 0, nullptr);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, screen->root, internAtom(c, "_NET_CLIENT_LIST"), XCB_ATOM_WINDOW, 32,
                        1, &window);
    xcb_flush(c);
    EXPECT_TRUE(vantel::test::waitUntil([&] { return changes > 0; }));
    xcb_disconnect(c);
}

TEST(WindowListTest, WatcherTellsOtherProgramsWindowsFromItsOwn)
{
    // Playing the window manager: the client list as published, windows
    // marked with their process.
    const vantel::test::PrivateXServer server;
    ASSERT_FALSE(server.name().isEmpty());
    const QByteArray name = server.name();
    const vantel::test::ScopedEnvironment display("DISPLAY", name);
    WindowListWatcher watcher([] {});
    xcb_connection_t* c = xcb_connect(name.constData(), nullptr);
    ASSERT_FALSE(xcb_connection_has_error(c));
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const auto window = [&](std::optional<quint32> pid) {
        const xcb_window_t id = xcb_generate_id(c);
        xcb_create_window(c, XCB_COPY_FROM_PARENT, id, screen->root, 0, 0, 10, 10, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          screen->root_visual, 0, nullptr);
        if (pid)
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, internAtom(c, "_NET_WM_PID"), XCB_ATOM_CARDINAL, 32, 1,
                                &*pid);
        return id;
    };
    const auto publish = [&](std::vector<xcb_window_t> list) {
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, screen->root, internAtom(c, "_NET_CLIENT_LIST"),
                            XCB_ATOM_WINDOW, 32, uint32_t(list.size()), list.data());
        std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr)); // done before the watcher asks
    };
    const xcb_window_t own = window(quint32(getpid()));
    const xcb_window_t ownToo = window(quint32(getpid()));
    const xcb_window_t other = window(1);
    const xcb_window_t unmarked = window(std::nullopt);

    publish({own});
    EXPECT_TRUE(watcher.othersChanged()) << "the first answer";
    EXPECT_FALSE(watcher.othersChanged());
    publish({own, ownToo});
    EXPECT_FALSE(watcher.othersChanged()) << "one of ours came";
    publish({other, own, ownToo});
    EXPECT_TRUE(watcher.othersChanged());
    publish({other});
    EXPECT_FALSE(watcher.othersChanged()) << "ours went";
    publish({});
    EXPECT_TRUE(watcher.othersChanged()) << "the other program's went";
    publish({unmarked});
    EXPECT_TRUE(watcher.othersChanged()) << "a window that names no process";
    xcb_disconnect(c);
}

TEST(WindowListTest, WatcherWatchesNothingWithoutADisplay)
{
    const vantel::test::ScopedEnvironment display("DISPLAY", QByteArray());
    WindowListWatcher watcher([] {});
    EXPECT_FALSE(watcher.isWatching());
}
