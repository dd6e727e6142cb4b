#pragma once

#include "shell/ui/DefaultVantelWindowController.h"

namespace vantel {

// The first-run window ("FirstRunWindowController" of "DialogFirstRun"): a
// fixed-size window titled "Welcome to Vantel" that shows the assistant's
// page controller. The first time the window is on screen (exposed, which
// under X11 follows the window manager's mapping, not the show request) it
// tells the configuration, so that only then is the launch marked as one
// that came before.
class FirstRunWindowController : public DefaultVantelWindowController {
    Q_OBJECT

public:
    // The content is the interface file's "FirstRunViewController".
    FirstRunWindowController();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool markedShown_ = false;
};

} // namespace vantel
