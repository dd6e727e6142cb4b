#include "settings/ui/ConfigWindowServices.h"

#include "datastore/DataStorage.h"
#include "hotkeys/HotKeyCenter.h"
#include "hotkeys/HotKeyManager.h"
#include "shell/AppDelegate.h"

namespace vantel::settingsui {

ConfigWindowServices ConfigWindowServices::shared()
{
    return {&DataStorage::shared(), &HotKeyManager::shared(), &HotKeyCenter::shared(), &AppDelegate::shared().config()};
}

void HotkeyPause::begin()
{
    if (held_ || !manager_)
        return;
    manager_->pauseHotkeys();
    held_ = true;
}

void HotkeyPause::end()
{
    if (!held_)
        return;
    held_ = false;
    if (manager_)
        manager_->resumeHotkeys();
}

} // namespace vantel::settingsui
