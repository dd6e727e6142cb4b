#pragma once

#include <QString>

#include <optional>

namespace vantel {

// What a hotkey belongs to; the raw value is the case name.
enum class HotKeyType { userDefinedKey, globalHotKey, tagKey, tagKeyLaunchAll, categoryKey };

namespace HotKeyTypeInfo {
QString rawValue(HotKeyType type);
// Exact, case-sensitive.
std::optional<HotKeyType> fromRawValue(const QString& rawValue);
} // namespace HotKeyTypeInfo

} // namespace vantel
