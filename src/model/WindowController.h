#pragma once

#include "model/ViewController.h"
#include "model/WindowKind.h"

#include <QRect>

#include <memory>
#include <optional>

namespace vantel {

// What the core asks of a window controller; the Widgets code implements it.
class WindowController : public std::enable_shared_from_this<WindowController> {
public:
    virtual ~WindowController() = default;

    virtual std::shared_ptr<ViewController> contentViewController() const = 0;
    // Shows the window (modally when asked) and activates the application.
    virtual void showWindow(bool runModal) = 0;
    // Whether the window is on screen.
    virtual bool isWindowOpen() const = 0;
    virtual void close() = 0;

    // Whether the controller has a window at all.
    virtual bool hasWindow() const { return true; }
    // Shows the view controller's view in the window; nullptr gives it back.
    virtual void setContentViewController(std::shared_ptr<ViewController> controller) { (void)controller; }
    // How the main view's window shows: above normal windows, on every
    // desktop, at the exact frame (global coordinates); then made key and
    // ordered to the front.
    virtual void showAsMainWindow(const QRect& frame) { (void)frame; showWindow(false); }

    // The kind the catalogue opened it as.
    std::optional<WindowKind::Kind> windowKind;

    // The dynamic property of a window (a QObject) that points back at its
    // controller (a QObject* that is also a WindowController), so a closing
    // window can be told apart.
    static constexpr const char* windowControllerProperty = "vantelWindowController";
};

} // namespace vantel
