#include "model/DispatchQueueManager.h"

#include <atomic>

namespace vantel {

namespace {
std::atomic<int> creations{0};
}

std::shared_ptr<platform::DispatchQueue> DispatchQueueManager::sharedQueue()
{
    static const std::shared_ptr<platform::DispatchQueue> queue = [] {
        creations.fetch_add(1);
        return platform::DispatchQueue::create(QStringLiteral("ThreadSafe Dispatch Queue"),
                                               platform::DispatchQueue::Kind::Concurrent);
    }();
    return queue;
}

int DispatchQueueManager::creationCount()
{
    return creations.load();
}

} // namespace vantel
