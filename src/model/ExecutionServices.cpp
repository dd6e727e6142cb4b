#include "model/ExecutionServices.h"

#include <mutex>

namespace vantel {

namespace {
std::mutex sharedMutex;
std::shared_ptr<ExecutionServices>& sharedServices()
{
    static std::shared_ptr<ExecutionServices> services;
    return services;
}
} // namespace

std::shared_ptr<ExecutionServices> ExecutionServices::shared()
{
    std::lock_guard lock(sharedMutex);
    return sharedServices();
}

void ExecutionServices::setShared(std::shared_ptr<ExecutionServices> services)
{
    std::lock_guard lock(sharedMutex);
    sharedServices() = std::move(services);
}

} // namespace vantel
