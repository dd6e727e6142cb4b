#pragma once

#include "platform/ui/ViewControllerBase.h"
#include "shell/VantelWindowEnum.h"

namespace vantel {

// The Widgets life cycle of the platform layer seen by the core as a
// ViewController; the common base of the main view, the shell's and the
// configuration windows' controllers. It lives here, the lowest layer that
// sees both sides. currentState follows what the host last drove (only
// viewDidAppear means on screen).
class CoreViewController : public platform::ViewControllerBase, public ViewController {
    Q_OBJECT

public:
    explicit CoreViewController(QObject* parent = nullptr);

    defaultVantelMainViewControllerState currentState() const override;
    bool hasWindow() const override { return platform::ViewControllerBase::hasWindow(); }
    // Shows the controller as a sheet over this one's window; a controller
    // that is no Widgets controller cannot be shown and is ignored.
    void presentAsSheet(const std::shared_ptr<ViewController>& controller) override;

    // The state the core sees for a Widgets controller's appearance.
    static defaultVantelMainViewControllerState coreState(AppearanceState state);
};

} // namespace vantel

#include "platform/ui/WindowHost.h"

#include <QObject>

#include <memory>

namespace vantel {

// The window side of the same pairing: it owns one top-level window (a
// platform WindowHost) and the view controller shown in it. The window points
// back at it through WindowController::windowControllerProperty, so a closing
// window can be told apart. Main thread only.
class CoreWindowController : public QObject, public WindowController {
    Q_OBJECT

public:
    // The window is made here, with the flags given.
    explicit CoreWindowController(Qt::WindowFlags flags = Qt::Window);
    ~CoreWindowController() override;

    platform::WindowHost* window() const { return window_.get(); }

    // The shown view controller; it must be a Widgets view controller
    // (platform::ViewControllerBase) to be shown. nullptr detaches it.
    std::shared_ptr<ViewController> contentViewController() const override { return content_; }
    void setContentViewController(std::shared_ptr<ViewController> controller) override;

    // Shows the window and activates it; with runModal, returns only when
    // the modal run ends.
    void showWindow(bool runModal) override;
    bool isWindowOpen() const override;
    void close() override;

protected:
    // Runs before the window disappears; the default ends a modal run of
    // this window.
    virtual void windowWillClose();

private:
    // Declared first, released last: the window gives the view back first.
    std::shared_ptr<ViewController> content_;
    std::unique_ptr<platform::WindowHost> window_;
};

} // namespace vantel
