#include "settings/ui/SettingsServices.h"

#include "hotkeys/HotKeyCenter.h"
#include "hotkeys/HotKeyManager.h"
#include "shell/AppDelegate.h"

namespace vantel {

SettingsServices SettingsServices::shared()
{
    return {&AppDelegate::shared().config(), &HotKeyManager::shared(), &HotKeyCenter::shared()};
}

} // namespace vantel
