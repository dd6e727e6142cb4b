#pragma once

#include "mainwindow/CoreViewController.h"

namespace vantel::settingsui {

// The window controller of the data, tags and URL windows; it carries the
// catalogue kind it was opened as, so the manager can forget the kind when
// the window closes.
class ConfigWindowControllerBase : public CoreWindowController {
    Q_OBJECT

public:
    using CoreWindowController::CoreWindowController;
};

} // namespace vantel::settingsui
