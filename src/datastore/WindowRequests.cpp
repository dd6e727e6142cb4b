#include "datastore/WindowRequests.h"

#include <mutex>

namespace vantel {

namespace {
std::mutex sharedMutex;
std::shared_ptr<WindowRequests>& sharedRequests()
{
    static std::shared_ptr<WindowRequests> requests;
    return requests;
}
} // namespace

std::shared_ptr<WindowRequests> WindowRequests::shared()
{
    std::lock_guard lock(sharedMutex);
    return sharedRequests();
}

void WindowRequests::setShared(std::shared_ptr<WindowRequests> requests)
{
    std::lock_guard lock(sharedMutex);
    sharedRequests() = std::move(requests);
}

} // namespace vantel
