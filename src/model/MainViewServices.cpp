#include "model/MainViewServices.h"

#include "model/SeamInstance.h"

namespace vantel {

std::shared_ptr<MainViewServices> MainViewServices::shared()
{
    return SeamInstance<MainViewServices>::get();
}

void MainViewServices::setShared(std::shared_ptr<MainViewServices> services)
{
    SeamInstance<MainViewServices>::set(std::move(services));
}

} // namespace vantel
