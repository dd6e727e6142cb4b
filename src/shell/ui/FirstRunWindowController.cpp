#include "shell/ui/FirstRunWindowController.h"

#include "platform/ui/UiCatalog.h"
#include "shell/ui/FirstRunViewController.h"

namespace vantel {

FirstRunWindowController::FirstRunWindowController()
    : DefaultVantelWindowController(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                                    | Qt::WindowCloseButtonHint)
{
    std::shared_ptr<ViewController> content = platform::UiCatalog::main().instantiateAs<ViewController>(
        FirstRunViewController::storyboard, QStringLiteral("FirstRunViewController"));
    if (!content)
        content = std::make_shared<FirstRunViewController>();
    auto* widgets = dynamic_cast<platform::ViewControllerBase*>(content.get());
    window()->setWindowTitle(widgets ? widgets->view()->windowTitle() : QString());
    if (widgets && widgets->preferredContentSize())
        window()->setFixedSize(*widgets->preferredContentSize());
    setContentViewController(std::move(content));
}

} // namespace vantel
