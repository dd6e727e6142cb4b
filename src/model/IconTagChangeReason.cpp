#include "model/IconTagChangeReason.h"

#include <array>

namespace vantel {

namespace {
constexpr std::array<std::pair<IconTagChangeReason, const char*>, 5> rawValues{{
    {IconTagChangeReason::visibilityChanged, "visibilityChanged"},
    {IconTagChangeReason::colorChanged, "colorChanged"},
    {IconTagChangeReason::hotkeyChanged, "hotkeyChanged"},
    {IconTagChangeReason::nameChanged, "nameChanged"},
    {IconTagChangeReason::symbolChanged, "symbolChanged"},
}};
} // namespace

QString rawValue(IconTagChangeReason value)
{
    for (const auto& [caseValue, raw] : rawValues)
        if (caseValue == value)
            return QString::fromLatin1(raw);
    return {};
}

std::optional<IconTagChangeReason> iconTagChangeReasonFromRawValue(const QString& raw)
{
    for (const auto& [caseValue, text] : rawValues)
        if (raw == QLatin1String(text))
            return caseValue;
    return std::nullopt;
}

} // namespace vantel
