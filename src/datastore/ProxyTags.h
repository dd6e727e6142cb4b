#pragma once

#include "datastore/DataProxy.h"
#include "model/iconTag.h"
#include "platform/NotificationCenter.h"

#include <atomic>

namespace vantel {

class DataStorage;
class TagManager;

// Keeps one entry of kind tag in the store's entry list for every visible
// tag: path the tag's name, name "Tag [<name>]". Refreshed when the tag
// manager announces that the visible tags or their use counters changed;
// the entries show in the lists after the next rebuild.
class ProxyTags : public DataProxy {
public:
    ProxyTags(DataStorage& store, TagManager& tagManager);
    ~ProxyTags() override;
    ProxyTags(const ProxyTags&) = delete;
    ProxyTags& operator=(const ProxyTags&) = delete;

    bool initialized() const override { return initialized_.load(); }
    // Observes "visibleTagsRebuildNeeded" and "visibleTagsUseCounterChanged"
    // of its tag manager.
    void initialize() override;
    bool enabled() const override { return enabled_.load(); }
    // Only logs a change; a refresh needs a notification.
    void setEnabled(bool enabled) override;

    static QString entryName(const QString& tagName);

    // Marks the tag entries of visible tags, adds the missing ones and removes
    // the rest; nothing while disabled.
    void refreshTagEntries();
    void validateTagEntry(const iconTag& tag);

private:
    DataStorage& store_;
    TagManager& tagManager_;
    std::atomic<bool> enabled_{false};
    std::atomic<bool> initialized_{false};
    platform::ObserverToken rebuildObserver_;
    platform::ObserverToken counterObserver_;
};

} // namespace vantel
