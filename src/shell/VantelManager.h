#pragma once

#include "platform/NotificationCenter.h"
#include "model/MainViewController.h"
#include "model/MainViewServices.h"
#include "shell/Popover.h"
#include "shell/VantelWindowEnum.h"

#include <QList>
#include <QRect>
#include <QSize>

#include <functional>
#include <memory>
#include <optional>

namespace vantel {

// Decides how and when the main view shows: in a transient popover under the
// status item (style 0) or in a window centred on the pointer's screen
// (style 1), one MainViewController moving between the two hosts. It toggles
// the main view, closes it on focus loss and after an entry was opened,
// closes all catalogue windows, and lists the visible ones.
//
// The popover, the main window controller and the main view controller are
// made on first use and never retried when that fails; the windowing comes
// from WindowSystem::shared() and the catalogue, so without the Widgets shell
// the manager only refuses and logs. Every decision is logged (while debug
// logging is on). Main thread only.
class VantelManager : public PopoverDelegate {
public:
    // The states the core knows through its main view seam.
    using MainWindowState = MainViewServices::MainWindowState;
    using enum MainViewServices::MainWindowState;

    // The blocking window kinds, in this order.
    static const QList<VantelWindowEnum::Kind> modalVantelWindowTypes;

    static VantelManager& shared();

    // ---- The three hosts, made on first use ----
    std::shared_ptr<MainViewController> viewControllerMain() const;
    std::shared_ptr<WindowController> windowControllerMain() const;
    std::shared_ptr<vantel::Popover> popover() const;
    // Takes the controller as the main view controller (for code and tests
    // that make it themselves); nullptr counts as a failed creation.
    void setViewControllerMain(std::shared_ptr<MainViewController> controller);

    // Worked out on every call, with its log line.
    int mainWindowState() const;

    // ---- What the status item, hotkeys, menus and the delegate call ----
    void switchMainWindow();
    void mainWindowShow();
    void closeMainWindow();
    // On focus loss (an active -> inactive transition) and after an entry
    // was opened: closes a popover or window, never a detached popover.
    void applicationLostFocus();
    void closeWindows();

    static QList<VantelWindowEnum::Kind> visibleWindowTypes();
    static bool isModalPanelVisible();

    // The status item's rectangle in global coordinates, asked each time the
    // main view shows; none (or no provider) when the tray does not tell, and
    // the popover then hangs under the top-right corner of the pointer's screen.
    void setStatusItemAnchorProvider(std::function<std::optional<QRect>()> provider);

    // The main view's size on a screen of that frame, from the settings.
    static QSize mainViewSize(const QRect& screenFrame);
    // The frame of the main window centred on that screen.
    static QRect mainWindowFrame(const QRect& screenFrame);

    // Whether this program is the active application; answers from the GUI
    // application's state unless the shell installs its own answer.
    bool isApplicationActive() const;
    void setApplicationActiveProvider(std::function<bool()> provider);

    // ---- For tests of code that only needs a main view to be up ----
    // Replaces the show and switch behaviour while installed (empty
    // functions restore it); setMainWindowState pins the state answered.
    void setMainWindowActions(std::function<void()> show, std::function<void()> switchWindow);
    void setMainWindowState(int state) { stateOverride_ = state; }
    // Forgets the hosts, the overrides and the anchor (called by
    // VantelWindowEnum::reset).
    void reset();

    // ---- Popover delegate ----
    void popoverWillShow(vantel::Popover& popover) override;
    void popoverDidShow(vantel::Popover& popover) override;
    bool popoverShouldDetach(vantel::Popover& popover) override;
    void popoverDidDetach(vantel::Popover& popover) override;
    bool popoverShouldClose(vantel::Popover& popover) override;

private:
    VantelManager();

    void showMainWindowAsPopover(const QRect& anchor);
    void showMainWindowAsWindow();
    std::optional<QRect> pointerScreen(bool withFirst) const;
    void executeTableviewItem();
    void windowWillClose(const platform::Notification& notification);

    bool mainWindowIsAboutToClose_ = false;
    mutable std::optional<std::shared_ptr<vantel::Popover>> popover_;
    mutable std::optional<std::shared_ptr<WindowController>> windowControllerMain_;
    mutable std::optional<std::shared_ptr<MainViewController>> viewControllerMain_;

    std::function<std::optional<QRect>()> statusItemAnchor_;
    std::function<void()> mainWindowShowOverride_;
    std::function<void()> switchMainWindowOverride_;
    std::optional<int> stateOverride_;
    std::function<bool()> applicationActive_;

    platform::ObserverToken executeObserver_;
    platform::ObserverToken windowCloseObserver_;
};

} // namespace vantel
