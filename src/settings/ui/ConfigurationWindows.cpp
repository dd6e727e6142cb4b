#include "settings/ui/ConfigurationWindows.h"

#include "platform/ui/UiCatalog.h"
#include "settings/ui/ConfigSplitViewController.h"
#include "settings/ui/ConfigViewControllerAddModifyURL.h"
#include "settings/ui/ConfigViewControllerTags.h"
#include "settings/ui/ConfigWindowController.h"
#include "settings/ui/ConfigWindowControllerAddModifyURL.h"
#include "settings/ui/ConfigWindowControllerTags.h"

namespace vantel {

void registerConfigurationWindows()
{
    using settingsui::ConfigSplitViewController;
    using settingsui::ConfigViewControllerTags;
    using settingsui::ConfigWindowController;
    using settingsui::ConfigWindowControllerAddModifyURL;
    using settingsui::ConfigWindowControllerTags;
    using URLViewController = settingsui::ConfigViewControllerAddModifyURL;
    platform::UiCatalog& catalog = platform::UiCatalog::main();

    const QString data = QStringLiteral("ConfigData");
    catalog.registerFactory(data, ConfigWindowController::identifier,
                            [] { return std::make_shared<ConfigWindowController>(); });
    catalog.registerFactory(data, ConfigSplitViewController::identifier,
                            [] { return std::make_shared<ConfigSplitViewController>(); });

    catalog.registerFactory(ConfigViewControllerTags::storyboard, ConfigWindowControllerTags::identifier,
                            [] { return std::make_shared<ConfigWindowControllerTags>(); });
    catalog.registerFactory(ConfigViewControllerTags::storyboard, ConfigViewControllerTags::identifier,
                            [] { return std::make_shared<ConfigViewControllerTags>(); });

    catalog.registerFactory(URLViewController::storyboard, ConfigWindowControllerAddModifyURL::identifier,
                            [] { return std::make_shared<ConfigWindowControllerAddModifyURL>(); });
    catalog.registerFactory(URLViewController::storyboard, URLViewController::identifier,
                            [] { return std::make_shared<URLViewController>(); });
}

} // namespace vantel
