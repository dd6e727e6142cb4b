#include "mainwindow/CoreViewController.h"

#include <QVariant>

namespace vantel {

CoreViewController::CoreViewController(QObject* parent)
    : platform::ViewControllerBase(parent)
{
}

defaultVantelMainViewControllerState CoreViewController::currentState() const
{
    return coreState(appearanceState());
}

defaultVantelMainViewControllerState CoreViewController::coreState(AppearanceState state)
{
    using State = platform::ViewControllerBase::AppearanceState;
    switch (state) {
    case State::none: return defaultVantelMainViewControllerState::none;
    case State::viewDidLoad: return defaultVantelMainViewControllerState::viewDidLoad;
    case State::viewWillAppear: return defaultVantelMainViewControllerState::viewWillAppear;
    case State::viewDidAppear: return defaultVantelMainViewControllerState::viewDidAppear;
    case State::viewWillDisappear: return defaultVantelMainViewControllerState::viewWillDisappear;
    }
    return defaultVantelMainViewControllerState::none;
}

void CoreViewController::presentAsSheet(const std::shared_ptr<ViewController>& controller)
{
    if (auto sheet = std::dynamic_pointer_cast<platform::ViewControllerBase>(controller))
        platform::ViewControllerBase::presentAsSheet(sheet);
}

} // namespace vantel

namespace vantel {

CoreWindowController::CoreWindowController(Qt::WindowFlags flags)
    : window_(std::make_unique<platform::WindowHost>(nullptr, flags))
{
    window_->setProperty(windowControllerProperty, QVariant::fromValue<QObject*>(this));
    connect(window_.get(), &platform::WindowHost::windowWillClose, this, [this] { windowWillClose(); });
}

CoreWindowController::~CoreWindowController()
{
    if (window_)
        window_->setProperty(windowControllerProperty, QVariant());
}

void CoreWindowController::setContentViewController(std::shared_ptr<ViewController> controller)
{
    window_->setContentViewController(dynamic_cast<platform::ViewControllerBase*>(controller.get()));
    content_ = std::move(controller);
}

void CoreWindowController::showWindow(bool runModal)
{
    if (runModal)
        window_->runModal();
    else
        window_->showWindow();
}

bool CoreWindowController::isWindowOpen() const
{
    return window_->isShown() && window_->isVisible();
}

void CoreWindowController::close()
{
    window_->close();
}

void CoreWindowController::windowWillClose()
{
    if (window_->isModalPanel() && window_->isVisible())
        window_->stopModal();
}

} // namespace vantel
