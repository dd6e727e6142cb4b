#include "shell/ui/MainWindowController.h"

namespace vantel {

MainWindowController::MainWindowController()
{
    window()->setObjectName(QStringLiteral("mainWindow"));
    window()->setWindowTitle(QStringLiteral("Vantel"));
}

} // namespace vantel
