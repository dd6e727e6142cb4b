#pragma once

#include <QLineEdit>

#include <functional>
#include <optional>

namespace vantel {

// A one-line text field with an optional length limit, hooks for the begin,
// change and end of editing, and the editing key equivalents (Ctrl+X, C, V,
// Z, A, Ctrl+Shift+Z with exactly those modifiers).
//
// Editing begins when the field takes the focus (or with the first change
// after an end) and ends when the focus leaves it for another widget or on
// Return, whether or not the text changed; a context menu or the window
// losing activation does not end it. The limit counts user-perceived
// characters and cuts at a character boundary, never inside an emoji or a
// combining sequence; a limit of none or 0 means no limit. Main thread only.
class CustomTextField : public QLineEdit {
    Q_OBJECT
public:
    explicit CustomTextField(QWidget* parent = nullptr);

    std::optional<int> maxLength() const { return maxLength_; }
    void setMaxLength(std::optional<int> maxLength);
    bool isCurrentlyEditing() const { return isCurrentlyEditing_; }
    // Settable by willBecomeFirstResponder: false refuses the focus.
    void setIsCurrentlyEditing(bool editing) { isCurrentlyEditing_ = editing; }

    std::function<void()> didBeginEditingHandler;
    std::function<void()> didEndEditingHandler;
    std::function<void()> didChangeHandler;
    std::function<void()> willBecomeFirstResponder;

    // Ends the current editing as a change of focus would; nothing when the
    // field is not being edited.
    void endEditing();

signals:
    // After the end of editing and its hooks.
    void editingEnded();

protected:
    // The subclasses' part of a begin and end of editing; the base does
    // nothing. Begin runs after didBeginEditingHandler, end after
    // didEndEditingHandler.
    virtual void controlTextDidBeginEditing() {}
    virtual void controlTextDidEndEditing() {}
    // Escape while the field has the focus; true when the field handled it
    // (then the key goes no further). The base leaves it to its parents.
    virtual bool cancelOperation() { return false; }

    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void textDidChange();
    void textDidBeginEditing();
    void textDidEndEditing();

    std::optional<int> maxLength_;
    bool isCurrentlyEditing_ = false;
    // Between a begin and an end of editing.
    bool editingSession_ = false;
};

} // namespace vantel
