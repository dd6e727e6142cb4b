#pragma once

#include <cstdint>
#include <optional>

namespace vantel::platform {

// The one table between the Mac virtual key codes that stored key
// combinations keep and the Linux evdev codes of the same physical keys (an
// X keycode is the evdev code plus 8). Nothing else maps key codes.
namespace KeyCodes {

std::optional<int> evdevCode(int macKeyCode);
std::optional<int> macKeyCode(int evdevCode);

inline constexpr int xkbKeycodeOffset = 8;

// The modifier bits that stored key combinations keep beside the key code
// (Carbon's); command is Ctrl here, option Alt, control Super.
inline constexpr std::uint32_t carbonCommand = 0x100;
inline constexpr std::uint32_t carbonShift = 0x200;
inline constexpr std::uint32_t carbonOption = 0x800;
inline constexpr std::uint32_t carbonControl = 0x1000;
inline constexpr std::uint32_t carbonFunction = 0x800000;
inline constexpr std::uint32_t knownCarbonBits =
    carbonCommand | carbonShift | carbonOption | carbonControl | carbonFunction;

} // namespace KeyCodes

} // namespace vantel::platform
