#pragma once

#include "hotkeys/Key.h"
#include "hotkeys/ModifierFlags.h"
#include "platform/Archivable.h"

#include <QString>

#include <memory>
#include <optional>

namespace vantel {

namespace platform {
class KeyedUnarchiver;
}

// A hotkey: a key pressed with modifier keys, or one modifier key tapped
// twice. Modifiers are Carbon bits (command 0x100, shift 0x200, option 0x800,
// control 0x1000; function keys also carry 0x800000), kept so that stored
// archives stay compatible. Immutable after creation.
class KeyCombo : public platform::Archivable {
public:
    static constexpr qint64 commandKey = ModifierFlags::carbonCommand;
    static constexpr qint64 shiftKey = ModifierFlags::carbonShift;
    static constexpr qint64 optionKey = ModifierFlags::carbonOption;
    static constexpr qint64 controlKey = ModifierFlags::carbonControl;
    static constexpr qint64 functionKey = ModifierFlags::carbonFunction;
    static constexpr qint64 keyModifierMask = commandKey | shiftKey | optionKey | controlKey;

    // A key with Carbon modifiers. Other bits are dropped; a function key also
    // gets the function bit. None unless a modifier remains or the key is a
    // function key.
    static std::optional<KeyCombo> withCarbonModifiers(Key key, qint64 carbonModifiers);
    static std::optional<KeyCombo> withQWERTYKeyCode(int keyCode, qint64 carbonModifiers);
    // A doubled modifier: exactly one of the four modifier bits, else none.
    static std::optional<KeyCombo> withDoubledCarbonModifiers(qint64 carbonModifiers);
    // The same from key-event flags; flags other than the four key
    // modifiers (caps lock, numeric pad) are dropped.
    static std::optional<KeyCombo> withCocoaModifiers(Key key, CocoaModifierFlags modifiers);
    static std::optional<KeyCombo> withQWERTYKeyCodeCocoa(int keyCode, CocoaModifierFlags modifiers);
    static std::optional<KeyCombo> withDoubledCocoaModifiers(CocoaModifierFlags modifiers);

    enum class EventType { keyDown = 10, keyUp = 11, flagsChanged = 12, other = 0 };
    // The combination of a key event: its key code (a Mac virtual key code)
    // read in the selected layout, else as a US code; none for other event
    // types and for keys without a key modifier that are not function keys.
    static std::optional<KeyCombo> fromKeyEvent(EventType type, int keyCode, CocoaModifierFlags modifiers);

    // Archive form: "key" (raw value), "modifiers", "doubledModifiers"; the
    // older integer keys "keyCode" and "QWERTYKeyCode" are read when "key" is
    // absent. An unknown key gives none. Modifiers are not validated.
    static std::shared_ptr<KeyCombo> initWithCoder(platform::KeyedUnarchiver& coder);
    static QString archiveName();
    // Makes the class known to the unarchiver (idempotent, thread-safe).
    static void registerArchiveClass();

    Key key() const { return key_; }
    qint64 modifiers() const { return modifiers_; }
    bool doubledModifiers() const { return doubledModifiers_; }
    // 0 for a doubled modifier, else the key's US code.
    quint16 QWERTYKeyCode() const;
    // 0 for a doubled modifier, else the key's code in the selected layout,
    // or its US code when the layout has none.
    quint16 keyCode() const;
    CocoaModifierFlags cocoaModifiers() const { return ModifierFlags::fromCarbonModifiers(modifiers_); }
    // The modifier names joined by "+", e.g. "Alt+Ctrl".
    QString modifierGlyphString() const;
    // The text of the key alone in the selected layout (a letter shifted when
    // the combination has shift); a special key gives its label.
    QString keyCharacters() const;
    // What the key types with all its modifiers; empty for a doubled modifier.
    QString characters() const;
    // The modifier names, a space, then "double tap" or the key's text
    // upper-cased: "Alt+Ctrl K", " F5", "Ctrl double tap".
    QString displayString() const;

    bool isEqual(const KeyCombo& other) const;
    bool operator==(const KeyCombo& other) const { return isEqual(other); }
    std::size_t hash() const;

    QString archiveClassName() const override;
    void encode(platform::KeyedArchiver& coder) const override;

    // A readable form for logs and diagnostics, e.g. "keypadEnter [4352]".
    QString debugDescription() const;

private:
    KeyCombo(Key key, qint64 modifiers, bool doubled);

    Key key_;
    qint64 modifiers_;
    bool doubledModifiers_;
};

} // namespace vantel
