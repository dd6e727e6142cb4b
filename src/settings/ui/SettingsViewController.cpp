#include "settings/ui/SettingsViewController.h"

namespace vantel {

SettingsViewController::SettingsViewController(QObject* parent)
    : platform::ViewControllerBase(parent)
{
}

defaultVantelMainViewControllerState SettingsViewController::currentState() const
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

void SettingsViewController::presentAsSheet(const std::shared_ptr<ViewController>& controller)
{
    if (auto sheet = std::dynamic_pointer_cast<platform::ViewControllerBase>(controller))
        platform::ViewControllerBase::presentAsSheet(sheet);
}

} // namespace vantel
