#pragma once

#include "hotkeys/KeyCombo.h"

#include <QString>

namespace vantel::HotkeyText {

// How a hotkey reads in the exported texts (CSV, diagnostics): the
// modifiers in the order control, option, shift, command, with their Linux
// names, a space, then "double tap" or the key's US-layout text upper-cased.
// "Alt+Shift+Ctrl K", "Ctrl double tap"; a bare function key " F5".
QString displayString(const KeyCombo& combo);

} // namespace vantel::HotkeyText
