#include "shell/ui/DefaultVantelWindowController.h"

#include "platform/ui/ViewControllerBase.h"

#include <QVariant>

namespace vantel {

DefaultVantelWindowController::DefaultVantelWindowController(Qt::WindowFlags flags)
    : window_(std::make_unique<platform::WindowHost>(nullptr, flags))
{
    window_->setProperty(windowControllerProperty, QVariant::fromValue<QObject*>(this));
    connect(window_.get(), &platform::WindowHost::windowWillClose, this, [this] { windowWillClose(); });
}

DefaultVantelWindowController::~DefaultVantelWindowController()
{
    if (window_)
        window_->setProperty(windowControllerProperty, QVariant());
}

void DefaultVantelWindowController::setContentViewController(std::shared_ptr<ViewController> controller)
{
    window_->setContentViewController(dynamic_cast<platform::ViewControllerBase*>(controller.get()));
    content_ = std::move(controller);
}

void DefaultVantelWindowController::showWindow(bool runModal)
{
    if (runModal)
        window_->runModal();
    else
        window_->showWindow();
}

void DefaultVantelWindowController::showAsMainWindow(const QRect& frame)
{
    window_->setFloating(true);
    window_->setJoinsAllDesktops(true);
    window_->setGeometry(frame);
    window_->showWindow();
}

bool DefaultVantelWindowController::isWindowOpen() const
{
    return window_->isShown() && window_->isVisible();
}

void DefaultVantelWindowController::close()
{
    window_->close();
}

void DefaultVantelWindowController::windowWillClose()
{
    if (window_->isModalPanel() && window_->isVisible())
        window_->stopModal();
}

} // namespace vantel
