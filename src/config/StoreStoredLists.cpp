#include "config/StoreStoredLists.h"

#include "config/Configuration.h"

namespace vantel {

void StoreStoredLists::save(Configuration& config, bool removeUnusedTags)
{
    config.saveAllDataArray();
    config.saveTagDataArray(removeUnusedTags);
    config.saveURLTemplateDataArray();
}

void StoreStoredLists::load(Configuration& config)
{
    config.loadAllDataArray();
    config.loadTagDataArray();
    config.loadURLTemplateDataArray();
}

} // namespace vantel
