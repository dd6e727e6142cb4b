#pragma once

#include "model/TableViewItem.h"
#include "popups/CustomTextField.h"

#include <memory>

namespace vantel {

// The comment editor of a row of the configuration window's entry list: when
// editing ends, the entry of its row gets the text as its comment (the entry
// announces a change only when the comment differs).
class CustomTextFieldForEditingComment : public CustomTextField {
    Q_OBJECT
public:
    explicit CustomTextFieldForEditingComment(QWidget* parent = nullptr);

    // The entry of the row that owns the field; not kept alive by it.
    TableViewItemPtr ownerItem() const { return ownerItem_.lock(); }
    void setOwnerItem(const TableViewItemPtr& item) { ownerItem_ = item; }

protected:
    void controlTextDidEndEditing() override;

private:
    std::weak_ptr<TableViewItem> ownerItem_;
};

} // namespace vantel
