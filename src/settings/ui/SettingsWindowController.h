#pragma once

#include "mainwindow/CoreViewController.h"

namespace vantel {

// The window controller of the settings, backup, info, hotkey-overview and
// version-history windows: one top-level window (a platform WindowHost) that
// shows one view controller, sized to the controller's preferred content
// size. The window points back at it through
// WindowController::windowControllerProperty, so the catalogue learns when
// it closes. The window host centres it as it first shows, at the size its
// pages give it then; later it comes back where the user left it.
//
// A frameless window (the info and overview windows) has no title bar: it
// is moved by dragging its background, and its background is translucent
// where the desktop composites, opaque otherwise. Main thread only.
class SettingsWindowController : public CoreWindowController {
    Q_OBJECT

public:
    enum class Frame { titled, frameless };

    SettingsWindowController(std::shared_ptr<ViewController> content, const QString& title, Frame frame = Frame::titled);
    ~SettingsWindowController() override;

    void setContentViewController(std::shared_ptr<ViewController> controller) override;

    // Whether this window draws a translucent background (frameless windows
    // on a compositing desktop).
    bool isTranslucent() const { return translucent_; }

protected:
    void windowWillClose() override;

private:
    bool translucent_ = false;
};

} // namespace vantel
