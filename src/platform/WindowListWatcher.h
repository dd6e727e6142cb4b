#pragma once

#include <QtGlobal>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QSocketNotifier;

namespace vantel::platform {

// Tells when the window manager's list of managed windows (_NET_CLIENT_LIST
// on the root window of $DISPLAY) changes: a window mapped or gone. It asks
// the X server for the root window's property changes and sleeps on the
// connection until one comes, so it costs nothing while no window changes.
// Without a display it watches nothing. `changed` runs on the main thread and
// says only that the list changed. Main thread only.
class WindowListWatcher {
public:
    explicit WindowListWatcher(std::function<void()> changed);
    ~WindowListWatcher();
    WindowListWatcher(const WindowListWatcher&) = delete;
    WindowListWatcher& operator=(const WindowListWatcher&) = delete;

    bool isWatching() const;

    // Whether windows of other processes came or went since this was last
    // asked (the first answer is yes): this process's own windows opening
    // and closing are no application starting or ending. Reads the list and
    // the newcomers' _NET_WM_PID, a round trip to the X server.
    bool othersChanged();

private:
    void readEvents();

    struct Connection;
    struct Listed {
        quint32 window;
        bool own;
        bool operator<(const Listed& other) const { return window < other.window; }
    };
    std::function<void()> changed_;
    std::optional<std::vector<Listed>> listed_; // sorted by window, as last asked
    std::unique_ptr<Connection> connection_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace vantel::platform
