#include "popups/CustomTextFieldForEditingTags.h"

#include "model/TagNames.h"
#include "popups/CustomTextFieldDelegate.h"

namespace vantel {

CustomTextFieldForEditingTags::CustomTextFieldForEditingTags(QWidget* parent)
    : CustomTextField(parent)
{
    setMaxLength(70);
}

void CustomTextFieldForEditingTags::controlTextDidBeginEditing()
{
    tagNameBeforeEdit_ = text();
}

void CustomTextFieldForEditingTags::controlTextDidEndEditing()
{
    tagNameAfterEdit_ = normalizeTagName(text());
    if (tagNameBeforeEdit_.isEmpty())
        return;
    if (tagNameAfterEdit_.isEmpty() || tagNameAfterEdit_ == tagNameBeforeEdit_) {
        setText(tagNameBeforeEdit_);
        return;
    }
    if (customTextFieldDelegate_
        && !customTextFieldDelegate_->shouldChangeValue(tagNameBeforeEdit_, tagNameAfterEdit_))
        setText(tagNameBeforeEdit_);
}

bool CustomTextFieldForEditingTags::cancelOperation()
{
    setText(tagNameBeforeEdit_);
    return true;
}

} // namespace vantel
