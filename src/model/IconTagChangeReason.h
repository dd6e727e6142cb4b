#pragma once

#include <QString>

#include <optional>

namespace vantel {

// Why "iconTagChanged" was posted.
enum class IconTagChangeReason {
    visibilityChanged,
    colorChanged,
    hotkeyChanged,
    nameChanged,
    symbolChanged,
};

// The raw value (the text stored in archives and used in filters).
QString rawValue(IconTagChangeReason value);
// The case of a raw value; none when the text is no case.
std::optional<IconTagChangeReason> iconTagChangeReasonFromRawValue(const QString& raw);

} // namespace vantel
