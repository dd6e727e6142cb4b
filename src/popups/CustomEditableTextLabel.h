#pragma once

#include "popups/CustomTextField.h"

namespace vantel {

class CustomTextFieldDelegate;

// A label that a double click turns into an editor (the sidebar captions of
// tags). It becomes a label again when editing ends, is cancelled with
// Escape or loses the focus. The edited text, trimmed of spaces and tabs, is
// taken (and shown trimmed) only when it is not empty, differs, and the
// delegate agrees or there is none; otherwise the old text shows again.
class CustomEditableTextLabel : public CustomTextField {
    Q_OBJECT
public:
    explicit CustomEditableTextLabel(QWidget* parent = nullptr);

    bool isEditable() const { return !isReadOnly(); }
    QString valueBeforeEdit() const { return valueBeforeEdit_; }
    QString valueAfterEdit() const { return valueAfterEdit_; }
    bool editIsAllowed() const { return editIsAllowed_; }
    void setEditIsAllowed(bool allowed) { editIsAllowed_ = allowed; }
    // Not owned.
    CustomTextFieldDelegate* customTextFieldDelegate() const { return customTextFieldDelegate_; }
    void setCustomTextFieldDelegate(CustomTextFieldDelegate* delegate) { customTextFieldDelegate_ = delegate; }

protected:
    void controlTextDidBeginEditing() override;
    void controlTextDidEndEditing() override;
    bool cancelOperation() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void setEditable(bool editable);

    QString valueBeforeEdit_;
    QString valueAfterEdit_;
    bool editIsAllowed_ = true;
    bool cancelling_ = false;
    CustomTextFieldDelegate* customTextFieldDelegate_ = nullptr;
};

} // namespace vantel
