#include "shell/VantelManager.h"

#include <QGuiApplication>

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

void VantelManager::mainWindowShow()
{
    std::function<void()> show;
    {
        std::lock_guard lock(mutex_);
        show = mainWindowShow_;
    }
    if (show)
        show();
}

void VantelManager::switchMainWindow()
{
    std::function<void()> switchWindow;
    {
        std::lock_guard lock(mutex_);
        switchWindow = switchMainWindow_;
    }
    if (switchWindow)
        switchWindow();
}

void VantelManager::setMainWindowActions(std::function<void()> show, std::function<void()> switchWindow)
{
    std::lock_guard lock(mutex_);
    mainWindowShow_ = std::move(show);
    switchMainWindow_ = std::move(switchWindow);
}

bool VantelManager::isApplicationActive() const
{
    std::function<bool()> provider;
    {
        std::lock_guard lock(mutex_);
        provider = applicationActive_;
    }
    if (provider)
        return provider();
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance())
        && QGuiApplication::applicationState() == Qt::ApplicationActive;
}

void VantelManager::setApplicationActiveProvider(std::function<bool()> provider)
{
    std::lock_guard lock(mutex_);
    applicationActive_ = std::move(provider);
}

} // namespace vantel
