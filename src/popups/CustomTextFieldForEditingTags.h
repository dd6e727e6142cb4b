#pragma once

#include "popups/CustomTextField.h"

namespace vantel {

class CustomTextFieldDelegate;

// The tag-name editor of the tags pane. The name is normalised when editing
// ends; an empty or unchanged name shows the old one again without asking,
// any other is taken only when the delegate agrees (without a delegate it
// stays as typed). Escape shows the name from the start of editing again.
class CustomTextFieldForEditingTags : public CustomTextField {
    Q_OBJECT
public:
    explicit CustomTextFieldForEditingTags(QWidget* parent = nullptr);

    QString tagNameBeforeEdit() const { return tagNameBeforeEdit_; }
    QString tagNameAfterEdit() const { return tagNameAfterEdit_; }
    // Not owned.
    CustomTextFieldDelegate* customTextFieldDelegate() const { return customTextFieldDelegate_; }
    void setCustomTextFieldDelegate(CustomTextFieldDelegate* delegate) { customTextFieldDelegate_ = delegate; }

protected:
    void controlTextDidBeginEditing() override;
    void controlTextDidEndEditing() override;
    bool cancelOperation() override;

private:
    QString tagNameBeforeEdit_;
    QString tagNameAfterEdit_;
    CustomTextFieldDelegate* customTextFieldDelegate_ = nullptr;
};

} // namespace vantel
