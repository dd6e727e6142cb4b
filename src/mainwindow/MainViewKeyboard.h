#pragma once

#include "mainwindow/MainTableViewFocus.h"

#include <QString>
#include <Qt>

class QAbstractItemView;
class QKeyEvent;

namespace vantel {

// What the main view's keyboard handling answers as the part that holds the
// focus: a part of the view, an open popover, or nothing of the view.
enum class KeyFocus { none = 0, popupShown = 1, mainTableView = 2, sectionView = 3, searchField = 4 };

// The keys the main view acts on, independent of the keyboard layout.
enum class MainViewKey { other, returnKey, escape, leftArrow, rightArrow, downArrow, upArrow, f };

// The key of an event: Return and Enter are one key.
MainViewKey mainViewKey(const QKeyEvent& event);

// The one mapping of Qt's modifiers to the held keys: Command = Ctrl,
// Option = Alt, Control = Super (Meta), Shift = Shift.
CurrentModifierFlags modifierFlagsFrom(Qt::KeyboardModifiers modifiers);
// The modifiers held after a key event: a modifier key's own press is not
// yet in the event's modifiers on X11 and its release still is.
Qt::KeyboardModifiers modifiersAfter(const QKeyEvent& event);

// Ctrl+F exactly (the keypad flag is not a modifier here).
bool isCommandF(const QKeyEvent& event);

// The characters that, typed over the list or the sidebar, begin a search.
inline const QString typeToSelectCharacters = QStringLiteral("abcdefghijklmnopqrstuvwxyz0123456789()[]\u00f6\u00e4\u00fc.-+#=!<>");
// Whether typed text begins a search: it occurs, lower-cased, in the set.
// Keys without text (arrows, function keys) never do.
bool beginsTypeToSelect(const QString& typed);

// The characters a key types, as a layout shows them: Ctrl does not turn a
// letter or digit into a control character here (Ctrl+F is "f", Ctrl+5 "5").
QString typedCharacters(const QKeyEvent& event);

// The quick-launch digit of a key (1 to 9 by key, not by layout); 0 for none.
int quickLaunchDigit(const QKeyEvent& event);

// Row steps of any list or table. selectNextRow: the row after the selected
// one, scrolled into view; row 0 (not scrolled) when none is selected;
// nothing at the last row. selectPreviousRow: the row before, scrolled into
// view; row 0 when none is selected; nothing at row 0. Both do nothing on an
// empty list.
void selectNextRow(QAbstractItemView& view);
void selectPreviousRow(QAbstractItemView& view);

} // namespace vantel
