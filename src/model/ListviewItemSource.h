#pragma once

#include <QString>

#include <optional>

namespace vantel {

// Origin of an entry; `other` means the user created it.
enum class ListviewItemSource {
    spotlight,
    shortcuts,
    tags,
    other,
};

// The raw value (the text stored in archives and used in filters).
QString rawValue(ListviewItemSource value);
// The case of a raw value; none when the text is no case.
std::optional<ListviewItemSource> listviewItemSourceFromRawValue(const QString& raw);
// Unknown texts become `other`, never an error.
ListviewItemSource listviewItemSourceFromRawValueOrOther(const QString& raw);

} // namespace vantel
