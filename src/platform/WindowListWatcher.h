#pragma once

#include <functional>
#include <memory>

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

private:
    void readEvents();

    struct Connection;
    std::function<void()> changed_;
    std::unique_ptr<Connection> connection_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace vantel::platform
