#pragma once

#include "hotkeys/HotKey.h"
#include "hotkeys/ModifierEventHandler.h"

#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace vantel {

namespace platform {
class GlobalHotKeys;
}

// The registry of the process's global hotkeys, filed by identifier. An
// ordinary combination is registered with the system (GlobalHotKeys) at the
// key code its key has in the layout selected now, else its US code; a
// doubled modifier is only filed and fired from the modifier monitor through
// the double-tap detector, where the backend supports it (not on Wayland). Pressed hotkeys run their action through invoke.
// A HotKey is filed exactly while it is registered; ids are never reused.
//
// A combination that would grab a bare key for the whole desktop (no
// modifier and not a function key, as only a damaged or old archive holds),
// or that carries unknown modifier bits, is refused. A registration the
// system refuses later (the desktop portal answers after the fact) is
// unregistered and handed to the taken handler. Main thread only.
class HotKeyCenter {
public:
    static HotKeyCenter& shared();

    explicit HotKeyCenter(platform::GlobalHotKeys& backend);
    ~HotKeyCenter();
    HotKeyCenter(const HotKeyCenter&) = delete;
    HotKeyCenter& operator=(const HotKeyCenter&) = delete;

    bool registerHotKey(const HotKeyPtr& hotKey);
    void unregisterHotKey(const HotKeyPtr& hotKey);
    bool unregisterIdentifier(const QString& identifier);
    // With no type nothing happens.
    void unregisterHotKeys(std::optional<HotKeyType> type);
    void unregisterAll();

    HotKeyPtr hotKeyWithKeyCombo(const KeyCombo& keyCombo) const;
    bool containsKeyCombo(const KeyCombo& keyCombo) const { return hotKeyWithKeyCombo(keyCombo) != nullptr; }
    // Whether another program holds the combination, as far as the system
    // tells without binding it; false when it cannot tell.
    bool isHeldElsewhere(const KeyCombo& keyCombo) const;
    // False where no double tap of a modifier is ever seen (Wayland).
    bool seesDoubleTaps() const;
    bool updateHotkeyReferencedPath(const KeyCombo& keyCombo, const QString& path);

    void applicationWillTerminate() { unregisterAll(); }
    // Fires every doubled-modifier hotkey of the tapped modifier.
    void handleDoubleTappedModifier(CocoaModifierFlags flags);

    const std::map<QString, HotKeyPtr>& hotKeys() const { return hotKeys_; }
    quint32 hotKeyCount() const { return hotKeyCount_; }
    ModifierEventHandler& modifierEventHandler() { return *modifierEventHandler_; }

    void setTakenHandler(std::function<void(const HotKeyPtr&)> handler) { taken_ = std::move(handler); }

    // Whether the registry would hand the combination to the system.
    static bool isRegistrable(const KeyCombo& keyCombo);

private:
    void hotKeyPressed(quint32 ref);
    void hotKeyTaken(quint32 ref);

    platform::GlobalHotKeys& backend_;
    std::map<QString, HotKeyPtr> hotKeys_;
    quint32 hotKeyCount_ = 0;
    std::unique_ptr<ModifierEventHandler> modifierEventHandler_;
    int modifierMonitorId_ = 0;
    std::function<void(const HotKeyPtr&)> taken_;
};

} // namespace vantel
