#pragma once

#include <cstdint>

namespace vantel {

// The one numbering of what adding or modifying an entry answers; the
// handlers pass the codes of the store on unchanged.
enum class DatastorageResultCode : std::uint8_t {
    done = 0,
    notIdle = 1,
    urlInvalid = 2,
    entryExists = 3,
    titleEmpty = 4,
    nothingChanged = 5,
    pathEmptyOrAccessDenied = 6,
};

constexpr unsigned toUInt(DatastorageResultCode code)
{
    return static_cast<unsigned>(code);
}

} // namespace vantel
