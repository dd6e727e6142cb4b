#include "hotkeys/ModifierFlags.h"

#include <bit>

namespace vantel::ModifierFlags {

CocoaModifierFlags keyModifiersOnly(CocoaModifierFlags flags)
{
    return flags & keyModifiers;
}

bool containsKeyModifiers(CocoaModifierFlags flags)
{
    return (flags & (keyModifiers | function)) != 0;
}

CocoaModifierFlags shiftOnly(CocoaModifierFlags flags)
{
    return flags & shift;
}

bool isSingleModifier(CocoaModifierFlags flags)
{
    return std::popcount(flags & keyModifiers) == 1;
}

qint64 carbonModifiers(CocoaModifierFlags flags, bool functionKeyAllowed)
{
    qint64 bits = 0;
    if (flags & command)
        bits |= carbonCommand;
    if (flags & option)
        bits |= carbonOption;
    if (flags & control)
        bits |= carbonControl;
    if (flags & shift)
        bits |= carbonShift;
    if (functionKeyAllowed && (flags & function))
        bits |= carbonFunction;
    return bits;
}

CocoaModifierFlags fromCarbonModifiers(qint64 carbonModifiers)
{
    CocoaModifierFlags flags = 0;
    if (carbonModifiers & carbonCommand)
        flags |= command;
    if (carbonModifiers & carbonShift)
        flags |= shift;
    if (carbonModifiers & carbonOption)
        flags |= option;
    if (carbonModifiers & carbonControl)
        flags |= control;
    return flags;
}

QStringList glyphStrings(CocoaModifierFlags flags)
{
    QStringList glyphs;
    if (flags & control)
        glyphs << QStringLiteral("Super");
    if (flags & option)
        glyphs << QStringLiteral("Alt");
    if (flags & shift)
        glyphs << QStringLiteral("Shift");
    if (flags & command)
        glyphs << QStringLiteral("Ctrl");
    return glyphs;
}

} // namespace vantel::ModifierFlags
