#include "shell/ui/DefaultVantelWindowController.h"

namespace vantel {

void DefaultVantelWindowController::showAsMainWindow(const QRect& frame)
{
    window()->setFloating(true);
    window()->setJoinsAllDesktops(true);
    window()->setGeometry(frame);
    window()->showWindow();
}

} // namespace vantel
