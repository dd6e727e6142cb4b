#pragma once

#include "platform/ApplicationMatcher.h"

#include <QList>

#include <memory>

namespace vantel::platform {

// The managed top-level windows of the X11 display named by $DISPLAY, read
// from the window manager's _NET_CLIENT_LIST. Without a display, or without a
// window manager that keeps the list, it is empty. Not thread-safe: one owner.
class WindowList {
public:
    WindowList();
    ~WindowList();
    WindowList(const WindowList&) = delete;
    WindowList& operator=(const WindowList&) = delete;

    QList<WindowInfo> windows();
    bool isConnected() const;

private:
    struct Connection;
    bool connect();

    std::unique_ptr<Connection> connection_;
    int retryCountdown_ = 0;
};

} // namespace vantel::platform
