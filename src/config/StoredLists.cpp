#include "config/StoredLists.h"

#include "model/SeamInstance.h"

namespace vantel {

std::shared_ptr<StoredLists> StoredLists::shared()
{
    return SeamInstance<StoredLists>::get();
}

void StoredLists::setShared(std::shared_ptr<StoredLists> lists)
{
    SeamInstance<StoredLists>::set(std::move(lists));
}

} // namespace vantel
