#include "shell/ui/FirstRunInterface.h"

#include "platform/ui/UiCatalog.h"
#include "shell/VantelWindowEnum.h"
#include "shell/ui/FirstRunFirstScreenViewController.h"
#include "shell/ui/FirstRunSecondScreenViewController.h"
#include "shell/ui/FirstRunViewController.h"
#include "shell/ui/FirstRunWindowController.h"

namespace vantel {

void registerFirstRunInterface()
{
    platform::UiCatalog& catalog = platform::UiCatalog::main();
    const QString& file = FirstRunViewController::storyboard;
    catalog.registerFactory(file, QStringLiteral("FirstRunWindowController"),
                            [] { return std::make_shared<FirstRunWindowController>(); });
    catalog.registerFactory(file, QStringLiteral("FirstRunViewController"),
                            [] { return std::make_shared<FirstRunViewController>(); });
    catalog.registerFactory(file, QStringLiteral("FirstRunSheet1"),
                            [] { return std::make_shared<FirstRunFirstScreenViewController>(); });
    catalog.registerFactory(file, QStringLiteral("FirstRunSheet2"),
                            [] { return std::make_shared<FirstRunSecondScreenViewController>(); });

    VantelWindowEnum::registerWindowController(VantelWindowEnum::firstRun, [] {
        return platform::UiCatalog::main().instantiateAs<WindowController>(
            FirstRunViewController::storyboard, QStringLiteral("FirstRunWindowController"));
    });
}

} // namespace vantel
