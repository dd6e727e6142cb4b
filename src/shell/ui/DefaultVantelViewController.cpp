#include "shell/ui/DefaultVantelViewController.h"

namespace vantel {

DefaultVantelViewController::DefaultVantelViewController(QObject* parent)
    : platform::ViewControllerBase(parent)
{
}

defaultVantelMainViewControllerState DefaultVantelViewController::currentState() const
{
    using State = platform::ViewControllerBase::AppearanceState;
    switch (appearanceState()) {
    case State::none: return defaultVantelMainViewControllerState::none;
    case State::viewDidLoad: return defaultVantelMainViewControllerState::viewDidLoad;
    case State::viewWillAppear: return defaultVantelMainViewControllerState::viewWillAppear;
    case State::viewDidAppear: return defaultVantelMainViewControllerState::viewDidAppear;
    case State::viewWillDisappear: return defaultVantelMainViewControllerState::viewWillDisappear;
    }
    return defaultVantelMainViewControllerState::none;
}

void DefaultVantelViewController::presentAsSheet(const std::shared_ptr<ViewController>& controller)
{
    if (auto sheet = std::dynamic_pointer_cast<platform::ViewControllerBase>(controller))
        platform::ViewControllerBase::presentAsSheet(sheet);
}

} // namespace vantel
