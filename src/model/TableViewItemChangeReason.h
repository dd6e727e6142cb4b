#pragma once

#include <QString>

#include <optional>

namespace vantel {

// Why "tableViewItemChanged" was posted.
enum class TableViewItemChangeReason {
    tagChanged,
    commentChanged,
    visibilityChanged,
    colorChanged,
    hotkeyChanged,
    favoriteChanged,
    pathChanged,
    nameChanged,
};

// The raw value (the text stored in archives and used in filters).
QString rawValue(TableViewItemChangeReason value);
// The case of a raw value; none when the text is no case.
std::optional<TableViewItemChangeReason> tableViewItemChangeReasonFromRawValue(const QString& raw);

} // namespace vantel
