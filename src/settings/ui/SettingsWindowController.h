#pragma once

#include "platform/ui/WindowHost.h"
#include "shell/VantelWindowEnum.h"

#include <QObject>

#include <memory>

namespace vantel {

// The window controller of the settings, backup, info, hotkey-overview and
// version-history windows: one top-level window (a platform WindowHost) that
// shows one view controller, sized to the controller's preferred content
// size. The window points back at it through
// WindowController::windowControllerProperty, so the catalogue learns when
// it closes.
//
// A frameless window (the info and overview windows) has no title bar: it
// is moved by dragging its background, and its background is translucent
// where the desktop composites, opaque otherwise. Main thread only.
class SettingsWindowController : public QObject, public WindowController {
    Q_OBJECT

public:
    enum class Frame { titled, frameless };

    SettingsWindowController(std::shared_ptr<ViewController> content, const QString& title, Frame frame = Frame::titled);
    ~SettingsWindowController() override;

    platform::WindowHost* window() const { return window_.get(); }

    std::shared_ptr<ViewController> contentViewController() const override { return content_; }
    void setContentViewController(std::shared_ptr<ViewController> controller) override;
    void showWindow(bool runModal) override;
    bool isWindowOpen() const override;
    void close() override;

    // Whether this window draws a translucent background (frameless windows
    // on a compositing desktop).
    bool isTranslucent() const { return translucent_; }

private:
    std::shared_ptr<ViewController> content_;
    std::unique_ptr<platform::WindowHost> window_;
    bool translucent_ = false;
};

} // namespace vantel
