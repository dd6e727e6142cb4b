#pragma once

#include <QString>

#include <optional>

namespace vantel {

// Kind of an entry.
enum class ListviewItemType {
    folder,
    file,
    application,
    url,
    tag,
    unknown,
};

// The raw value (the text stored in archives and used in filters).
QString rawValue(ListviewItemType value);
// The case of a raw value; none when the text is no case.
std::optional<ListviewItemType> listviewItemTypeFromRawValue(const QString& raw);
// Unknown texts become `unknown`, never an error.
ListviewItemType listviewItemTypeFromRawValueOrUnknown(const QString& raw);

} // namespace vantel
