#include "platform/KeyCodes.h"

#include <array>
#include <utility>

namespace vantel::platform {

namespace {

// {Mac virtual key code, evdev code}, checked against the US keymap.
constexpr std::array<std::pair<int, int>, 115> table{{
    // Letters
    {0, 30}, {1, 31}, {2, 32}, {3, 33}, {4, 35}, {5, 34}, {6, 44}, {7, 45}, {8, 46}, {9, 47},
    {11, 48}, {12, 16}, {13, 17}, {14, 18}, {15, 19}, {16, 21}, {17, 20}, {31, 24}, {32, 22},
    {34, 23}, {35, 25}, {37, 38}, {38, 36}, {40, 37}, {45, 49}, {46, 50},
    // Digits and symbols; 10 is the key left of 1 on ISO keyboards (KEY_102ND)
    {10, 86}, {18, 2}, {19, 3}, {20, 4}, {21, 5}, {22, 7}, {23, 6}, {24, 13}, {25, 10}, {26, 8},
    {27, 12}, {28, 9}, {29, 11}, {30, 27}, {33, 26}, {39, 40}, {41, 39}, {42, 43}, {43, 51},
    {44, 53}, {47, 52}, {50, 41},
    // Control keys
    {36, 28}, {48, 15}, {49, 57}, {51, 14}, {53, 1},
    // Modifiers: command = Ctrl, option = Alt, control = Super, shift = Shift
    {55, 29}, {54, 97}, {58, 56}, {61, 100}, {59, 125}, {62, 126}, {56, 42}, {60, 54}, {57, 58},
    // Keypad
    {65, 83}, {67, 55}, {69, 78}, {71, 69}, {75, 98}, {76, 96}, {78, 74}, {81, 117}, {82, 82},
    {83, 79}, {84, 80}, {85, 81}, {86, 75}, {87, 76}, {88, 77}, {89, 71}, {91, 72}, {92, 73},
    // JIS and international
    {93, 124}, {94, 89}, {95, 95}, {102, 123}, {104, 122},
    // Function keys
    {122, 59}, {120, 60}, {99, 61}, {118, 62}, {96, 63}, {97, 64}, {98, 65}, {100, 66}, {101, 67},
    {109, 68}, {103, 87}, {111, 88}, {105, 183}, {107, 184}, {113, 185}, {106, 186}, {64, 187},
    {79, 188}, {80, 189}, {90, 190},
    // Navigation; help sits where Insert is
    {114, 110}, {115, 102}, {116, 104}, {117, 111}, {119, 107}, {121, 109}, {123, 105}, {124, 106},
    {125, 108}, {126, 103},
}};

} // namespace

std::optional<int> KeyCodes::evdevCode(int macKeyCode)
{
    for (const auto& [mac, evdev] : table)
        if (mac == macKeyCode)
            return evdev;
    return std::nullopt;
}

std::optional<int> KeyCodes::macKeyCode(int evdevCode)
{
    for (const auto& [mac, evdev] : table)
        if (evdev == evdevCode)
            return mac;
    return std::nullopt;
}

} // namespace vantel::platform
