#include "popups/CustomTextFieldForEditingComment.h"

namespace vantel {

CustomTextFieldForEditingComment::CustomTextFieldForEditingComment(QWidget* parent)
    : CustomTextField(parent)
{
    setMaxLength(100);
}

void CustomTextFieldForEditingComment::controlTextDidEndEditing()
{
    if (const TableViewItemPtr item = ownerItem())
        item->setComment(text());
}

} // namespace vantel
