#pragma once

#include "model/TableViewItem.h"

#include <QRect>

#include <memory>
#include <optional>

class QWidget;

namespace vantel {

class TableViewPopupViewController;

namespace platform {
class PopoverHost;
}

// Owns the entry popover of the main list and its content controller. The
// popover is made with the manager; the controller on first use, from the
// interface catalogue ("Main", "TableViewPopupViewController"): when the
// catalogue has none, there is none for good and nothing is ever shown.
// The main list makes one manager and keeps it for its life. Main thread only.
class TableViewPopupManager {
public:
    TableViewPopupManager();
    ~TableViewPopupManager();
    TableViewPopupManager(const TableViewPopupManager&) = delete;
    TableViewPopupManager& operator=(const TableViewPopupManager&) = delete;

    platform::PopoverHost& tableViewPopover() const { return *tableViewPopover_; }
    // Made at the first call; none when the catalogue has no such controller.
    std::shared_ptr<TableViewPopupViewController> tableViewPopupViewController();

    // Gives the popover its controller, transient behaviour, no animation;
    // nothing without a controller. Called once, right after creation.
    void configurePopover();

    // Shows the popover for the entry beside the row's rectangle (in the
    // coordinates of `rowView`), on the row's left; nothing when it is shown
    // already or there is no controller.
    void showPopover(const TableViewItemPtr& item, int index, QWidget* rowView, const QRect& rowRect);
    bool isShown() const;
    void close();

    // Registers the controller's factory in the interface catalogue; the
    // first manager does it when no factory is there.
    static bool registerInterface();

private:
    std::unique_ptr<platform::PopoverHost> tableViewPopover_;
    std::shared_ptr<TableViewPopupViewController> tableViewPopupViewController_;
    bool controllerLookedUp_ = false;
};

} // namespace vantel
