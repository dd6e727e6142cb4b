#pragma once

#include "model/MainViewController.h"

#include <memory>

namespace vantel {

// What the core asks of the manager of the main view, which lives in the
// shell above it: the main view controller, how the view shows, showing and
// switching it, whether the program is active, and the setting that decides
// what a tag entry does there. The launch sequence installs the shell's
// manager; until then there is no main view, and
// tag entries and the hotkeys that show the main view do nothing.
class MainViewServices {
public:
    // 0 controller not created, 1 not yet appeared, 2 not visible,
    // 3 popover, 4 detached popover, 5 window.
    enum MainWindowState { NotCreated = 0, NotYetAppeared = 1, NotVisible = 2, Popover = 3, DetachedPopover = 4, Window = 5 };

    virtual ~MainViewServices() = default;

    virtual std::shared_ptr<MainViewController> viewControllerMain() const = 0;
    virtual int mainWindowState() const = 0;
    virtual void mainWindowShow() = 0;
    virtual void switchMainWindow() = 0;
    virtual bool isApplicationActive() const = 0;
    virtual bool selectingTagsInMainWindowLaunchAll() const = 0;

    static std::shared_ptr<MainViewServices> shared();
    static void setShared(std::shared_ptr<MainViewServices> services);
};

} // namespace vantel
