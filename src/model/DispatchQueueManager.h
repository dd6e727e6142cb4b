#pragma once

#include "platform/DispatchQueue.h"

#include <memory>

namespace vantel {

// Owns the one concurrent queue that every ThreadSafe value shares.
class DispatchQueueManager {
public:
    // Created on first use (once, also under concurrent first use) and kept
    // for the life of the process.
    static std::shared_ptr<platform::DispatchQueue> sharedQueue();
    // How many times the shared queue has been created (1 after first use).
    static int creationCount();
};

} // namespace vantel
