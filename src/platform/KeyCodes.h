#pragma once

#include <optional>

namespace vantel::platform {

// The one table between the Mac virtual key codes that stored key
// combinations keep and the Linux evdev codes of the same physical keys (an
// X keycode is the evdev code plus 8). Nothing else maps key codes.
namespace KeyCodes {

std::optional<int> evdevCode(int macKeyCode);
std::optional<int> macKeyCode(int evdevCode);

inline constexpr int xkbKeycodeOffset = 8;

} // namespace KeyCodes

} // namespace vantel::platform
