#pragma once

#include "platform/ui/ViewControllerBase.h"
#include "shell/VantelWindowEnum.h"

namespace vantel {

// The base of the program's view controllers: the Widgets life cycle of the
// platform layer, seen by the core as a ViewController. currentState follows
// what the host last drove (Only viewDidAppear means on screen).
class DefaultVantelViewController : public platform::ViewControllerBase, public ViewController {
    Q_OBJECT

public:
    explicit DefaultVantelViewController(QObject* parent = nullptr);

    defaultVantelMainViewControllerState currentState() const override;
    bool hasWindow() const override { return platform::ViewControllerBase::hasWindow(); }
    // Shows the controller as a sheet over this one's window; a controller
    // that is no Widgets controller cannot be shown and is ignored.
    void presentAsSheet(const std::shared_ptr<ViewController>& controller) override;
};

} // namespace vantel
