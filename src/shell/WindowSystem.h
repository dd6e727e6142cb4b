#pragma once

#include <QList>
#include <QRect>

#include <memory>
#include <optional>

namespace vantel {

class Popover;
class WindowController;

// What the shell's core asks of the windowing system: the program's windows,
// modal panels, activation, screens and popovers. The Widgets shell installs
// the real one; the default one has no windows, no screens and no popover, so
// the core runs (and refuses to show anything) without a display.
// Main thread only.
class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    static WindowSystem& shared();
    // nullptr restores the default.
    static void setShared(std::shared_ptr<WindowSystem> system);

    // The controllers of the program's catalogue windows in window order,
    // hidden windows included.
    virtual QList<WindowController*> windowControllers() const { return {}; }
    // A visible window runs as a modal panel (application- or window-modal).
    virtual bool isModalPanelVisible() const { return false; }
    // Brings the program to the front, ignoring other programs.
    virtual void activateApplication() {}

    // Frames of the screen with the pointer, of the main and of the first
    // screen, in global coordinates.
    virtual std::optional<QRect> screenWithMouse() const { return std::nullopt; }
    virtual std::optional<QRect> mainScreen() const { return std::nullopt; }
    virtual std::optional<QRect> firstScreen() const { return std::nullopt; }
    // The area of that screen that panels leave free.
    virtual std::optional<QRect> availableFrame(const QRect& screenFrame) const { return screenFrame; }

    // Whether the program can put its windows where it wants; a Wayland
    // client can't, so nothing can hang under the tray icon there.
    virtual bool canPlaceWindows() const { return true; }
    // A new popover; none where there is no way to show one.
    virtual std::shared_ptr<Popover> makePopover() { return nullptr; }
};

} // namespace vantel
