#pragma once

#include "config/StoredLists.h"

namespace vantel {

// The stored lists written from and read into the settings' data store and
// URL templates (Configuration::dataStorage(), urlManager()), in the order
// entries, tags, URL templates.
class StoreStoredLists : public StoredLists {
public:
    void save(Configuration& config, bool removeUnusedTags) override;
    void load(Configuration& config) override;
};

} // namespace vantel
