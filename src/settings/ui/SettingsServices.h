#pragma once

namespace vantel {

class Configuration;
class HotKeyCenter;
class HotKeyManager;

// What the settings panes change: the one configuration and the hotkey
// registry. The program uses the shared ones; tests give their own.
struct SettingsServices {
    Configuration* config = nullptr;
    HotKeyManager* hotKeyManager = nullptr;
    HotKeyCenter* hotKeyCenter = nullptr;

    static SettingsServices shared();
};

} // namespace vantel
