#pragma once

#include "platform/GlobalHotKeys.h"

#include <QDBusConnection>
#include <QString>

#include <chrono>
#include <cstdint>
#include <memory>

namespace vantel::platform {

// Global hotkeys on a Wayland desktop, through the desktop portal's
// org.freedesktop.portal.GlobalShortcuts: one shortcut per registered hotkey,
// with its identifier as id, its description and the combination as the
// preferred trigger ("CTRL+ALT+k"). The portal binds a session's shortcuts
// only once, so every change of the set (a registration, an unregistration,
// a hotkey paused) closes the session and binds what is left in a new one;
// changes made in one turn of the event loop go out as one binding. After
// each binding ListShortcuts says what the desktop bound: a shortcut it left
// out, left without a trigger or put on other keys is reported as taken.
// Any process can own the portal's name: an answer or signal is read only
// once its D-Bus types are the interface's, and one of other types counts as
// no answer (a list of the bound shortcuts of another type leaves them all
// taken). A binding that has not ended within its time limit is withdrawn,
// its hotkeys are reported as taken and the next change binds again.
//
// The portal has no way to free a key while the session lives: a hotkey
// paused by the hotkey manager stays bound at the desktop and only its
// action does nothing; an unregistered one is gone from the next session.
// Double taps of a modifier can't be seen at all (no client sees other
// clients' keys): they are reported unsupported. Main thread only.
namespace PortalHotKeys {

// The version of the GlobalShortcuts interface the portal on the bus offers,
// 0 when there is no portal or it lacks the interface.
unsigned globalShortcutsVersion(const QDBusConnection& bus, std::chrono::milliseconds timeout);

// How long one binding may take, the desktop's question to its user
// included; past it the binding's hotkeys are reported as taken and the
// next change of the set binds again.
inline constexpr std::chrono::milliseconds defaultBindingTimeLimit = std::chrono::minutes(2);

// The backend on the bus, whose portal must offer GlobalShortcuts.
std::unique_ptr<GlobalHotKeys> make(QDBusConnection bus,
                                    std::chrono::milliseconds bindingTimeLimit = defaultBindingTimeLimit);

// The combination in the shortcut syntax the portal reads: the modifiers
// (command CTRL, option ALT, control LOGO, shift SHIFT) and the key's XKB
// keysym name on the US layout. Empty for a key without a name or unknown
// modifier bits.
QString trigger(int macKeyCode, std::uint32_t carbonModifiers);

// Whether a trigger description the desktop gives names other keys than the
// trigger; a description in words this can't read counts as the same.
bool describesOtherKeys(const QString& triggerDescription, const QString& trigger);

// Whether Vantel runs on a Wayland desktop: a Wayland display that Qt runs
// on, or a session that says it is Wayland (there an X11 grab sees keys only
// while an X11 window has the focus).
bool isWaylandDesktop(const QString& qtPlatformName);

} // namespace PortalHotKeys

} // namespace vantel::platform
