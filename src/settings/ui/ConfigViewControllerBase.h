#pragma once

#include "platform/ui/ViewControllerBase.h"
#include "shell/VantelWindowEnum.h"

namespace vantel::settingsui {

// The Widgets life cycle of the platform layer seen by the core as a
// ViewController: the base of the data window's panes and the tags window.
class ConfigViewControllerBase : public platform::ViewControllerBase, public ViewController {
    Q_OBJECT

public:
    explicit ConfigViewControllerBase(QObject* parent = nullptr);

    defaultVantelMainViewControllerState currentState() const override;
    bool hasWindow() const override { return platform::ViewControllerBase::hasWindow(); }
    // A controller that is no Widgets controller cannot be shown; ignored.
    void presentAsSheet(const std::shared_ptr<ViewController>& controller) override;
};

// The state the core sees for a Widgets controller's appearance.
defaultVantelMainViewControllerState coreState(platform::ViewControllerBase::AppearanceState state);

} // namespace vantel::settingsui
