#pragma once

#include <QKeyEvent>

#include <optional>

class QLineEdit;

namespace vantel {

// The editing key equivalents of the text and token fields: Ctrl+X, C, V, Z,
// A and Ctrl+Shift+Z. The modifiers must be exactly these: with Caps Lock or
// any further modifier the key is left to the widget's own handling.
enum class EditAction { cut, copy, paste, undo, selectAll, redo };

// The modifier masks of the table (the Command key is Ctrl here).
constexpr Qt::KeyboardModifiers commandKey = Qt::ControlModifier;
constexpr Qt::KeyboardModifiers commandShiftKey = Qt::ControlModifier | Qt::ShiftModifier;

// The action of a key press; none for every other event.
std::optional<EditAction> editActionForKeyEvent(const QKeyEvent& event);

// Sends the action to the line edit; false when it is read-only and the
// action would change its text (then nobody handled it).
bool performEditAction(QLineEdit& edit, EditAction action);

} // namespace vantel
