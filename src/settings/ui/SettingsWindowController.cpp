#include "settings/ui/SettingsWindowController.h"

#include "platform/ui/Compositing.h"
#include "platform/ui/ViewControllerBase.h"

#include <QKeySequence>
#include <QShortcut>
#include <QVariant>

namespace vantel {

namespace {

Qt::WindowFlags flagsFor(SettingsWindowController::Frame frame)
{
    if (frame == SettingsWindowController::Frame::frameless)
        return Qt::Window | Qt::FramelessWindowHint;
    return Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
}

} // namespace

SettingsWindowController::SettingsWindowController(std::shared_ptr<ViewController> content, const QString& title,
                                                   Frame frame)
    : CoreWindowController(flagsFor(frame))
{
    window()->setWindowTitle(title);
    if (frame == Frame::frameless) {
        translucent_ = platform::desktopComposites();
        if (translucent_)
            window()->setAttribute(Qt::WA_TranslucentBackground);
    }
    // The desktop's Close key (Ctrl+W) closes the window, like its button.
    auto* closeKey = new QShortcut(QKeySequence::Close, window());
    connect(closeKey, &QShortcut::activated, this, [this] { close(); });
    setContentViewController(std::move(content));
}

SettingsWindowController::~SettingsWindowController()
{
    if (window())
        window()->setContentViewController(nullptr);
}

void SettingsWindowController::setContentViewController(std::shared_ptr<ViewController> controller)
{
    auto* widgets = dynamic_cast<platform::ViewControllerBase*>(controller.get());
    CoreWindowController::setContentViewController(std::move(controller));
    if (widgets) {
        if (const auto size = widgets->preferredContentSize())
            window()->resize(*size);
        else
            window()->resize(widgets->view()->sizeHint());
    }
}

void SettingsWindowController::windowWillClose()
{
    // A modal run of this window ends with it.
    if (window()->isRunningModal())
        window()->stopModal();
}

} // namespace vantel
