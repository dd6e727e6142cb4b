#include "hotkeys/KeyCombo.h"

#include "hotkeys/Keymap.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"

#include <bit>
#include <functional>
#include <mutex>

namespace vantel {

KeyCombo::KeyCombo(Key key, qint64 modifiers, bool doubled)
    : key_(key)
    , modifiers_(modifiers)
    , doubledModifiers_(doubled)
{
}

std::optional<KeyCombo> KeyCombo::withCarbonModifiers(Key key, qint64 carbonModifiers)
{
    qint64 modifiers = carbonModifiers & keyModifierMask;
    if (KeyInfo::isFunctionKey(key))
        modifiers |= functionKey;
    if (modifiers == 0)
        return std::nullopt;
    return KeyCombo(key, modifiers, false);
}

std::optional<KeyCombo> KeyCombo::withQWERTYKeyCode(int keyCode, qint64 carbonModifiers)
{
    const auto key = KeyInfo::fromQWERTYKeyCode(keyCode);
    if (!key)
        return std::nullopt;
    return withCarbonModifiers(*key, carbonModifiers);
}

std::optional<KeyCombo> KeyCombo::withDoubledCarbonModifiers(qint64 carbonModifiers)
{
    const qint64 modifiers = carbonModifiers & keyModifierMask;
    if (std::popcount(static_cast<quint64>(modifiers)) != 1)
        return std::nullopt;
    return KeyCombo(Key::a, modifiers, true);
}

std::optional<KeyCombo> KeyCombo::withCocoaModifiers(Key key, CocoaModifierFlags modifiers)
{
    return withCarbonModifiers(key, ModifierFlags::carbonModifiers(ModifierFlags::keyModifiersOnly(modifiers), false));
}

std::optional<KeyCombo> KeyCombo::withQWERTYKeyCodeCocoa(int keyCode, CocoaModifierFlags modifiers)
{
    const auto key = KeyInfo::fromQWERTYKeyCode(keyCode);
    if (!key)
        return std::nullopt;
    return withCocoaModifiers(*key, modifiers);
}

std::optional<KeyCombo> KeyCombo::withDoubledCocoaModifiers(CocoaModifierFlags modifiers)
{
    if (!ModifierFlags::isSingleModifier(modifiers))
        return std::nullopt;
    return withDoubledCarbonModifiers(ModifierFlags::carbonModifiers(modifiers, false));
}

std::optional<KeyCombo> KeyCombo::fromKeyEvent(EventType type, int keyCode, CocoaModifierFlags modifiers)
{
    if (type != EventType::keyDown && type != EventType::keyUp && type != EventType::flagsChanged)
        return std::nullopt;
    const auto key = Keymap::shared().key(keyCode);
    if (!key)
        return std::nullopt;
    return withCocoaModifiers(*key, modifiers);
}

std::shared_ptr<KeyCombo> KeyCombo::initWithCoder(platform::KeyedUnarchiver& coder)
{
    const bool doubled = coder.decodeBool(QStringLiteral("doubledModifiers"));
    const qint64 modifiers = coder.decodeInteger(QStringLiteral("modifiers"));
    if (doubled)
        return std::shared_ptr<KeyCombo>(new KeyCombo(Key::a, modifiers, true));

    std::optional<Key> key;
    if (coder.containsValue(QStringLiteral("key"))) {
        const auto raw = coder.decodeString(QStringLiteral("key"));
        if (!raw)
            return nullptr;
        key = KeyInfo::fromRawValue(*raw);
    } else {
        const qint64 code = coder.containsValue(QStringLiteral("keyCode"))
            ? coder.decodeInteger(QStringLiteral("keyCode"))
            : coder.decodeInteger(QStringLiteral("QWERTYKeyCode"));
        if (code >= 0 && code <= 0xFFFF)
            key = KeyInfo::fromQWERTYKeyCode(static_cast<int>(code));
    }
    if (!key)
        return nullptr;
    return std::shared_ptr<KeyCombo>(new KeyCombo(*key, modifiers, false));
}

QString KeyCombo::archiveName()
{
    return QStringLiteral("Vantel.KeyCombo");
}

void KeyCombo::registerArchiveClass()
{
    static std::once_flag once;
    std::call_once(once, [] {
        platform::KeyedUnarchiver::registerClass(archiveName(), [](platform::KeyedUnarchiver& coder) {
            return std::static_pointer_cast<platform::Archivable>(initWithCoder(coder));
        });
    });
}

quint16 KeyCombo::QWERTYKeyCode() const
{
    return doubledModifiers_ ? 0 : KeyInfo::QWERTYKeyCode(key_);
}

quint16 KeyCombo::keyCode() const
{
    return doubledModifiers_ ? 0 : Keymap::shared().keyCodeWithFallback(key_);
}

QString KeyCombo::modifierGlyphString() const
{
    return ModifierFlags::glyphStrings(cocoaModifiers()).join(QLatin1Char('+'));
}

QString KeyCombo::keyCharacters() const
{
    if (doubledModifiers_)
        return {};
    static const QString letters = QStringLiteral("abcdefghijklmnopqrstuvwxyz");
    const QString raw = KeyInfo::rawValue(key_);
    const bool letter = raw.size() == 1 && letters.contains(raw);
    const qint64 translationModifiers = letter ? (modifiers_ & ModifierFlags::carbonShift) : 0;
    return Keymap::shared().character(keyCode(), translationModifiers).value_or(QString());
}

QString KeyCombo::characters() const
{
    if (doubledModifiers_)
        return {};
    return Keymap::shared().character(keyCode(), modifiers_).value_or(QString());
}

QString KeyCombo::displayString() const
{
    return modifierGlyphString() + QLatin1Char(' ')
        + (doubledModifiers_ ? QStringLiteral("double tap") : keyCharacters().toUpper());
}

bool KeyCombo::isEqual(const KeyCombo& other) const
{
    return key_ == other.key_ && modifiers_ == other.modifiers_ && doubledModifiers_ == other.doubledModifiers_;
}

std::size_t KeyCombo::hash() const
{
    std::size_t h = std::hash<int>()(static_cast<int>(key_));
    h = h * 31 + std::hash<qint64>()(modifiers_);
    return h * 31 + (doubledModifiers_ ? 1 : 0);
}

QString KeyCombo::archiveClassName() const
{
    return archiveName();
}

void KeyCombo::encode(platform::KeyedArchiver& coder) const
{
    coder.encodeObject(KeyInfo::rawValue(key_), QStringLiteral("key"));
    coder.encodeInteger(modifiers_, QStringLiteral("modifiers"));
    coder.encodeBool(doubledModifiers_, QStringLiteral("doubledModifiers"));
}

QString KeyCombo::debugDescription() const
{
    return QStringLiteral("%1 [%2]%3")
        .arg(KeyInfo::rawValue(key_))
        .arg(modifiers_)
        .arg(doubledModifiers_ ? QStringLiteral(" double tap") : QString());
}

} // namespace vantel
