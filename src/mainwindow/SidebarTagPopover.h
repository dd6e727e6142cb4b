#pragma once

#include "mainwindow/SourceListItem.h"

#include <QRect>

namespace vantel {

// The popover that edits a tag (colour, symbol, hotkeys) from its sidebar
// row; the popups code implements it and the sidebar opens it on a right
// click or a Super-click on a tag row. After it changed the tag it asks the
// sidebar to redraw the selected row (MainOutlineView::redrawSelected).
class SidebarTagPopover {
public:
    virtual ~SidebarTagPopover() = default;

    virtual bool isShown() const = 0;
    // Shows the popover for the row's item (its tag() is the full tag
    // name), anchored at the row's cell in global coordinates.
    virtual void showPopover(const SourceListItemPtr& item, int row, const QRect& globalAnchor) = 0;
    virtual void close() = 0;
};

} // namespace vantel
