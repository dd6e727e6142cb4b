#pragma once

#include "model/TableViewItem.h"
#include "model/ViewController.h"

#include <QString>

#include <optional>

namespace vantel {

// What the URL handler hands to the add-or-modify-URL pane, whose logic and
// widgets live in the settings above the store: the values it opens with and
// the fields it fills from them.
class AddModifyURLPane : public ViewController {
public:
    std::optional<QString> newOrModifyURL;
    std::optional<QString> newOrModifyTitle;
    std::optional<QString> newOrModifyComment;
    // The tag a new entry gets.
    std::optional<QString> newOrModifyTag;

    // The URL entry being modified; setting one fills the values and fields
    // from it.
    virtual void setReferenceTableViewItem(const TableViewItemPtr& entry) = 0;
    // Puts newOrModifyURL (or nothing) into the URL field.
    virtual void refreshURLField() = 0;
    virtual void setSiteTitleText(const QString& text) = 0;
    virtual void setSiteCommentText(const QString& text) = 0;
};

} // namespace vantel
