#include "settings/ui/SettingsWindowController.h"

#include "platform/ui/Compositing.h"
#include "platform/ui/ViewControllerBase.h"

#include <QCursor>
#include <QGuiApplication>
#include <QKeySequence>
#include <QScreen>
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
    : window_(std::make_unique<platform::WindowHost>(nullptr, flagsFor(frame)))
{
    window_->setWindowTitle(title);
    window_->setProperty(windowControllerProperty, QVariant::fromValue<QObject*>(this));
    if (frame == Frame::frameless) {
        translucent_ = platform::desktopComposites();
        if (translucent_)
            window_->setAttribute(Qt::WA_TranslucentBackground);
    }
    // The desktop's Close key (Ctrl+W) closes the window, like its button.
    auto* closeKey = new QShortcut(QKeySequence::Close, window_.get());
    connect(closeKey, &QShortcut::activated, this, [this] { close(); });
    // A modal run of this window ends with it.
    connect(window_.get(), &platform::WindowHost::windowWillClose, this, [this] {
        if (window_->isRunningModal())
            window_->stopModal();
    });
    setContentViewController(std::move(content));
}

SettingsWindowController::~SettingsWindowController()
{
    if (window_) {
        window_->setProperty(windowControllerProperty, QVariant());
        window_->setContentViewController(nullptr);
    }
}

void SettingsWindowController::setContentViewController(std::shared_ptr<ViewController> controller)
{
    auto* widgets = dynamic_cast<platform::ViewControllerBase*>(controller.get());
    window_->setContentViewController(widgets);
    if (widgets) {
        if (const auto size = widgets->preferredContentSize())
            window_->resize(*size);
        else
            window_->resize(widgets->view()->sizeHint());
    }
    content_ = std::move(controller);
}

void SettingsWindowController::showWindow(bool runModal)
{
    // First shown in the middle of the screen that holds the pointer; later
    // where the user left it.
    if (!window_->isShown()) {
        QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
        if (!screen)
            screen = QGuiApplication::primaryScreen();
        if (screen) {
            QRect frame(QPoint(), window_->size());
            frame.moveCenter(screen->availableGeometry().center());
            window_->move(frame.topLeft());
        }
    }
    if (runModal)
        window_->runModal();
    else
        window_->showWindow();
}

bool SettingsWindowController::isWindowOpen() const
{
    return window_->isShown() && window_->isVisible();
}

void SettingsWindowController::close()
{
    window_->close();
}

} // namespace vantel
