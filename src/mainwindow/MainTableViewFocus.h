#pragma once

#include <QMetaType>

namespace vantel {

// Which part of the main view holds the keyboard focus. Written by the main
// view's controller whenever the window's focus moves; the entry list reads
// it to choose how a selected row is drawn. Main thread only.
enum class FocusedControl { mainTableView = 0, sectionView = 1, searchField = 2, none = 3 };

// The one process-wide value; none at first.
FocusedControl focusedControl();
// Stores the value; the entry list repaints its selection on its next paint.
void setFocusedControl(FocusedControl control);

// The four modifier keys held over the main view (Option = Alt, Command =
// Ctrl, Control = Super), the object of "modifierFlagsChanged".
struct CurrentModifierFlags {
    bool optionKey = false;
    bool commandKey = false;
    bool controlKey = false;
    bool shiftKey = false;

    bool operator==(const CurrentModifierFlags&) const = default;
};

} // namespace vantel
