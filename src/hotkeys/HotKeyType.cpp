#include "hotkeys/HotKeyType.h"

#include <array>

namespace vantel {

namespace {
constexpr std::array<const char*, 5> names{"userDefinedKey", "globalHotKey", "tagKey", "tagKeyLaunchAll",
                                           "categoryKey"};
}

QString HotKeyTypeInfo::rawValue(HotKeyType type)
{
    return QString::fromLatin1(names[static_cast<std::size_t>(type)]);
}

std::optional<HotKeyType> HotKeyTypeInfo::fromRawValue(const QString& rawValue)
{
    for (std::size_t i = 0; i < names.size(); ++i)
        if (rawValue == QLatin1String(names[i]))
            return static_cast<HotKeyType>(i);
    return std::nullopt;
}

} // namespace vantel
