#include "model/ListviewItemSource.h"

#include <array>

namespace vantel {

namespace {
constexpr std::array<std::pair<ListviewItemSource, const char*>, 4> rawValues{{
    {ListviewItemSource::spotlight, "spotlight"},
    {ListviewItemSource::shortcuts, "shortcuts"},
    {ListviewItemSource::tags, "tags"},
    {ListviewItemSource::other, "other"},
}};
} // namespace

QString rawValue(ListviewItemSource value)
{
    for (const auto& [caseValue, raw] : rawValues)
        if (caseValue == value)
            return QString::fromLatin1(raw);
    return {};
}

std::optional<ListviewItemSource> listviewItemSourceFromRawValue(const QString& raw)
{
    for (const auto& [caseValue, text] : rawValues)
        if (raw == QLatin1String(text))
            return caseValue;
    return std::nullopt;
}

ListviewItemSource listviewItemSourceFromRawValueOrOther(const QString& raw)
{
    return listviewItemSourceFromRawValue(raw).value_or(ListviewItemSource::other);
}

} // namespace vantel
