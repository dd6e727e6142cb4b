#include "popups/CustomTextFieldForEditingTags.h"

#include "model/TagNames.h"
#include "popups/CustomTextFieldDelegate.h"

#include <QPointer>

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
    if (!customTextFieldDelegate_)
        return;
    // The delegate may ask in an alert, whose loop can close this field's
    // editor: nothing of the field is touched once it is gone.
    const QString before = tagNameBeforeEdit_;
    const QString after = tagNameAfterEdit_;
    const QPointer<CustomTextFieldForEditingTags> self(this);
    const bool changed = customTextFieldDelegate_->shouldChangeValue(before, after);
    if (self && !changed)
        setText(before);
}

bool CustomTextFieldForEditingTags::cancelOperation()
{
    setText(tagNameBeforeEdit_);
    return true;
}

} // namespace vantel
