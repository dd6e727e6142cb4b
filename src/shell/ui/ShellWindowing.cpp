#include "shell/ui/ShellWindowing.h"

#include "mainwindow/MainViewController.h"
#include "platform/ui/UiCatalog.h"
#include "shell/VantelWindowEnum.h"
#include "shell/ui/MainWindowController.h"
#include "shell/ui/MenuManager.h"
#include "shell/ui/WidgetWindowSystem.h"

namespace vantel {

void ShellWindowing::install()
{
    WindowSystem::setShared(std::make_shared<WidgetWindowSystem>());

    VantelWindowEnum::InterfaceLoader loader;
    loader.windowController = [](const QString& storyboard, const QString& identifier) {
        return platform::UiCatalog::main().instantiateAs<WindowController>(storyboard, identifier);
    };
    loader.viewController = [](const QString& storyboard, const QString& identifier) {
        return platform::UiCatalog::main().instantiateAs<ViewController>(storyboard, identifier);
    };
    VantelWindowEnum::setInterfaceLoader(std::move(loader));

    platform::UiCatalog::main().registerFactory(
        VantelWindowEnum::getStoryBoardAsString(VantelWindowEnum::main),
        VantelWindowEnum::getWindowControllerIdentifier(VantelWindowEnum::main),
        [] { return std::make_shared<MainWindowController>(); });
    mainwindow::MainViewController::registerInterface();
    mainwindow::MainViewController::setMainMenuProvider([] { return MenuManager::shared().getMainMenu(); });
}

} // namespace vantel
