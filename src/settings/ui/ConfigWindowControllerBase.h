#pragma once

#include "platform/ui/WindowHost.h"
#include "shell/VantelWindowEnum.h"

#include <QObject>

#include <memory>

namespace vantel::settingsui {

// The window controller of the data, tags and URL windows: it owns one
// top-level window (a platform WindowHost) and the view controller shown in
// it, and carries the catalogue kind it was opened as. The window points back
// at it through WindowController::windowControllerProperty, so the manager
// can tell the window apart and forget the kind when it closes.
//
// Closing goes through close() or the title bar; a window that runs modally
// ends its modal run when it closes. Main thread only.
class ConfigWindowControllerBase : public QObject, public WindowController {
    Q_OBJECT

public:
    explicit ConfigWindowControllerBase(Qt::WindowFlags flags = Qt::Window);
    ~ConfigWindowControllerBase() override;

    platform::WindowHost* window() const { return window_.get(); }

    std::shared_ptr<ViewController> contentViewController() const override { return content_; }
    // The controller must be a Widgets view controller to be shown.
    void setContentViewController(std::shared_ptr<ViewController> controller) override;

    void showWindow(bool runModal) override;
    bool isWindowOpen() const override;
    void close() override;
    bool hasWindow() const override { return true; }

private:
    // Declared first, released last: the window gives the view back first.
    std::shared_ptr<ViewController> content_;
    std::unique_ptr<platform::WindowHost> window_;
};

} // namespace vantel::settingsui
