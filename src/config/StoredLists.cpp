#include "config/StoredLists.h"

#include <mutex>

namespace vantel {

namespace {
std::mutex sharedMutex;
std::shared_ptr<StoredLists>& sharedLists()
{
    static std::shared_ptr<StoredLists> lists;
    return lists;
}
} // namespace

std::shared_ptr<StoredLists> StoredLists::shared()
{
    std::lock_guard lock(sharedMutex);
    return sharedLists();
}

void StoredLists::setShared(std::shared_ptr<StoredLists> lists)
{
    std::lock_guard lock(sharedMutex);
    sharedLists() = std::move(lists);
}

} // namespace vantel
