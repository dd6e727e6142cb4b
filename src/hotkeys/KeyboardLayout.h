#pragma once

#include "hotkeys/InputSource.h"
#include "hotkeys/Key.h"
#include "hotkeys/ModifierFlags.h"

#include <QList>

#include <map>
#include <optional>

namespace vantel {

namespace platform {
class KeyboardLayouts;
class NotificationCenter;
} // namespace platform

using KeyCodeMap = std::map<Key, quint16>;

// The key-code tables of the enabled input sources and the translation of a
// key code to text, over the session's keyboard layouts. Key codes are Mac
// virtual key codes throughout. It follows the selected layout and keymap
// changes and announces them on its notification center:
// "KeymapSelectedKeyboardInputSourceChanged",
// "KeymapEnabledKeyboardInputSourcesChanged" and
// "KeymapSelectedKeyboardKeyCodesChanged". Main thread only.
class KeyboardLayout {
public:
    KeyboardLayout(platform::KeyboardLayouts& layouts, platform::NotificationCenter& notificationCenter);
    ~KeyboardLayout();
    KeyboardLayout(const KeyboardLayout&) = delete;
    KeyboardLayout& operator=(const KeyboardLayout&) = delete;

    const InputSource& currentKeyboardLayoutInputSource() const { return currentKeyboardLayoutInputSource_; }
    const InputSource& currentASCIICapableInputSource() const { return currentASCIICapableInputSource_; }
    const QList<InputSource>& inputSources() const { return inputSources_; }
    const std::map<InputSource, KeyCodeMap>& mappedKeyCodes() const { return mappedKeyCodes_; }

    // The text the key code types in the source with the Carbon modifiers
    // (only shift and option count); a special key gives its label.
    std::optional<QString> characterForKeyCode(const InputSource& source, int keyCode, qint64 carbonModifiers) const;
    // The key whose code in the source's map is the key code.
    std::optional<Key> currentKeyCode(const InputSource& source, int keyCode) const;

    // The handlers of the platform's two changes.
    void selectedKeyboardInputSourceChanged();
    void enabledKeyboardInputSourcesChanged();

private:
    InputSource sourceOfGroup(int group) const;
    void refreshInputSources();
    void mapKeyCodes(const InputSource& source);

    platform::KeyboardLayouts& layouts_;
    platform::NotificationCenter& notificationCenter_;
    ModifierTransformer modifierTransformer_;
    InputSource currentKeyboardLayoutInputSource_;
    InputSource currentASCIICapableInputSource_;
    std::map<InputSource, KeyCodeMap> mappedKeyCodes_;
    QList<InputSource> inputSources_;
    int observerId_ = 0;
};

} // namespace vantel
