#include "shell/WindowManagerCalls.h"

#include "shell/VantelManager.h"

namespace vantel::WindowManagerCalls {

void createMainWindowController()
{
    // The first use makes the manager with its observers, then the controller.
    VantelManager::shared().windowControllerMain();
}

void closeWindows()
{
    VantelManager::shared().closeWindows();
}

void applicationLostFocus()
{
    VantelManager::shared().applicationLostFocus();
}

int mainWindowState()
{
    return VantelManager::shared().mainWindowState();
}

QList<VantelWindowEnum::Kind> visibleWindowTypes()
{
    return VantelManager::visibleWindowTypes();
}

bool isModalPanelVisible()
{
    return VantelManager::isModalPanelVisible();
}

void setStatusItemAnchorProvider(std::function<std::optional<QRect>()> provider)
{
    VantelManager::shared().setStatusItemAnchorProvider(std::move(provider));
}

} // namespace vantel::WindowManagerCalls
