#pragma once

#include "platform/ui/PopoverHost.h"

namespace vantel {

// The set-up every editing popover shares: its controller as content, closed
// by a click outside, shown without animation, and the controller told which
// popover it lives in so it can close it.
template <class Controller>
void configureTransientPopover(platform::PopoverHost& popover, Controller& controller,
                               platform::PopoverHostDelegate* delegate = nullptr)
{
    popover.setAnimates(false);
    if (popover.contentViewController() != &controller)
        popover.setContentViewController(&controller);
    popover.setBehavior(platform::PopoverHost::Behavior::transient);
    if (delegate)
        popover.setDelegate(delegate);
    controller.setPopover(&popover);
}

} // namespace vantel
