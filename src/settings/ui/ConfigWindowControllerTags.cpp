#include "settings/ui/ConfigWindowControllerTags.h"

#include "platform/ui/UiCatalog.h"
#include "settings/ui/ConfigViewControllerTags.h"

namespace vantel::settingsui {

namespace {

void show(ConfigWindowControllerBase& controller, std::shared_ptr<ViewController> content)
{
    if (auto* widgets = dynamic_cast<platform::ViewControllerBase*>(content.get())) {
        controller.window()->setWindowTitle(widgets->view()->windowTitle());
        controller.window()->resize(ConfigViewControllerTags::preferredSize);
        controller.window()->setMinimumSize(620, 320);
    }
    controller.setContentViewController(std::move(content));
}

} // namespace

ConfigWindowControllerTags::ConfigWindowControllerTags()
{
    std::shared_ptr<ViewController> content = platform::UiCatalog::main().instantiateAs<ViewController>(
        ConfigViewControllerTags::storyboard, ConfigViewControllerTags::identifier);
    if (!content)
        content = std::make_shared<ConfigViewControllerTags>();
    show(*this, std::move(content));
}

ConfigWindowControllerTags::ConfigWindowControllerTags(ConfigWindowServices services)
{
    show(*this, std::make_shared<ConfigViewControllerTags>(services));
}

} // namespace vantel::settingsui
