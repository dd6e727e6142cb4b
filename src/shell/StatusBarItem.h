#pragma once

#include <QIcon>
#include <QRect>

#include <optional>

namespace vantel {

// What the delegate asks of the status-bar item; the tray icon of the
// Widgets layer implements it. On a desktop without a tray the item is set
// up all the same and shows once a tray appears; until then the program is
// reachable by hotkey and by a second start.
class StatusBarItem {
public:
    virtual ~StatusBarItem() = default;

    // Whether the item shows on a tray (AppKit's "has a button").
    virtual bool hasButton() const = 0;
    // Sets the image (none clears it) and shows the item.
    virtual void setImage(const std::optional<QIcon>& image) = 0;
    virtual std::optional<QIcon> image() const = 0;
    // Starts answering clicks; called once, when the button is set up.
    virtual void setUpButton() = 0;
    // The item's place on the screen; empty where the tray keeps it to itself.
    virtual QRect geometry() const = 0;
};

} // namespace vantel
