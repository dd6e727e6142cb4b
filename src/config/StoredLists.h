#pragma once

#include <memory>

namespace vantel {

class Configuration;

// Who saves and loads the three stored lists (entries, tags, URL templates)
// together with the settings. The lists are the store's, a layer above the
// settings' values, so the launch sequence installs the half of the settings
// that reads the store (StoreStoredLists); without one the settings are
// saved and loaded without their lists.
class StoredLists {
public:
    virtual ~StoredLists() = default;

    virtual void save(Configuration& config, bool removeUnusedTags) = 0;
    virtual void load(Configuration& config) = 0;

    static std::shared_ptr<StoredLists> shared();
    static void setShared(std::shared_ptr<StoredLists> lists);
};

} // namespace vantel
