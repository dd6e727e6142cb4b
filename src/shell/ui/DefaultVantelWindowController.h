#pragma once

#include "platform/ui/WindowHost.h"
#include "shell/VantelWindowEnum.h"

#include <QObject>

#include <memory>

namespace vantel {

// The base of every catalogue window's controller: it owns one top-level
// window (a platform WindowHost) and the view controller shown in it, and
// carries the window's kind (windowKind) so that any window on screen can be
// told apart. The window points back at it through the
// WindowController::windowControllerProperty property.
//
// Closing goes through close() (or the window's own close button): the
// window posts "NSWindowWillCloseNotification" before it disappears, which is
// how the catalogue forgets the kind's controller. When the window runs as a
// modal panel, closing it ends the modal run. Main thread only.
class DefaultVantelWindowController : public QObject, public WindowController {
    Q_OBJECT

public:
    // The window is made here, with the flags given.
    explicit DefaultVantelWindowController(Qt::WindowFlags flags = Qt::Window);
    ~DefaultVantelWindowController() override;

    platform::WindowHost* window() const { return window_.get(); }
    std::optional<VantelWindowEnum::Kind> windowControllerType() const { return windowKind; }

    // The shown view controller; it must be a Widgets view controller
    // (platform::ViewControllerBase) to be shown. nullptr detaches it.
    std::shared_ptr<ViewController> contentViewController() const override { return content_; }
    void setContentViewController(std::shared_ptr<ViewController> controller) override;

    // Shows the window and activates it; with runModal, returns only when
    // the modal run ends.
    void showWindow(bool runModal) override;
    bool isWindowOpen() const override;
    void close() override;
    bool hasWindow() const override { return true; }
    // Above normal windows, on every desktop, at the frame; activated.
    void showAsMainWindow(const QRect& frame) override;
    // The cancel action of the window's buttons and Escape: closes.
    void cancel() { close(); }

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
