#include "model/ExecutionServices.h"

#include "model/SeamInstance.h"

namespace vantel {

std::shared_ptr<ExecutionServices> ExecutionServices::shared()
{
    return SeamInstance<ExecutionServices>::get();
}

void ExecutionServices::setShared(std::shared_ptr<ExecutionServices> services)
{
    SeamInstance<ExecutionServices>::set(std::move(services));
}

} // namespace vantel
