#pragma once

#include "shell/ui/DefaultVantelWindowController.h"

namespace vantel {

// The window host of the main view in the window style. Its window is a
// plain top-level that the manager places and keeps above normal windows.
class MainWindowController final : public DefaultVantelWindowController {
    Q_OBJECT

public:
    MainWindowController();
};

} // namespace vantel
