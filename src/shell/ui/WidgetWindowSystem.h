#pragma once

#include "shell/WindowSystem.h"

namespace vantel {

// The windowing of the Widgets shell: catalogue windows are the top-level
// widgets that point back at a window controller, modal panels are visible
// application- or window-modal top-levels, screens and pointer come from
// the platform's screen provider, and popovers are MainPopovers.
class WidgetWindowSystem final : public WindowSystem {
public:
    QList<WindowController*> windowControllers() const override;
    bool isModalPanelVisible() const override;
    // Raises and activates what is in front: a modal panel, else the active
    // window, else the first visible window of the program.
    void activateApplication() override;

    std::optional<QRect> screenWithMouse() const override;
    std::optional<QRect> mainScreen() const override;
    std::optional<QRect> firstScreen() const override;
    std::optional<QRect> availableFrame(const QRect& screenFrame) const override;

    bool canPlaceWindows() const override;
    std::shared_ptr<Popover> makePopover() override;
};

} // namespace vantel
