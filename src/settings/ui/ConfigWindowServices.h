#pragma once

namespace vantel {

class Configuration;
class DataStorage;
class HotKeyCenter;
class HotKeyManager;

namespace settingsui {

// What the data and tags windows work with: the shared instances, unless a
// test hands in its own.
struct ConfigWindowServices {
    DataStorage* dataStorage = nullptr;
    HotKeyManager* hotKeyManager = nullptr;
    HotKeyCenter* hotKeyCenter = nullptr;
    Configuration* configuration = nullptr;
    static ConfigWindowServices shared();
};

// Takes one pause of the hotkeys and gives back only that one: the data
// window's list and the tags window hold one each while they are shown.
class HotkeyPause {
public:
    explicit HotkeyPause(HotKeyManager* manager) : manager_(manager) {}
    ~HotkeyPause() { end(); }
    HotkeyPause(const HotkeyPause&) = delete;
    HotkeyPause& operator=(const HotkeyPause&) = delete;

    void begin();
    void end();
    bool isHeld() const { return held_; }

private:
    HotKeyManager* manager_;
    bool held_ = false;
};

} // namespace settingsui
} // namespace vantel
