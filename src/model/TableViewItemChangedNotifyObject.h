#pragma once

#include "model/TableViewItemChangeReason.h"

#include <QString>

#include <optional>

namespace vantel {

// The object of every "tableViewItemChanged" notification: it names the entry
// by its path at the time of the change; observers look the entry up. Posted
// by value in the notification's std::any.
struct TableViewItemChangedNotifyObject {
    QString path;
    std::optional<TableViewItemChangeReason> reason;
};

} // namespace vantel
