#pragma once

#include "datastore/spotlight/SpotlightResultHash.h"

#include <QDateTime>
#include <QString>

#include <functional>
#include <optional>

namespace vantel {

// One application as the file-system query keeps it between passes. The
// last-used date travels along but never makes two results different.
struct SpotlightFSResult {
    std::optional<QString> path;
    std::optional<QString> displayname;
    std::optional<QDateTime> lastUsedDate;

    bool operator==(const SpotlightFSResult& other) const
    {
        return path == other.path && displayname == other.displayname;
    }
};

inline size_t qHash(const SpotlightFSResult& result, size_t seed = 0)
{
    return spotlightResultHash(result.path, result.displayname, seed);
}

} // namespace vantel

template <>
struct std::hash<vantel::SpotlightFSResult> {
    std::size_t operator()(const vantel::SpotlightFSResult& result) const noexcept
    {
        return vantel::spotlightResultHash(result.path, result.displayname);
    }
};
