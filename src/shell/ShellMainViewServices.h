#pragma once

#include "model/MainViewServices.h"

namespace vantel {

// The core's main view seam answered by the shell: the manager of the main
// view (made on first use, as when the core called it itself) and the
// settings. Installed by the application delegate.
class ShellMainViewServices : public MainViewServices {
public:
    std::shared_ptr<MainViewController> viewControllerMain() const override;
    int mainWindowState() const override;
    void mainWindowShow() override;
    void switchMainWindow() override;
    bool isApplicationActive() const override;
    bool selectingTagsInMainWindowLaunchAll() const override;
};

} // namespace vantel
