#include "settings/ui/ConfigWindowControllerAddModifyURL.h"

#include "platform/ui/UiCatalog.h"
#include "settings/ui/ConfigViewControllerAddModifyURL.h"

namespace vantel::settingsui {

ConfigWindowControllerAddModifyURL::ConfigWindowControllerAddModifyURL()
    : ConfigWindowControllerBase(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                                 | Qt::WindowCloseButtonHint)
{
    std::shared_ptr<ViewController> content = platform::UiCatalog::main().instantiateAs<ViewController>(
        ConfigViewControllerAddModifyURL::storyboard, ConfigViewControllerAddModifyURL::identifier);
    if (!content)
        content = std::make_shared<ConfigViewControllerAddModifyURL>();
    if (auto* widgets = dynamic_cast<platform::ViewControllerBase*>(content.get())) {
        window()->setWindowTitle(widgets->view()->windowTitle());
        window()->resize(ConfigViewControllerAddModifyURL::preferredSize);
        window()->setMinimumSize(ConfigViewControllerAddModifyURL::preferredSize);
    }
    // Escape cancels, as in the sheet.
    window()->setClosesOnEscape(true);
    setContentViewController(std::move(content));
}

} // namespace vantel::settingsui
