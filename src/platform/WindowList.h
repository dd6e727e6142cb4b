#pragma once

#include "platform/ApplicationMatcher.h"

#include <QList>

#include <memory>
#include <optional>

namespace vantel::platform {

// The managed top-level windows of the X11 display named by $DISPLAY, read
// from the window manager's _NET_CLIENT_LIST_STACKING (bottom to top), else
// its _NET_CLIENT_LIST. Without a display, or without a window manager that
// keeps the list, it is empty. Not thread-safe: one owner.
class WindowList {
public:
    WindowList();
    ~WindowList();
    WindowList(const WindowList&) = delete;
    WindowList& operator=(const WindowList&) = delete;

    QList<WindowInfo> windows();
    bool isConnected() const;

    // The X server's time now: a user timestamp for a request made in answer
    // to the user. None without a display or when the server does not answer.
    std::optional<quint32> serverTime();
    // Asks the window manager to raise and focus the window (a
    // _NET_ACTIVE_WINDOW message from a pager, source indication 2, which
    // focus-stealing prevention honours). False without a display.
    bool activate(quint32 window, quint32 timestamp);

private:
    struct Connection;
    bool connect();

    std::unique_ptr<Connection> connection_;
    int retryCountdown_ = 0;
};

} // namespace vantel::platform
