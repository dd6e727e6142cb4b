#include "shell/VantelManager.h"

namespace vantel {

VantelManager& VantelManager::shared()
{
    static VantelManager* const instance = new VantelManager();
    return *instance;
}

std::shared_ptr<MainViewController> VantelManager::viewControllerMain() const
{
    std::lock_guard lock(mutex_);
    return viewControllerMain_;
}

void VantelManager::setViewControllerMain(std::shared_ptr<MainViewController> controller)
{
    std::lock_guard lock(mutex_);
    viewControllerMain_ = std::move(controller);
}

} // namespace vantel
