#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

#include <xcb/xcb.h>

namespace vantel::platform {

// The program's own connection to the X server named by DISPLAY, used by the
// global hotkeys, the modifier monitor and the keyboard layouts. It is not
// Qt's connection, so our key grabs and XKB event selection never disturb
// Qt's own. Events are read on the main thread from the Qt event loop (a
// socket notifier, plus a drain before the loop sleeps for events that a
// reply left in the queue) and handed to every handler in the order added.
//
// On creation it sets up XKB, selects the XKB state, map and new-keyboard
// events of the core keyboard and turns on detectable auto-repeat, so that a
// held key sends presses without releases in between.
//
// When the connection breaks (the server went away, a protocol error) the
// socket notifier is stopped, the reason is logged once and kept, and the
// broken handlers run once; no event comes after that.
class X11Connection {
public:
    // The connection of the process, opened on first use on the main thread;
    // none when there is no X server (the reason says why).
    static X11Connection* shared();
    static QString unavailableReason();
    // A connection of its own to the server named by DISPLAY (main thread).
    static std::unique_ptr<X11Connection> open(QString* reason);
    // True in a Wayland session, where X clients see no global key events.
    static bool isWaylandSession();

    ~X11Connection();
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    xcb_connection_t* connection() const { return connection_; }
    std::uint32_t rootWindow() const { return root_; }
    std::uint8_t xkbFirstEvent() const { return xkbFirstEvent_; }
    std::int32_t coreKeyboardDeviceId() const { return keyboardDeviceId_; }
    bool detectableAutoRepeat() const { return detectableAutoRepeat_; }

    // The real modifier masks that hold these keys now (0 when none does).
    struct ModifierMasks {
        std::uint16_t alt = 0;
        std::uint16_t super = 0;
        std::uint16_t numLock = 0;
        std::uint16_t scrollLock = 0;
        bool operator==(const ModifierMasks&) const = default;
    };
    ModifierMasks modifierMasks() const { return masks_; }

    bool isBroken() const { return !brokenReason_.isEmpty(); }
    QString brokenReason() const { return brokenReason_; }

    using EventHandler = std::function<void(const xcb_generic_event_t*)>;
    int addEventHandler(EventHandler handler);
    void removeEventHandler(int id);
    // Called once, on the main thread, when the connection breaks.
    int addBrokenHandler(std::function<void()> handler);
    void removeBrokenHandler(int id);

    // Reads and hands out every event waiting on the connection.
    void dispatchEvents();
    void flush();

private:
    X11Connection() = default;
    bool connect(QString* reason);
    void checkConnection();
    void readModifierMasks();
    void handle(const xcb_generic_event_t* event);

    struct Notifier;
    xcb_connection_t* connection_ = nullptr;
    std::uint32_t root_ = 0;
    std::uint8_t xkbFirstEvent_ = 0;
    std::int32_t keyboardDeviceId_ = -1;
    bool detectableAutoRepeat_ = false;
    ModifierMasks masks_;
    std::map<int, EventHandler> handlers_;
    std::map<int, std::function<void()>> brokenHandlers_;
    int nextHandlerId_ = 1;
    bool dispatching_ = false;
    QString brokenReason_;
    std::unique_ptr<Notifier> notifier_;
};

} // namespace vantel::platform
