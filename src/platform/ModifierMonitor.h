#pragma once

#include <cstdint>
#include <functional>
#include <map>

namespace vantel::platform {

// Which modifier keys are down, for the whole desktop, each time that
// changes: the XKB state events of the core keyboard. The state is given as
// key-event modifier flags (shift 0x20000, control 0x40000, option 0x80000,
// command 0x100000, caps lock 0x10000) with command on Ctrl, option on Alt and
// control on Super, together with the server's event time in seconds (made
// strictly increasing, so that each change is its own event). Without
// an X server nothing is ever reported. Main thread only.
class ModifierMonitor {
public:
    static ModifierMonitor& shared();

    using Handler = std::function<void(std::uint64_t flags, double timestamp)>;
    int addHandler(Handler handler);
    void removeHandler(int id);
    bool isSupported() const { return supported_; }

private:
    ModifierMonitor();
    void report(std::uint64_t flags, double timestamp);

    std::map<int, Handler> handlers_;
    int nextId_ = 1;
    bool supported_ = false;
    double lastTimestamp_ = 0;
};

} // namespace vantel::platform
