#include "settings/ui/ConfigViewControllerBase.h"

namespace vantel::settingsui {

defaultVantelMainViewControllerState coreState(platform::ViewControllerBase::AppearanceState state)
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

ConfigViewControllerBase::ConfigViewControllerBase(QObject* parent)
    : platform::ViewControllerBase(parent)
{
}

defaultVantelMainViewControllerState ConfigViewControllerBase::currentState() const
{
    return coreState(appearanceState());
}

void ConfigViewControllerBase::presentAsSheet(const std::shared_ptr<ViewController>& controller)
{
    if (auto sheet = std::dynamic_pointer_cast<platform::ViewControllerBase>(controller))
        platform::ViewControllerBase::presentAsSheet(sheet);
}

} // namespace vantel::settingsui
