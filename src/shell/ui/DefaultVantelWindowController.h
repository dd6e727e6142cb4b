#pragma once

#include "mainwindow/CoreViewController.h"

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
class DefaultVantelWindowController : public CoreWindowController {
    Q_OBJECT

public:
    using CoreWindowController::CoreWindowController;

    std::optional<VantelWindowEnum::Kind> windowControllerType() const { return windowKind; }

    // Above normal windows, on every desktop, at the frame; activated.
    void showAsMainWindow(const QRect& frame) override;
    // The cancel action of the window's buttons and Escape: closes.
    void cancel() { close(); }
};

} // namespace vantel
