#include "hotkeys/Keymap.h"

#include "platform/KeyboardLayouts.h"
#include "platform/NotificationCenter.h"

namespace vantel {

Keymap& Keymap::shared()
{
    static Keymap* const instance = new Keymap(std::make_unique<KeyboardLayout>(
        platform::KeyboardLayouts::shared(), platform::NotificationCenter::defaultCenter()));
    return *instance;
}

Keymap::Keymap(std::unique_ptr<KeyboardLayout> layout)
    : layout_(std::move(layout))
{
}

std::optional<quint16> Keymap::keyCode(Key key) const
{
    return keyCode(layout_->currentKeyboardLayoutInputSource(), key);
}

quint16 Keymap::keyCodeWithFallback(Key key) const
{
    return keyCode(key).value_or(KeyInfo::QWERTYKeyCode(key));
}

std::optional<Key> Keymap::key(int keyCode) const
{
    if (auto found = currentKey(keyCode))
        return found;
    return KeyInfo::fromQWERTYKeyCode(keyCode);
}

std::optional<Key> Keymap::currentKey(int keyCode) const
{
    return layout_->currentKeyCode(layout_->currentKeyboardLayoutInputSource(), keyCode);
}

std::optional<Key> Keymap::key(int keyCode, const InputSource& source) const
{
    return layout_->currentKeyCode(source, keyCode);
}

std::optional<KeyCodeMap> Keymap::currentKeyCodes() const
{
    return keyCodes(layout_->currentKeyboardLayoutInputSource());
}

std::optional<KeyCodeMap> Keymap::keyCodes(const InputSource& source) const
{
    const auto it = layout_->mappedKeyCodes().find(source);
    if (it == layout_->mappedKeyCodes().end())
        return std::nullopt;
    return it->second;
}

std::optional<quint16> Keymap::keyCode(const InputSource& source, Key key) const
{
    const auto it = layout_->mappedKeyCodes().find(source);
    if (it == layout_->mappedKeyCodes().end())
        return std::nullopt;
    const auto code = it->second.find(key);
    if (code == it->second.end())
        return std::nullopt;
    return code->second;
}

QList<InputSource> Keymap::inputSources() const
{
    return layout_->inputSources();
}

std::optional<QString> Keymap::character(int keyCode, qint64 carbonModifiers) const
{
    if (auto text = currentCharacter(keyCode, carbonModifiers))
        return text;
    return currentASCIICapableCharacter(keyCode, carbonModifiers);
}

std::optional<QString> Keymap::characterForCocoaModifiers(int keyCode, CocoaModifierFlags modifiers) const
{
    return character(keyCode, modifierTransformar_.carbonFlags(modifiers));
}

std::optional<QString> Keymap::currentCharacter(int keyCode, qint64 carbonModifiers) const
{
    return layout_->characterForKeyCode(layout_->currentKeyboardLayoutInputSource(), keyCode, carbonModifiers);
}

std::optional<QString> Keymap::currentASCIICapableCharacter(int keyCode, qint64 carbonModifiers) const
{
    return layout_->characterForKeyCode(layout_->currentASCIICapableInputSource(), keyCode, carbonModifiers);
}

std::optional<QString> Keymap::character(const InputSource& source, int keyCode, qint64 carbonModifiers) const
{
    return layout_->characterForKeyCode(source, keyCode, carbonModifiers);
}

} // namespace vantel
