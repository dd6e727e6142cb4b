#pragma once

#include "shell/MainViewController.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

namespace vantel {

// The shared coordinator of the main popover or window.
class VantelManager {
public:
    // 0 controller not created, 1 not yet appeared, 2 not visible,
    // 3 popover, 4 detached popover, 5 window.
    enum MainWindowState { NotCreated = 0, NotYetAppeared = 1, NotVisible = 2, Popover = 3, DetachedPopover = 4, Window = 5 };

    static VantelManager& shared();

    // The main view's controller; none while it has not been created.
    std::shared_ptr<MainViewController> viewControllerMain() const;
    void setViewControllerMain(std::shared_ptr<MainViewController> controller);

    int mainWindowState() const { return mainWindowState_.load(); }
    void setMainWindowState(int state) { mainWindowState_.store(state); }

    // Shows the main view; shows it when hidden and hides it when shown.
    // Carried out by the window handling the shell installs (main thread);
    // until it is installed they do nothing.
    void mainWindowShow();
    void switchMainWindow();
    void setMainWindowActions(std::function<void()> show, std::function<void()> switchWindow);

    // Whether this program is the active application; answers from the GUI
    // application's state unless the shell installs its own answer.
    bool isApplicationActive() const;
    void setApplicationActiveProvider(std::function<bool()> provider);

private:
    VantelManager() = default;

    mutable std::mutex mutex_;
    std::shared_ptr<MainViewController> viewControllerMain_;
    std::atomic<int> mainWindowState_{NotCreated};
    std::function<void()> mainWindowShow_;
    std::function<void()> switchMainWindow_;
    std::function<bool()> applicationActive_;
};

} // namespace vantel
