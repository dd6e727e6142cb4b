#pragma once

#include "shell/ui/DefaultVantelWindowController.h"

namespace vantel {

// The first-run window ("FirstRunWindowController" of "DialogFirstRun"): a
// fixed-size window titled "Welcome to Vantel" that shows the assistant's
// page controller.
class FirstRunWindowController : public DefaultVantelWindowController {
    Q_OBJECT

public:
    // The content is the interface file's "FirstRunViewController".
    FirstRunWindowController();
};

} // namespace vantel
