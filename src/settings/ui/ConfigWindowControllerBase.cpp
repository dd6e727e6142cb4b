#include "settings/ui/ConfigWindowControllerBase.h"

#include "platform/ui/ViewControllerBase.h"

#include <QVariant>

namespace vantel::settingsui {

ConfigWindowControllerBase::ConfigWindowControllerBase(Qt::WindowFlags flags)
    : window_(std::make_unique<platform::WindowHost>(nullptr, flags))
{
    window_->setProperty(windowControllerProperty, QVariant::fromValue<QObject*>(this));
    connect(window_.get(), &platform::WindowHost::windowWillClose, this, [this] {
        if (window_->isModalPanel() && window_->isVisible())
            window_->stopModal();
    });
}

ConfigWindowControllerBase::~ConfigWindowControllerBase()
{
    if (window_)
        window_->setProperty(windowControllerProperty, QVariant());
}

void ConfigWindowControllerBase::setContentViewController(std::shared_ptr<ViewController> controller)
{
    window_->setContentViewController(dynamic_cast<platform::ViewControllerBase*>(controller.get()));
    content_ = std::move(controller);
}

void ConfigWindowControllerBase::showWindow(bool runModal)
{
    if (runModal)
        window_->runModal();
    else
        window_->showWindow();
}

bool ConfigWindowControllerBase::isWindowOpen() const
{
    return window_->isShown() && window_->isVisible();
}

void ConfigWindowControllerBase::close()
{
    window_->close();
}

} // namespace vantel::settingsui
