#include "platform/ModifierMonitor.h"

#include "platform/X11Connection.h"

#include <xcb/xcb.h>
// The header names a member "explicit", which C++ reserves.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include <vector>

namespace vantel::platform {

ModifierMonitor& ModifierMonitor::shared()
{
    static ModifierMonitor* const instance = new ModifierMonitor();
    return *instance;
}

ModifierMonitor::ModifierMonitor()
{
    X11Connection* x11 = X11Connection::shared();
    if (!x11 || X11Connection::isWaylandSession())
        return;
    supported_ = true;
    x11->addEventHandler([this, x11](const xcb_generic_event_t* event) {
        if ((event->response_type & 0x7f) != x11->xkbFirstEvent() || event->pad0 != XCB_XKB_STATE_NOTIFY)
            return;
        const auto* state = reinterpret_cast<const xcb_xkb_state_notify_event_t*>(event);
        if (!(state->changed & XCB_XKB_STATE_PART_MODIFIER_STATE))
            return;
        const auto masks = x11->modifierMasks();
        const std::uint8_t mods = state->mods;
        std::uint64_t flags = 0;
        if (mods & XCB_MOD_MASK_SHIFT)
            flags |= 0x20000;
        if (mods & XCB_MOD_MASK_LOCK)
            flags |= 0x10000;
        if (mods & XCB_MOD_MASK_CONTROL)
            flags |= 0x100000;
        if (masks.alt && (mods & masks.alt))
            flags |= 0x80000;
        if (masks.super && (mods & masks.super))
            flags |= 0x40000;
        // The server counts milliseconds; two changes within one (XTest, a
        // fast typist) must still be two events to the double-tap detector.
        double timestamp = state->time / 1000.0;
        if (timestamp <= lastTimestamp_)
            timestamp = lastTimestamp_ + 1e-6;
        lastTimestamp_ = timestamp;
        report(flags, timestamp);
    });
}

int ModifierMonitor::addHandler(Handler handler)
{
    const int id = nextId_++;
    handlers_.emplace(id, std::move(handler));
    return id;
}

void ModifierMonitor::removeHandler(int id)
{
    handlers_.erase(id);
}

void ModifierMonitor::report(std::uint64_t flags, double timestamp)
{
    std::vector<Handler> snapshot;
    for (const auto& entry : handlers_)
        snapshot.push_back(entry.second);
    for (const Handler& handler : snapshot)
        handler(flags, timestamp);
}

} // namespace vantel::platform
