#include "model/iconTag.h"

#include "model/IconTagChangedNotifyObject.h"
#include "model/TagNames.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/NotificationCenter.h"

namespace vantel {

namespace {
// One side set and the other not, or both set and different.
template <class T>
bool optionalChanged(const std::optional<T>& before, const std::optional<T>& after)
{
    if (before.has_value() != after.has_value())
        return true;
    return before.has_value() && !(*before == *after);
}
} // namespace

iconTag::iconTag(const QString& newName, const QString& symbolUsed)
    : tagName_(normalizeTagName(newName))
    , tagSymbol_(symbolUsed)
{
}

iconTag::iconTag(Decoding)
{
}

std::shared_ptr<iconTag> iconTag::create(const QString& newName, const QString& symbolUsed)
{
    return std::make_shared<iconTag>(newName, symbolUsed);
}

std::shared_ptr<iconTag> iconTag::initWithCoder(platform::KeyedUnarchiver& coder)
{
    auto tag = std::make_shared<iconTag>(Decoding{});
    if (!decodeInto(*tag, coder))
        return nullptr;
    return tag;
}

bool iconTag::decodeInto(iconTag& tag, platform::KeyedUnarchiver& coder)
{
    const auto name = coder.decodeString(QStringLiteral("tagName"));
    const auto symbol = coder.decodeString(QStringLiteral("tagSymbol"));
    if (!name || !symbol || name->isEmpty() || symbol->isEmpty())
        return false;
    std::lock_guard lock(tag.mutex_);
    tag.tagName_ = *name;
    tag.tagSymbol_ = *symbol;
    if (auto combo = coder.decodeArchivable<KeyCombo>(QStringLiteral("hotkey")))
        tag.hotkey_ = *combo;
    if (auto combo = coder.decodeArchivable<KeyCombo>(QStringLiteral("hotkeyLaunchAll")))
        tag.hotkeyLaunchAll_ = *combo;
    tag.color_ = coder.decodeColor(QStringLiteral("color"));
    return true;
}

QString iconTag::archiveName()
{
    return QStringLiteral("Vantel.iconTag");
}

void iconTag::registerArchiveClass()
{
    static std::once_flag once;
    std::call_once(once, [] {
        KeyCombo::registerArchiveClass();
        platform::KeyedUnarchiver::registerClass(archiveName(), [](platform::KeyedUnarchiver& coder) {
            return std::static_pointer_cast<platform::Archivable>(initWithCoder(coder));
        });
    });
}

QSet<QString> iconTag::archiveClassNames()
{
    registerArchiveClass();
    return {archiveName(), KeyCombo::archiveName()};
}

QString iconTag::tagName() const
{
    return readLocked(tagName_);
}

void iconTag::setTagName(const QString& name)
{
    const QString old = exchangeLocked(tagName_, name);
    if (old != name)
        tagChanged(IconTagChangeReason::nameChanged);
}

QString iconTag::tagSymbol() const
{
    return readLocked(tagSymbol_);
}

void iconTag::setTagSymbol(const QString& symbol)
{
    const QString old = exchangeLocked(tagSymbol_, symbol);
    if (old != symbol)
        tagChanged(IconTagChangeReason::symbolChanged);
}

std::optional<KeyCombo> iconTag::hotkey() const
{
    return readLocked(hotkey_);
}

void iconTag::setHotkey(const std::optional<KeyCombo>& combo)
{
    const std::optional<KeyCombo> old = exchangeLocked(hotkey_, combo);
    if (optionalChanged(old, combo))
        tagChanged(IconTagChangeReason::hotkeyChanged);
}

std::optional<KeyCombo> iconTag::hotkeyLaunchAll() const
{
    return readLocked(hotkeyLaunchAll_);
}

void iconTag::setHotkeyLaunchAll(const std::optional<KeyCombo>& combo)
{
    const std::optional<KeyCombo> old = exchangeLocked(hotkeyLaunchAll_, combo);
    if (optionalChanged(old, combo))
        tagChanged(IconTagChangeReason::hotkeyChanged);
}

std::optional<platform::Color> iconTag::color() const
{
    return readLocked(color_);
}

void iconTag::setColor(const std::optional<platform::Color>& color)
{
    const std::optional<platform::Color> old = exchangeLocked(color_, color);
    if (optionalChanged(old, color))
        tagChanged(IconTagChangeReason::colorChanged);
}

void iconTag::setTagVisible(bool visible)
{
    if (tagVisible_.exchange(visible) != visible)
        tagChanged(IconTagChangeReason::visibilityChanged);
}

bool iconTag::shouldSavedToConfig() const
{
    std::lock_guard lock(mutex_);
    return !tagSymbol_.isEmpty() || color_ || hotkey_ || hotkeyLaunchAll_;
}

void iconTag::tagChanged(IconTagChangeReason reason)
{
    platform::NotificationCenter::defaultCenter().post(QStringLiteral("iconTagChanged"),
                                                       IconTagChangedNotifyObject{tagName(), reason});
}

bool iconTag::isSubTagOf(const QString& parentName) const
{
    return isSubTag(tagName(), parentName);
}

QString iconTag::archiveClassName() const
{
    return archiveName();
}

void iconTag::encode(platform::KeyedArchiver& coder) const
{
    std::unique_lock lock(mutex_);
    const QString name = tagName_;
    const QString symbol = tagSymbol_;
    const auto colorValue = color_;
    const auto combo = hotkey_;
    const auto comboLaunchAll = hotkeyLaunchAll_;
    lock.unlock();

    coder.encodeObject(name, keyNameTagName);
    coder.encodeObject(symbol, keyNameTagSymbol);
    coder.encodeObject(colorValue ? QVariant::fromValue(*colorValue) : QVariant(), keyNameColor);
    if (combo)
        coder.encodeArchivable(std::make_shared<KeyCombo>(*combo), keyNameHotkey);
    else
        coder.encodeObject(QVariant(), keyNameHotkey);
    if (comboLaunchAll)
        coder.encodeArchivable(std::make_shared<KeyCombo>(*comboLaunchAll), keyNameHotkeyLaunchAll);
    else
        coder.encodeObject(QVariant(), keyNameHotkeyLaunchAll);
}

QVariant iconTag::valueForKey(const QString& key) const
{
    if (key == QLatin1String("tagName"))
        return tagName();
    if (key == QLatin1String("tagSymbol"))
        return tagSymbol();
    if (key == QLatin1String("hotkey")) {
        const auto combo = hotkey();
        return combo ? QVariant(combo->debugDescription()) : QVariant();
    }
    if (key == QLatin1String("hotkeyLaunchAll")) {
        const auto combo = hotkeyLaunchAll();
        return combo ? QVariant(combo->debugDescription()) : QVariant();
    }
    if (key == QLatin1String("color")) {
        const auto value = color();
        return value ? QVariant::fromValue(*value) : QVariant();
    }
    if (key == QLatin1String("tagVisible"))
        return tagVisible();
    if (key == QLatin1String("tagUsed"))
        return tagUsed();
    if (key == QLatin1String("tagUseCounter"))
        return tagUseCounter();
    if (key == QLatin1String("shouldSavedToConfig"))
        return shouldSavedToConfig();
    return {};
}

} // namespace vantel
