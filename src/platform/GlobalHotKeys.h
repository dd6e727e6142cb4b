#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace vantel::platform {

class LogCategory;
class X11Connection;

// System-wide hotkeys. A registration takes a Mac virtual key code and Carbon
// modifier bits (command 0x100, shift 0x200, option 0x800, control 0x1000)
// and maps them here, once: command is Ctrl, option Alt, control Super,
// shift Shift. A pressed hotkey calls the handler with its id on the main
// thread, once per press: auto-repeat of a held key is dropped.
//
// The X11 backend grabs the key on the root window for every state of the
// lock keys (Caps Lock, Num Lock, Scroll Lock), so a hotkey fires whatever
// they are; a grab that another client holds is refused (BadAccess). When
// the X connection breaks later the X11 backend turns unsupported. After a
// change of the modifier map (Alt or Num Lock moved to another bit) the
// registered keys are grabbed again with the new masks.
//
// On a Wayland desktop, where no client sees other clients' keys, the
// desktop portal's GlobalShortcuts binds them (PortalHotKeys.h): it answers
// later, so a combination it refuses or puts on other keys is reported
// through the taken handler after registration; a double tap of a modifier is
// unsupported there. Without an X server, or on Wayland without that portal,
// the backend is the unsupported one: every registration fails (on Wayland
// double taps too) and the reason is logged once.
class GlobalHotKeys {
public:
    enum class Status { registered, taken, unsupported, invalid };

    struct Result {
        Status status;
        std::uint32_t id = 0;
    };

    // What the desktop may show of a hotkey; the X11 backend needs neither.
    struct Label {
        QString identifier;
        QString description;
    };

    // The backend of the session, chosen on first use (main thread).
    static GlobalHotKeys& shared();
    // The backend that supports nothing, saying why (as on Wayland).
    static std::unique_ptr<GlobalHotKeys> makeUnsupported(QString reason);
    // The X11 backend on a connection of its own, which must outlive it.
    static std::unique_ptr<GlobalHotKeys> makeX11(X11Connection& connection);
    virtual ~GlobalHotKeys() = default;

    virtual bool isSupported() const = 0;
    virtual QString unsupportedReason() const = 0;

    // The key is a Mac virtual key code; the function bit 0x800000 is
    // accepted and ignored. Another registration of ours with the same key
    // and modifiers counts as taken.
    virtual Result registerHotKey(int macKeyCode, std::uint32_t carbonModifiers) = 0;
    virtual Result registerHotKey(int macKeyCode, std::uint32_t carbonModifiers, const Label&)
    {
        return registerHotKey(macKeyCode, carbonModifiers);
    }
    virtual void unregisterHotKey(std::uint32_t id) = 0;
    // A double tap of a modifier is watched (ModifierMonitor), never grabbed,
    // and gets no id. Unsupported on a Wayland desktop, where no client sees
    // other clients' keys.
    virtual Status registerDoubleTap() { return Status::registered; }
    // Whether a double tap can be seen at all, asked before one is recorded.
    virtual bool seesDoubleTaps() const { return true; }
    // Whether another client holds the combination now; none when the backend
    // cannot tell without binding it (the portal asks the desktop, which may
    // ask the user). Our own registrations are not counted here.
    virtual std::optional<bool> isHeldElsewhere(int macKeyCode, std::uint32_t carbonModifiers)
    {
        (void)macKeyCode;
        (void)carbonModifiers;
        return std::nullopt;
    }

    void setPressedHandler(std::function<void(std::uint32_t id)> handler) { pressed_ = std::move(handler); }
    // A registration that the desktop refused after it was made; the id is
    // no longer registered when the handler runs.
    void setTakenHandler(std::function<void(std::uint32_t id)> handler) { taken_ = std::move(handler); }

protected:
    void firePressed(std::uint32_t id) const
    {
        if (pressed_)
            pressed_(id);
    }
    void fireTaken(std::uint32_t id) const
    {
        if (taken_)
            taken_(id);
    }

private:
    std::function<void(std::uint32_t)> pressed_;
    std::function<void(std::uint32_t)> taken_;
};

// The log category of every hotkey backend.
const LogCategory& hotkeysLog();

} // namespace vantel::platform
