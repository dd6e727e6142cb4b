#include "shell/ShellMainViewServices.h"

#include "config/Configuration.h"
#include "shell/VantelManager.h"

namespace vantel {

std::shared_ptr<MainViewController> ShellMainViewServices::viewControllerMain() const
{
    return VantelManager::shared().viewControllerMain();
}

int ShellMainViewServices::mainWindowState() const
{
    return VantelManager::shared().mainWindowState();
}

void ShellMainViewServices::mainWindowShow()
{
    VantelManager::shared().mainWindowShow();
}

void ShellMainViewServices::switchMainWindow()
{
    VantelManager::shared().switchMainWindow();
}

bool ShellMainViewServices::isApplicationActive() const
{
    return VantelManager::shared().isApplicationActive();
}

bool ShellMainViewServices::selectingTagsInMainWindowLaunchAll() const
{
    return Configuration::shared().selectingTagsInMainWindowLaunchAll();
}

} // namespace vantel
