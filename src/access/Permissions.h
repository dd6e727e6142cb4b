#pragma once

#include <QtGlobal>

namespace vantel {

// What an access check found or requires: a covering bookmark, direct read
// access, direct read and write access. Callers ask with 3 to open or read,
// 5 before writing, 1 for the root folder at launch.
struct Permissions {
    qint64 rawValue = 0;

    static constexpr qint64 bookmarkBit = 1;
    static constexpr qint64 readBit = 2;
    static constexpr qint64 readWriteBit = 4;

    static constexpr Permissions bookmark() { return Permissions{bookmarkBit}; }
    static constexpr Permissions read() { return Permissions{readBit}; }
    static constexpr Permissions readWrite() { return Permissions{readWriteBit}; }
    static constexpr Permissions none() { return Permissions{0}; }

    constexpr bool isEmpty() const { return rawValue == 0; }
    constexpr bool contains(Permissions other) const { return (rawValue & other.rawValue) == other.rawValue; }
    constexpr bool intersects(Permissions other) const { return (rawValue & other.rawValue) != 0; }
    constexpr void insert(Permissions other) { rawValue |= other.rawValue; }
    constexpr Permissions operator|(Permissions other) const { return Permissions{rawValue | other.rawValue}; }
    constexpr bool operator==(const Permissions&) const = default;
};

} // namespace vantel
