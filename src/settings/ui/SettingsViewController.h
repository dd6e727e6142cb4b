#pragma once

#include "mainwindow/CoreViewController.h"

namespace vantel {

// The base of the configuration windows' view controllers and panes.
class SettingsViewController : public CoreViewController {
    Q_OBJECT

public:
    using CoreViewController::CoreViewController;
};

} // namespace vantel
