#pragma once

#include "mainwindow/CoreViewController.h"

namespace vantel {

// The base of the shell's view controllers.
class DefaultVantelViewController : public CoreViewController {
    Q_OBJECT

public:
    using CoreViewController::CoreViewController;
};

} // namespace vantel
