#pragma once

#include "mainwindow/SourceListItem.h"

#include <Qt>

class QMimeData;

namespace vantel {

class MainOutlineView;

// Where a drag over the sidebar would drop: onto `item` (childIndex -1),
// between the item's children before `childIndex`, or, without an item,
// onto the whole sidebar (childIndex -1) or between the top-level rows.
struct SidebarDropProposal {
    SourceListItemPtr item;
    int childIndex = -1;

    bool isWholeView() const { return !item && childIndex == -1; }
    bool operator==(const SidebarDropProposal&) const = default;
};

// What the sidebar asks about drops; the main view's drag-and-drop code
// implements it. The sidebar calls validateDrop on every drag movement and
// draws the drop highlight for the proposal as the handler left it (a row,
// or the whole sidebar when retargeted there); acceptDrop gets that same
// proposal. Main thread.
class SidebarDropHandler {
public:
    virtual ~SidebarDropHandler() = default;

    // The operation the drop would carry out; Qt::IgnoreAction refuses it.
    // May retarget `proposal` (e.g. to the whole sidebar).
    virtual Qt::DropAction validateDrop(MainOutlineView& sidebar, const QMimeData& data,
                                        Qt::DropActions possibleActions, SidebarDropProposal& proposal) = 0;
    // Carries the drop out; false when nothing was taken.
    virtual bool acceptDrop(MainOutlineView& sidebar, const QMimeData& data, const SidebarDropProposal& proposal) = 0;
};

} // namespace vantel
