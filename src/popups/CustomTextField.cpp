#include "popups/CustomTextField.h"

#include "popups/CharacterLimit.h"
#include "popups/EditKeyEquivalents.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QPointer>

namespace vantel {

CustomTextField::CustomTextField(QWidget* parent)
    : QLineEdit(parent)
{
    connect(this, &QLineEdit::textEdited, this, [this] { textDidChange(); });
}

void CustomTextField::setMaxLength(std::optional<int> maxLength)
{
    maxLength_ = maxLength;
}

void CustomTextField::textDidChange()
{
    if (!editingSession_)
        textDidBeginEditing();
    if (maxLength_ && *maxLength_ > 0) {
        const QString current = text();
        if (characterCount(current) > *maxLength_) {
            const int cursor = cursorPosition();
            const QString cut = leftCharacters(current, *maxLength_);
            setText(cut);
            setCursorPosition(std::min(cursor, int(cut.size())));
        }
    }
    if (didChangeHandler)
        didChangeHandler();
}

void CustomTextField::textDidBeginEditing()
{
    editingSession_ = true;
    isCurrentlyEditing_ = true;
    if (didBeginEditingHandler)
        didBeginEditingHandler();
    controlTextDidBeginEditing();
}

void CustomTextField::textDidEndEditing()
{
    if (!editingSession_)
        return;
    editingSession_ = false;
    isCurrentlyEditing_ = false;
    if (didEndEditingHandler)
        didEndEditingHandler();
    // What ends the editing may close the editor this field is.
    const QPointer<CustomTextField> self(this);
    controlTextDidEndEditing();
    if (self)
        emit editingEnded();
}

void CustomTextField::endEditing()
{
    textDidEndEditing();
}

bool CustomTextField::event(QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        // Keep the equivalents from application shortcuts of the same keys.
        if (editActionForKeyEvent(*static_cast<QKeyEvent*>(event))) {
            event->accept();
            return true;
        }
    }
    return QLineEdit::event(event);
}

void CustomTextField::keyPressEvent(QKeyEvent* event)
{
    if (const auto action = editActionForKeyEvent(*event)) {
        if (performEditAction(*this, *action)) {
            event->accept();
            return;
        }
    }
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && cancelOperation()) {
        event->accept();
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && editingSession_) {
        QLineEdit::keyPressEvent(event);
        const QPointer<CustomTextField> self(this);
        textDidEndEditing();
        if (self && hasFocus())
            selectAll();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void CustomTextField::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    if (editingSession_)
        return;
    isCurrentlyEditing_ = true;
    if (willBecomeFirstResponder)
        willBecomeFirstResponder();
    if (!isCurrentlyEditing_) {
        clearFocus();
        return;
    }
    textDidBeginEditing();
}

void CustomTextField::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    // A context menu or another window taking the activation leaves the
    // editing in place, as a completion popup does.
    if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason)
        return;
    textDidEndEditing();
}

} // namespace vantel
