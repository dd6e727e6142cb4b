#include "shell/ui/FirstRunWindowController.h"

#include "config/Configuration.h"
#include "model/Logger.h"
#include "platform/ui/UiCatalog.h"
#include "shell/ui/FirstRunViewController.h"

#include <QEvent>
#include <QWindow>

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
    // The native window exists only once the window shows.
    window()->installEventFilter(this);
}

bool FirstRunWindowController::eventFilter(QObject* watched, QEvent* event)
{
    if (!markedShown_) {
        QWindow* handle = window()->windowHandle();
        if (watched == window() && event->type() == QEvent::Show && handle)
            handle->installEventFilter(this);
        if (watched == handle && event->type() == QEvent::Expose && handle->isExposed()) {
            markedShown_ = true;
            handle->removeEventFilter(this);
            window()->removeEventFilter(this);
            Configuration::shared().setFirstRunShown();
            VLOG(Logger::general(), platform::LogType::Default, "First run: the first-run assistant is shown");
        }
    }
    return DefaultVantelWindowController::eventFilter(watched, event);
}

} // namespace vantel
