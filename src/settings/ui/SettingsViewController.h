#pragma once

#include "platform/ui/ViewControllerBase.h"
#include "shell/VantelWindowEnum.h"

namespace vantel {

// The base of the configuration windows' view controllers and panes: the
// Widgets life cycle of the platform layer, seen by the catalogue as a
// ViewController. Only viewDidAppear counts as on screen.
class SettingsViewController : public platform::ViewControllerBase, public ViewController {
    Q_OBJECT

public:
    explicit SettingsViewController(QObject* parent = nullptr);

    defaultVantelMainViewControllerState currentState() const override;
    bool hasWindow() const override { return platform::ViewControllerBase::hasWindow(); }
    // A controller that is no Widgets controller cannot be shown and is ignored.
    void presentAsSheet(const std::shared_ptr<ViewController>& controller) override;
};

} // namespace vantel
