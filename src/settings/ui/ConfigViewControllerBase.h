#pragma once

#include "mainwindow/CoreViewController.h"

namespace vantel::settingsui {

// The base of the data window's panes and the tags window.
class ConfigViewControllerBase : public CoreViewController {
    Q_OBJECT

public:
    using CoreViewController::CoreViewController;
};

} // namespace vantel::settingsui
