#include "model/TableViewItemChangeReason.h"

#include <array>

namespace vantel {

namespace {
constexpr std::array<std::pair<TableViewItemChangeReason, const char*>, 8> rawValues{{
    {TableViewItemChangeReason::tagChanged, "tagChanged"},
    {TableViewItemChangeReason::commentChanged, "commentChanged"},
    {TableViewItemChangeReason::visibilityChanged, "visibilityChanged"},
    {TableViewItemChangeReason::colorChanged, "colorChanged"},
    {TableViewItemChangeReason::hotkeyChanged, "hotkeyChanged"},
    {TableViewItemChangeReason::favoriteChanged, "favoriteChanged"},
    {TableViewItemChangeReason::pathChanged, "pathChanged"},
    {TableViewItemChangeReason::nameChanged, "nameChanged"},
}};
} // namespace

QString rawValue(TableViewItemChangeReason value)
{
    for (const auto& [caseValue, raw] : rawValues)
        if (caseValue == value)
            return QString::fromLatin1(raw);
    return {};
}

std::optional<TableViewItemChangeReason> tableViewItemChangeReasonFromRawValue(const QString& raw)
{
    for (const auto& [caseValue, text] : rawValues)
        if (raw == QLatin1String(text))
            return caseValue;
    return std::nullopt;
}

} // namespace vantel
