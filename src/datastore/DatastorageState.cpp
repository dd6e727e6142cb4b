#include "datastore/DatastorageState.h"

#include <array>
#include <utility>

namespace vantel {

namespace {

constexpr std::array<std::pair<DatastorageState, const char*>, 6> names{{
    {DatastorageState::idle, "idle"},
    {DatastorageState::changingCurrentData, "changingCurrentData"},
    {DatastorageState::changingCurrentDataConfig, "changingCurrentDataConfig"},
    {DatastorageState::changingAllData, "changingAllData"},
    {DatastorageState::rebuildData, "rebuildData"},
    {DatastorageState::validateData, "validateData"},
}};

} // namespace

QString rawValue(DatastorageState state)
{
    for (const auto& [value, name] : names)
        if (value == state)
            return QString::fromLatin1(name);
    return {};
}

std::optional<DatastorageState> datastorageStateFromRawValue(const QString& raw)
{
    for (const auto& [value, name] : names)
        if (raw == QLatin1String(name))
            return value;
    return std::nullopt;
}

} // namespace vantel
