#include "hotkeys/KeyboardLayout.h"

#include "platform/KeyboardLayouts.h"
#include "platform/NotificationCenter.h"

namespace vantel {

KeyboardLayout::KeyboardLayout(platform::KeyboardLayouts& layouts, platform::NotificationCenter& notificationCenter)
    : layouts_(layouts)
    , notificationCenter_(notificationCenter)
{
    currentKeyboardLayoutInputSource_ = sourceOfGroup(layouts_.currentGroup());
    currentASCIICapableInputSource_ = sourceOfGroup(layouts_.asciiCapableGroup());
    refreshInputSources();
    mapKeyCodes(currentKeyboardLayoutInputSource_);
    observerId_ = layouts_.addObserver([this](platform::KeyboardLayouts::Change change) {
        if (change == platform::KeyboardLayouts::Change::selectedLayout) {
            selectedKeyboardInputSourceChanged();
        } else {
            enabledKeyboardInputSourcesChanged();
            // On X a new keymap also changes what the selected layout is.
            selectedKeyboardInputSourceChanged();
        }
    });
}

KeyboardLayout::~KeyboardLayout()
{
    layouts_.removeObserver(observerId_);
}

InputSource KeyboardLayout::sourceOfGroup(int group) const
{
    InputSource source;
    source.source = group;
    const auto layout = layouts_.layout(group);
    if (!layout) {
        // No keymap at all: a source that types nothing, so callers take
        // the US codes.
        source.id = QStringLiteral("none");
        source.hasKeyLayoutData = false;
        return source;
    }
    // Ids follow from the layout, so a source read twice is the same source.
    source.id = layout->id;
    if (!layout->variant.isEmpty())
        source.modeID = layout->variant;
    source.isASCIICapable = layout->asciiCapable;
    source.isSelected = group == layouts_.currentGroup();
    source.localizedName = layout->name;
    return source;
}

void KeyboardLayout::refreshInputSources()
{
    inputSources_.clear();
    for (const auto& layout : layouts_.layouts())
        inputSources_.append(sourceOfGroup(layout.group));
    for (const InputSource& source : inputSources_)
        mapKeyCodes(source);
}

void KeyboardLayout::mapKeyCodes(const InputSource& source)
{
    if (!source.hasKeyLayoutData)
        return;
    KeyCodeMap map;
    for (int code = 0; code < 128; ++code) {
        std::optional<QString> text = SpecialKey::label(code);
        if (!text)
            text = layouts_.translate(source.source, code, false, false);
        if (!text)
            continue;
        const auto key = KeyInfo::fromCharacter(*text, code);
        if (!key)
            continue;
        // Codes ascend, so the first code found for a key is the lowest.
        map.emplace(*key, static_cast<quint16>(code));
    }
    mappedKeyCodes_[source] = std::move(map);
}

std::optional<QString> KeyboardLayout::characterForKeyCode(const InputSource& source, int keyCode,
                                                            qint64 carbonModifiers) const
{
    if (!source.hasKeyLayoutData || keyCode < 0 || keyCode > 0xFFFF)
        return std::nullopt;
    if (auto label = SpecialKey::label(keyCode))
        return label;
    const bool shift = (carbonModifiers & ModifierFlags::carbonShift) != 0;
    const bool option = (carbonModifiers & ModifierFlags::carbonOption) != 0;
    return layouts_.translate(source.source, keyCode, shift, option);
}

std::optional<Key> KeyboardLayout::currentKeyCode(const InputSource& source, int keyCode) const
{
    if (keyCode < 0 || keyCode > 0xFFFF)
        return std::nullopt;
    const auto it = mappedKeyCodes_.find(source);
    if (it == mappedKeyCodes_.end())
        return std::nullopt;
    for (const auto& [key, code] : it->second)
        if (code == keyCode)
            return key;
    return std::nullopt;
}

void KeyboardLayout::selectedKeyboardInputSourceChanged()
{
    const InputSource selected = sourceOfGroup(layouts_.currentGroup());
    currentASCIICapableInputSource_ = sourceOfGroup(layouts_.asciiCapableGroup());
    if (selected == currentKeyboardLayoutInputSource_ && selected.source == currentKeyboardLayoutInputSource_.source)
        return;
    const InputSource previous = currentKeyboardLayoutInputSource_;
    currentKeyboardLayoutInputSource_ = selected;
    if (!mappedKeyCodes_.count(selected))
        mapKeyCodes(selected);
    notificationCenter_.post(QStringLiteral("KeymapSelectedKeyboardInputSourceChanged"));
    const auto before = mappedKeyCodes_.find(previous);
    const auto after = mappedKeyCodes_.find(selected);
    if (before != mappedKeyCodes_.end() && after != mappedKeyCodes_.end() && before->second != after->second)
        notificationCenter_.post(QStringLiteral("KeymapSelectedKeyboardKeyCodesChanged"));
}

void KeyboardLayout::enabledKeyboardInputSourcesChanged()
{
    mappedKeyCodes_.clear();
    // Every enabled source is mapped here. The stored current source is not
    // mapped again on its own: its group may type another layout now, and
    // its table under the old name would be wrong.
    refreshInputSources();
    notificationCenter_.post(QStringLiteral("KeymapEnabledKeyboardInputSourcesChanged"));
}

} // namespace vantel
