#pragma once

#include "platform/KeyCodes.h"

#include <QString>
#include <QStringList>

namespace vantel {

// Modifier keys in the two encodings that hotkeys meet: the key-event flags
// ("Cocoa" flags, the values of the platform layer's modifier state) and the
// Carbon bits that stored key combinations keep. Pure functions only.
using CocoaModifierFlags = quint64;

namespace ModifierFlags {

inline constexpr CocoaModifierFlags capsLock = 0x10000;
inline constexpr CocoaModifierFlags shift = 0x20000;
inline constexpr CocoaModifierFlags control = 0x40000;
inline constexpr CocoaModifierFlags option = 0x80000;
inline constexpr CocoaModifierFlags command = 0x100000;
inline constexpr CocoaModifierFlags numericPad = 0x200000;
inline constexpr CocoaModifierFlags function = 0x800000;
inline constexpr CocoaModifierFlags keyModifiers = shift | control | option | command;

inline constexpr qint64 carbonCommand = platform::KeyCodes::carbonCommand;
inline constexpr qint64 carbonShift = platform::KeyCodes::carbonShift;
inline constexpr qint64 carbonOption = platform::KeyCodes::carbonOption;
inline constexpr qint64 carbonControl = platform::KeyCodes::carbonControl;
inline constexpr qint64 carbonFunction = platform::KeyCodes::carbonFunction;

CocoaModifierFlags keyModifiersOnly(CocoaModifierFlags flags);
// Any of function, command, option, control, shift.
bool containsKeyModifiers(CocoaModifierFlags flags);
CocoaModifierFlags shiftOnly(CocoaModifierFlags flags);
// Exactly one of command, option, control, shift.
bool isSingleModifier(CocoaModifierFlags flags);
qint64 carbonModifiers(CocoaModifierFlags flags, bool functionKeyAllowed);
// Every bit but the four key modifiers is ignored, the function bit included.
CocoaModifierFlags fromCarbonModifiers(qint64 carbonModifiers);
// One name per modifier, always in the order control, option, shift,
// command. Shown with the Linux names of the keys they are on here: control
// is Super, option Alt, shift Shift and command Ctrl.
QStringList glyphStrings(CocoaModifierFlags flags);

} // namespace ModifierFlags

// The Cocoa-to-Carbon conversion that the layout service holds.
class ModifierTransformer {
public:
    qint64 carbonFlags(CocoaModifierFlags flags) const { return ModifierFlags::carbonModifiers(flags, false); }
};

} // namespace vantel
