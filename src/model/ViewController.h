#pragma once

#include "platform/DialogProvider.h"

#include <functional>
#include <memory>

namespace vantel {

// The appearance of a view controller as its host last drove it. There is no
// state for a view that has gone: it stays in viewWillDisappear.
enum class defaultVantelMainViewControllerState { none, viewDidLoad, viewWillAppear, viewDidAppear, viewWillDisappear };

// What the core asks of a view controller; the Widgets code implements it.
class ViewController {
public:
    virtual ~ViewController() = default;

    // Only viewDidAppear counts as on screen.
    virtual defaultVantelMainViewControllerState currentState() const
    {
        return defaultVantelMainViewControllerState::none;
    }

    // Whether the controller's view currently sits in a window.
    virtual bool hasWindow() const = 0;
    // Shows another controller as a sheet of this one's window.
    virtual void presentAsSheet(const std::shared_ptr<ViewController>& controller) = 0;
    // Runs an open panel attached to this controller's window and hands the
    // answer to the completion. By default the panel runs modally.
    virtual void runOpenPanelAsSheet(const platform::OpenPanelRequest& request,
                                     const std::function<void(const platform::OpenPanelResponse&)>& completion);
};

} // namespace vantel
