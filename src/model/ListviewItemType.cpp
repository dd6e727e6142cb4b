#include "model/ListviewItemType.h"

#include <array>

namespace vantel {

namespace {
constexpr std::array<std::pair<ListviewItemType, const char*>, 6> rawValues{{
    {ListviewItemType::folder, "folder"},
    {ListviewItemType::file, "file"},
    {ListviewItemType::application, "application"},
    {ListviewItemType::url, "url"},
    {ListviewItemType::tag, "tag"},
    {ListviewItemType::unknown, "unknown"},
}};
} // namespace

QString rawValue(ListviewItemType value)
{
    for (const auto& [caseValue, raw] : rawValues)
        if (caseValue == value)
            return QString::fromLatin1(raw);
    return {};
}

std::optional<ListviewItemType> listviewItemTypeFromRawValue(const QString& raw)
{
    for (const auto& [caseValue, text] : rawValues)
        if (raw == QLatin1String(text))
            return caseValue;
    return std::nullopt;
}

ListviewItemType listviewItemTypeFromRawValueOrUnknown(const QString& raw)
{
    return listviewItemTypeFromRawValue(raw).value_or(ListviewItemType::unknown);
}

} // namespace vantel
