#include "datastore/WindowRequests.h"

#include "model/SeamInstance.h"

namespace vantel {

std::shared_ptr<WindowRequests> WindowRequests::shared()
{
    return SeamInstance<WindowRequests>::get();
}

void WindowRequests::setShared(std::shared_ptr<WindowRequests> requests)
{
    SeamInstance<WindowRequests>::set(std::move(requests));
}

} // namespace vantel
