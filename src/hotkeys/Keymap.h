#pragma once

#include "hotkeys/KeyboardLayout.h"

#include <memory>

namespace vantel {

// The shared facade of the keyboard-layout service: a key's code and a key
// code's text in the selected layout, created on first use and kept for the
// process. Main thread only.
class Keymap {
public:
    static Keymap& shared();
    explicit Keymap(std::unique_ptr<KeyboardLayout> layout);

    KeyboardLayout& layout() { return *layout_; }

    std::optional<quint16> keyCode(Key key) const;
    quint16 keyCodeWithFallback(Key key) const;
    std::optional<Key> key(int keyCode) const;
    std::optional<Key> currentKey(int keyCode) const;
    std::optional<Key> key(int keyCode, const InputSource& source) const;
    std::optional<KeyCodeMap> currentKeyCodes() const;
    std::optional<KeyCodeMap> keyCodes(const InputSource& source) const;
    std::optional<quint16> keyCode(const InputSource& source, Key key) const;
    QList<InputSource> inputSources() const;

    // The current layout, else the current ASCII-capable source.
    std::optional<QString> character(int keyCode, qint64 carbonModifiers) const;
    std::optional<QString> characterForCocoaModifiers(int keyCode, CocoaModifierFlags modifiers) const;
    std::optional<QString> currentCharacter(int keyCode, qint64 carbonModifiers) const;
    std::optional<QString> currentASCIICapableCharacter(int keyCode, qint64 carbonModifiers) const;
    std::optional<QString> character(const InputSource& source, int keyCode, qint64 carbonModifiers) const;

private:
    std::unique_ptr<KeyboardLayout> layout_;
    ModifierTransformer modifierTransformar_;
};

} // namespace vantel
