#pragma once

#include "model/MainViewServices.h"

#include <functional>

namespace vantel::test {

// The main view seam of the core without the shell: the test sets the
// controller, the state and the answers; showing and switching run the
// test's actions.
class FakeMainViewServices : public MainViewServices {
public:
    std::shared_ptr<MainViewController> controller;
    int state = NotCreated;
    bool active = false;
    bool launchAllSetting = false;
    std::function<void()> onShow;
    std::function<void()> onSwitch;

    std::shared_ptr<MainViewController> viewControllerMain() const override { return controller; }
    int mainWindowState() const override { return state; }
    void mainWindowShow() override
    {
        if (onShow)
            onShow();
    }
    void switchMainWindow() override
    {
        if (onSwitch)
            onSwitch();
    }
    bool isApplicationActive() const override { return active; }
    bool selectingTagsInMainWindowLaunchAll() const override { return launchAllSetting; }
};

} // namespace vantel::test
