#include "platform/GlobalHotKeys.h"

#include "platform/KeyCodes.h"
#include "platform/Log.h"
#include "platform/PortalHotKeys.h"
#include "platform/X11Connection.h"

#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>
#include <map>
#include <optional>
#include <set>
#include <vector>

namespace vantel::platform {

const LogCategory& hotkeysLog()
{
    static const LogCategory category("hotkeys");
    return category;
}

namespace {

class UnsupportedHotKeys final : public GlobalHotKeys {
public:
    // `wayland`: double taps can't be seen either.
    explicit UnsupportedHotKeys(QString reason, bool wayland = false)
        : reason_(std::move(reason))
        , wayland_(wayland)
    {
    }
    bool isSupported() const override { return false; }
    QString unsupportedReason() const override { return reason_; }
    Result registerHotKey(int, std::uint32_t) override { return {refuse()}; }
    Status registerDoubleTap() override { return wayland_ ? refuse() : Status::registered; }
    bool seesDoubleTaps() const override { return !wayland_; }
    void unregisterHotKey(std::uint32_t) override {}

private:
    Status refuse()
    {
        // Said once, when the log is on to hear it.
        if (!logged_ && Log::debugLogging()) {
            logged_ = true;
            VLOG(hotkeysLog(), LogType::Error, "Global hotkeys are not supported: %{public}@", reason_);
        }
        return Status::unsupported;
    }

    QString reason_;
    bool wayland_;
    bool logged_ = false;
};

class X11HotKeys final : public GlobalHotKeys {
public:
    explicit X11HotKeys(X11Connection& connection)
        : x11_(connection)
        , masks_(connection.modifierMasks())
    {
        handlerId_ = x11_.addEventHandler([this](const xcb_generic_event_t* event) { handle(event); });
    }
    ~X11HotKeys() override { x11_.removeEventHandler(handlerId_); }

    // A broken connection turns the backend into an unsupported one.
    bool isSupported() const override { return !x11_.isBroken(); }
    QString unsupportedReason() const override { return x11_.brokenReason(); }

    Result registerHotKey(int macKeyCode, std::uint32_t carbonModifiers) override
    {
        if (x11_.isBroken()) {
            if (!loggedBroken_ && Log::debugLogging()) {
                loggedBroken_ = true;
                VLOG(hotkeysLog(), LogType::Error, "Global hotkeys are not supported: %{public}@", x11_.brokenReason());
            }
            return {Status::unsupported};
        }
        const auto evdev = KeyCodes::evdevCode(macKeyCode);
        if (!evdev || (carbonModifiers & ~KeyCodes::knownCarbonBits) != 0)
            return {Status::invalid};
        const auto keycode = static_cast<xcb_keycode_t>(*evdev + KeyCodes::xkbKeycodeOffset);
        const std::uint16_t modifiers = xModifiers(carbonModifiers);
        for (const auto& [id, grab] : grabs_)
            if (grab.keycode == keycode && grab.modifiers == modifiers)
                return {Status::taken};

        auto grabbed = grab(keycode, modifiers);
        if (!grabbed)
            return {Status::taken};
        const std::uint32_t id = nextId_++;
        grabs_.emplace(id, Grab{keycode, carbonModifiers, modifiers, std::move(*grabbed)});
        return {Status::registered, id};
    }

    // A grab made and dropped at once: X answers a grab another client holds
    // with BadAccess.
    std::optional<bool> isHeldElsewhere(int macKeyCode, std::uint32_t carbonModifiers) override
    {
        const Result trial = registerHotKey(macKeyCode, carbonModifiers);
        if (trial.status == Status::registered) {
            unregisterHotKey(trial.id);
            return false;
        }
        if (trial.status == Status::taken)
            return true;
        return std::nullopt;
    }

    void unregisterHotKey(std::uint32_t id) override
    {
        const auto it = grabs_.find(id);
        if (it == grabs_.end())
            return;
        ungrab(it->second);
        pressedKeys_.erase(it->second.keycode);
        grabs_.erase(it);
        x11_.flush();
    }

private:
    struct Grab {
        xcb_keycode_t keycode;
        std::uint32_t carbonModifiers;
        std::uint16_t modifiers;
        std::vector<std::uint16_t> states;
    };

