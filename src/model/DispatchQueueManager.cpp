#include "model/DispatchQueueManager.h"

#include <cstdint>

namespace vantel {

namespace {

// One lock per cache line, so that neighbouring locks don't share one.
struct alignas(64) PaddedLock {
    std::shared_mutex mutex;
};

} // namespace

std::shared_mutex& DispatchQueueManager::lockFor(const void* address)
{
    static PaddedLock locks[lockCount];
    // Objects are at least 8-byte aligned: the low bits carry nothing.
    auto bits = reinterpret_cast<std::uintptr_t>(address) >> 4;
    bits ^= bits >> 7;
    return locks[bits % lockCount].mutex;
}

} // namespace vantel
