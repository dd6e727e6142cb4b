#include "model/MainViewServices.h"

#include <mutex>

namespace vantel {

namespace {
std::mutex sharedMutex;
std::shared_ptr<MainViewServices>& sharedServices()
{
    static std::shared_ptr<MainViewServices> services;
    return services;
}
} // namespace

std::shared_ptr<MainViewServices> MainViewServices::shared()
{
    std::lock_guard lock(sharedMutex);
    return sharedServices();
}

void MainViewServices::setShared(std::shared_ptr<MainViewServices> services)
{
    std::lock_guard lock(sharedMutex);
    sharedServices() = std::move(services);
}

} // namespace vantel
