#pragma once

#include <QString>

#include <optional>

namespace vantel {

// Where the data store is in a rebuild or a view update. The raw value of a
// case is its name.
enum class DatastorageState {
    idle,
    changingCurrentData,
    changingCurrentDataConfig,
    changingAllData,
    rebuildData,
    validateData,
};

QString rawValue(DatastorageState state);
std::optional<DatastorageState> datastorageStateFromRawValue(const QString& raw);

} // namespace vantel