    // Grabs the key with the modifiers in every lock state; the grabbed
    // states, or nullopt (nothing kept) when another client holds one.
    std::optional<std::vector<std::uint16_t>> grab(xcb_keycode_t keycode, std::uint16_t modifiers)
    {
        std::vector<std::uint16_t> grabbed;
        for (std::uint16_t locks : lockVariants()) {
            const std::uint16_t state = modifiers | locks;
            auto cookie = xcb_grab_key_checked(x11_.connection(), 0, x11_.rootWindow(), state, keycode,
                                               XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
            if (xcb_generic_error_t* error = xcb_request_check(x11_.connection(), cookie)) {
                std::free(error);
                for (std::uint16_t done : grabbed)
                    xcb_ungrab_key(x11_.connection(), keycode, x11_.rootWindow(), done);
                x11_.flush();
                return std::nullopt;
            }
            grabbed.push_back(state);
        }
        return grabbed;
    }

    void ungrab(const Grab& grab)
    {
        for (std::uint16_t state : grab.states)
            xcb_ungrab_key(x11_.connection(), grab.keycode, x11_.rootWindow(), state);
    }

    // Alt, Super or a lock key now sit on other modifier bits: the grabs made
    // with the old masks no longer match what the keyboard sends.
    void grabAgainWithNewMasks()
    {
        for (auto& [id, registered] : grabs_) {
            ungrab(registered);
            registered.modifiers = xModifiers(registered.carbonModifiers);
            auto grabbed = grab(registered.keycode, registered.modifiers);
            registered.states = grabbed.value_or(std::vector<std::uint16_t>{});
            if (!grabbed)
                VLOG(hotkeysLog(), LogType::Error,
                     "!! Error - hotkey %{public}@ is held by another program after the modifier map changed",
                     QString::number(id));
        }
        x11_.flush();
    }

    std::uint16_t xModifiers(std::uint32_t carbon) const
    {
        const auto masks = x11_.modifierMasks();
        std::uint16_t x = 0;
        if (carbon & KeyCodes::carbonCommand)
            x |= XCB_MOD_MASK_CONTROL;
        if (carbon & KeyCodes::carbonOption)
            x |= masks.alt;
        if (carbon & KeyCodes::carbonControl)
            x |= masks.super;
        if (carbon & KeyCodes::carbonShift)
            x |= XCB_MOD_MASK_SHIFT;
        return x;
    }

    std::uint16_t relevantMask() const
    {
        const auto masks = x11_.modifierMasks();
        return XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT | masks.alt | masks.super;
    }

    std::vector<std::uint16_t> lockVariants() const
    {
        const auto masks = x11_.modifierMasks();
        std::vector<std::uint16_t> locks{0};
        for (std::uint16_t lock : {std::uint16_t(XCB_MOD_MASK_LOCK), masks.numLock, masks.scrollLock}) {
            if (!lock || (lock & relevantMask()))
                continue;
            const std::size_t count = locks.size();
            for (std::size_t i = 0; i < count; ++i)
                locks.push_back(locks[i] | lock);
        }
        return locks;
    }

    void handle(const xcb_generic_event_t* event)
    {
        if (x11_.modifierMasks() != masks_) {
            masks_ = x11_.modifierMasks();
            grabAgainWithNewMasks();
        }
        const std::uint8_t type = event->response_type & 0x7f;
        if (type == XCB_KEY_RELEASE) {
            pressedKeys_.erase(reinterpret_cast<const xcb_key_release_event_t*>(event)->detail);
            return;
        }
        if (type != XCB_KEY_PRESS)
            return;
        const auto* press = reinterpret_cast<const xcb_key_press_event_t*>(event);
        // With detectable auto-repeat a held key sends presses without
        // releases: only the first press of a key counts.
        if (!pressedKeys_.insert(press->detail).second)
            return;
        const std::uint16_t state = press->state & relevantMask();
        for (const auto& [id, grab] : grabs_) {
            if (grab.keycode == press->detail && grab.modifiers == state) {
                firePressed(id);
                return;
            }
        }
    }

    X11Connection& x11_;
    X11Connection::ModifierMasks masks_;
    bool loggedBroken_ = false;
    int handlerId_ = 0;
    std::map<std::uint32_t, Grab> grabs_;
    std::set<xcb_keycode_t> pressedKeys_;
    std::uint32_t nextId_ = 1;
};

} // namespace

std::unique_ptr<GlobalHotKeys> GlobalHotKeys::makeUnsupported(QString reason)
{
    return std::make_unique<UnsupportedHotKeys>(std::move(reason));
}

std::unique_ptr<GlobalHotKeys> GlobalHotKeys::makeX11(X11Connection& connection)
{
    return std::make_unique<X11HotKeys>(connection);
}

GlobalHotKeys& GlobalHotKeys::shared()
{
    static GlobalHotKeys* const instance = []() -> GlobalHotKeys* {
        if (PortalHotKeys::isWaylandDesktop(QGuiApplication::platformName())) {
            QDBusConnection bus = QDBusConnection::sessionBus();
            if (PortalHotKeys::globalShortcutsVersion(bus, std::chrono::seconds(3)) == 0)
                return new UnsupportedHotKeys(
                    QStringLiteral(
                        "under Wayland only the desktop portal's global shortcuts can, and the desktop offers none"),
                    true);
            VLOG(hotkeysLog(), LogType::Default, "Global hotkeys go through the desktop portal");
            VLOG(hotkeysLog(), LogType::Default, "Double taps of a modifier are not seen under Wayland");
            return PortalHotKeys::make(bus).release();
        }
        // A Wayland display next to an X11 session: XWayland's grabs see
        // keys only while one of its windows has the focus.
        if (X11Connection::isWaylandSession() && QGuiApplication::platformName() != QLatin1String("xcb"))
            return new UnsupportedHotKeys(
                QStringLiteral("a Wayland session lets no program grab keys for the whole desktop"), true);
        if (X11Connection* connection = X11Connection::shared())
            return new X11HotKeys(*connection);
        return new UnsupportedHotKeys(X11Connection::unavailableReason());
    }();
    return *instance;
}

} // namespace vantel::platform
