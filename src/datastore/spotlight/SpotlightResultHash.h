#pragma once

#include <QHashFunctions>
#include <QString>

#include <cstddef>
#include <optional>

namespace vantel {

// Results are told apart by path and display name only: for each, a presence
// flag, then the string when present.
inline std::size_t spotlightResultHash(const std::optional<QString>& path, const std::optional<QString>& displayname,
                                       std::size_t seed = 0)
{
    const auto combine = [](std::size_t h, std::size_t value) {
        return h ^ (value + 0x9e3779b9U + (h << 6) + (h >> 2));
    };
    seed = combine(seed, path.has_value() ? 1 : 0);
    if (path)
        seed = combine(seed, qHash(*path));
    seed = combine(seed, displayname.has_value() ? 1 : 0);
    if (displayname)
        seed = combine(seed, qHash(*displayname));
    return seed;
}

} // namespace vantel
