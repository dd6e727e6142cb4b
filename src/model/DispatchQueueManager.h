#pragma once

#include <shared_mutex>

namespace vantel {

// Owns the reader-writer locks that every ThreadSafe value shares: a fixed
// table, created once on first use (also under concurrent first use) and kept
// for the life of the process. A value picks its lock by its address, so a
// value costs no lock of its own and a write is a store on the calling thread,
// not a hand-off to another one.
class DispatchQueueManager {
public:
    static constexpr int lockCount = 128;

    // The lock that guards the value at `address`; always the same one for
    // the same address.
    static std::shared_mutex& lockFor(const void* address);
};

} // namespace vantel
