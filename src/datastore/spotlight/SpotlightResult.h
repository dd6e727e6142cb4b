#pragma once

#include <QDateTime>
#include <QHashFunctions>
#include <QList>
#include <QSet>
#include <QString>

#include <cstddef>
#include <functional>
#include <optional>

namespace vantel {

// One application as a query pass reports it. The last-used date travels
// along but never makes two results different. The query core and the
// file-system query each keep their own kind, told apart by the tag.
template <class Kind>
struct BasicSpotlightResult {
    std::optional<QString> path;
    std::optional<QString> displayname;
    std::optional<QDateTime> lastUsedDate;

    bool operator==(const BasicSpotlightResult& other) const
    {
        return path == other.path && displayname == other.displayname;
    }
};

struct SpotlightResultKind;
using SpotlightResult = BasicSpotlightResult<SpotlightResultKind>;

// For each of path and display name: a presence flag, then the string when
// present.
template <class Kind>
std::size_t qHash(const BasicSpotlightResult<Kind>& result, std::size_t seed = 0)
{
    const auto combine = [](std::size_t h, std::size_t value) {
        return h ^ (value + 0x9e3779b9U + (h << 6) + (h >> 2));
    };
    seed = combine(seed, result.path.has_value() ? 1 : 0);
    if (result.path)
        seed = combine(seed, qHash(*result.path));
    seed = combine(seed, result.displayname.has_value() ? 1 : 0);
    if (result.displayname)
        seed = combine(seed, qHash(*result.displayname));
    return seed;
}

// What changed between two passes. Unchanged and added follow the current
// pass's order, removed the previous pass's; each result once. Distinct is
// the current pass itself with its repeats left out.
template <class Result>
struct SpotlightResultDiff {
    QList<Result> unchanged;
    QList<Result> added;
    QList<Result> removed;
    QList<Result> distinct;
};

template <class Result>
SpotlightResultDiff<Result> diffSpotlightResults(const QList<Result>& previous, const QList<Result>& current)
{
    // One set per pass, which also tells repeats apart: a first pass (with
    // nothing before it) hashes each result once.
    QSet<Result> previousSet;
    previousSet.reserve(previous.size());
    for (const Result& result : previous)
        previousSet.insert(result);
    QSet<Result> currentSet;
    currentSet.reserve(current.size());
    SpotlightResultDiff<Result> diff;
    for (const Result& result : current) {
        const qsizetype before = currentSet.size();
        currentSet.insert(result);
        if (currentSet.size() == before)
            continue; // a repeat
        diff.distinct.append(result);
        (previousSet.contains(result) ? diff.unchanged : diff.added).append(result);
    }
    QSet<Result> removedSet;
    for (const Result& result : previous) {
        if (currentSet.contains(result))
            continue;
        const qsizetype before = removedSet.size();
        removedSet.insert(result);
        if (removedSet.size() != before)
            diff.removed.append(result);
    }
    // A list that took every element of a pass in order is that pass: it
    // shares its buffer instead of holding a second copy.
    if (diff.distinct.size() == current.size())
        diff.distinct = current;
    if (diff.unchanged.size() == current.size())
        diff.unchanged = current;
    if (diff.added.size() == current.size())
        diff.added = current;
    if (diff.removed.size() == previous.size())
        diff.removed = previous;
    return diff;
}

} // namespace vantel

template <class Kind>
struct std::hash<vantel::BasicSpotlightResult<Kind>> {
    std::size_t operator()(const vantel::BasicSpotlightResult<Kind>& result) const noexcept
    {
        return vantel::qHash(result);
    }
};
