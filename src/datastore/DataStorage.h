#pragma once

#include "datastore/DataProxy.h"
#include "datastore/DataStorageFilterConfigData.h"
#include "datastore/DataStorageFilterCurrentData.h"
#include "datastore/DataStorageRebuildReason.h"
#include "datastore/DatastorageResultCode.h"
#include "datastore/DatastorageState.h"
#include "model/SynchronizedArray.h"
#include "model/TableViewItem.h"
#include "platform/Predicate.h"

#include <QList>
#include <QString>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>

namespace vantel {

namespace platform {
class Timer;
}

class DataStoragePathIndex;
class DatastorageHandlerFilesystemObjects;
class DatastorageHandlerURLObjects;
class ProxyTags;
class TagManager;

using EntryArray = SynchronizedArray<TableViewItemPtr>;

// The catalogue's single source of truth: every entry, the two filtered
// lists that the main window and the configuration window show, and the
// entries removed while the program runs. Every change that may alter what
// the lists show ends in rebuildData, which recounts the tags, refilters both
// lists and posts "dataStorageRebuildIsFinished".
//
// The store owns its tag manager, its proxies (tag entries, recent launches,
// application discovery) and the handlers that add URLs and files. A rebuild and its
// notifications run synchronously on the calling thread (the main thread in
// practice); the state machine guards against re-entry, it is not a lock.
// Notifications go to the default centre with no object; their sender is the
// store, so a second store (as in tests) is told apart by its observers.
class DataStorage {
public:
    // The one store of the program, created on first use.
    static DataStorage& shared();

    DataStorage();
    ~DataStorage();
    DataStorage(const DataStorage&) = delete;
    DataStorage& operator=(const DataStorage&) = delete;

    // ---- Lists ----
    // Every entry; the same array object for the life of the store.
    const EntryArray::Ptr& allData() const { return allData_; }
    // The main window's list; replaced by its filter.
    EntryArray::Ptr currentData() const;
    // The configuration window's list; replaced by its filter.
    EntryArray::Ptr currentDataConfig() const;
    // Entries removed while the program runs, at most one per lower-cased path.
    QList<TableViewItemPtr> trashData() const;
    // Empties the trash (the import of an export file does).
    void clearTrashData();

    // "isVisible = true AND isReachable = true"
    const std::shared_ptr<const platform::Predicate>& predicate() const { return predicate_; }

    DataStorageFilterCurrentData& filterCurrentData() { return filterCurrentData_; }
    DataStorageFilterConfigData& filterConfigData() { return filterConfigData_; }
    TagManager& tagManager() { return *tagManager_; }
    ProxyTags& proxyTags() { return *proxyTags_; }
    // Adding and changing URL entries, adding files and folders.
    DatastorageHandlerURLObjects& URLHandler() { return *URLHandler_; }
    DatastorageHandlerFilesystemObjects& filesystemHandler() { return *filesystemHandler_; }

    // ---- State ----
    DatastorageState state() const;
    // Every store logs the new state.
    void setState(DatastorageState state);
    bool firstDataCollection() const { return firstDataCollection_.load(); }

    // ---- Proxies ----
    bool enableDataProxies() const { return enableDataProxies_.load(); }
    // Every store (also of the same value) initialises the proxies that are
    // not yet initialised and passes the value on: discovery, tags, recent
    // launches, in this order.
    void setEnableDataProxies(bool enable);
    std::shared_ptr<DataProxy> proxySpotlightQueryFSAllApps() const { return proxySpotlightQueryFSAllApps_; }
    void setProxySpotlightQueryFSAllApps(std::shared_ptr<DataProxy> proxy);
    std::shared_ptr<DataProxy> proxyLastUsedApps() const { return proxyLastUsedApps_; }
    void setProxyLastUsedApps(std::shared_ptr<DataProxy> proxy);

    // ---- Rebuild ----
    // Validates the tags, refilters both lists and posts
    // "dataStorageRebuildIsFinished". Dropped, with a log line, while a save
    // is in progress, while the entry list is empty (which empties both
    // lists through their hooks, so their notifications go out) or while the
    // store is not idle; a dropped request is not queued.
    void rebuildData(DataStorageRebuildReason reason);
    // Recounts the tags from the entries; called by rebuildData only.
    void validateData();
    // True once a validation has judged the tags against the entries since
    // either list was last replaced. Until then every tag reads as unused,
    // so pruning the unused ones would remove them all.
    bool tagUsageKnown() const { return tagUsageKnown_.load(); }
    // Said by whoever replaces the tag or the entry list (a load, an import).
    void forgetTagUsage() { tagUsageKnown_.store(false); }
    // After each merge of discovered applications: the first rebuilds at
    // once, later ones (re)start a one-shot timer, so a burst gives one
    // rebuild after its last merge. Applies the first-run tag presets while
    // the program was never launched before and there are no tags.
    void databaseUpdateFinished();
    // The timer's action.
    void rebuildDataWithTimer();
    std::shared_ptr<platform::Timer> rebuildDataTimer() const;
    // 3.0 s; tests shorten it.
    std::chrono::milliseconds rebuildDataTimerInterval() const { return rebuildDataTimerInterval_; }
    void setRebuildDataTimerInterval(std::chrono::milliseconds interval) { rebuildDataTimerInterval_ = interval; }
    // What databaseUpdateFinished runs for the first-run tag presets (fill the
    // predefined application tags and apply them); installed by the settings
    // subsystem.
    void setFirstRunPresets(std::function<void()> presets);

    // The filters hand their new lists over through these: the old and new
    // lists are compared by entry identity, the state goes back to idle and
    // the changed / not-changed notification goes out.
    void setCurrentData(EntryArray::Ptr list);
    void setCurrentDataConfig(EntryArray::Ptr list);
    // The same for lists the caller knows to hold no entry twice: between two
    // such lists another length is another set, found without comparing.
    void setDistinctCurrentData(EntryArray::Ptr list);
    void setDistinctCurrentDataConfig(EntryArray::Ptr list);

    // Opens every visible, reachable entry of the tag, asking first when there
    // are many; carried out by the item-access layer installed at launch.
    void launchAllEntriesOfTag(const QString& tagName);

    // ---- Category queries (visible and reachable entries only) ----
    struct Categories {
        bool favorites = false;
        bool files = false;
        bool folders = false;
        bool urls = false;
        bool shortcuts = false;
    };
    // All five in one pass, which ends once each one has an entry.
    Categories allDataCategories() const;
    bool allDataContainsFavorites() const;
    bool allDataContainsFiles() const;
    bool allDataContainsFolders() const;
    bool allDataContainsURLs() const;
    bool allDataContainsShortcuts() const;

    // ---- Editing the entry list (no rebuild: the caller requests it) ----
    bool removeFromAllData(const QString& path);
    // Moves the entry of the path into the trash, where it replaces an older
    // entry of the same path. clearHotkey true is a removal (the hotkey is
    // cleared through its setter); false is an entry whose file has gone
    // (validation, discovery): one that carries user data (tags, comment,
    // colour, hotkey, favourite, hidden) stays in allData instead, not found
    // by discovery and so unreachable, and still counts as handled (true).
    bool moveEntryToTrash(const QString& path, bool clearHotkey);
    // The restored entry; none when the path is not in the trash or is in
    // allData again (the trash entry is dropped either way).
    TableViewItemPtr restoreFromTrash(const QString& path);
    // done, or entryExists when an entry has the path already.
    DatastorageResultCode addToAllData(const TableViewItemPtr& entry);
    // The same for many entries, with the same checks and log lines, in one
    // write of the list; an entry whose path an earlier one of them holds is
    // refused as well.
    QList<DatastorageResultCode> addToAllData(const QList<TableViewItemPtr>& entries);
    bool setTag(const QString& path, const QString& tag);
    bool appendTag(const QString& path, const QString& tag);

    // Case-insensitive path tests.
    static bool entryPathMatches(const TableViewItem& entry, const QString& path);
    static bool entryPathHasPrefix(const TableViewItem& entry, const QString& prefix);
    // The first entry of allData with the path (case-insensitive), through
    // an index by lower-cased path; see DataStoragePathIndex for how it stays
    // in step with writes straight to allData.
    TableViewItemPtr entryForPath(const QString& path) const;
    DataStoragePathIndex& pathIndex() const { return *pathIndex_; }

private:
    void replaceList(EntryArray::Ptr& slot, EntryArray::Ptr list, bool config, bool distinct);

    mutable std::mutex mutex_; // guards the replaced lists, the trash and the timer
    std::shared_ptr<platform::Timer> rebuildDataTimer_;
    std::chrono::milliseconds rebuildDataTimerInterval_{3000};
    std::atomic<DatastorageState> state_{DatastorageState::idle};
    std::atomic<bool> firstDataCollection_{true};
    std::atomic<bool> enableDataProxies_{false};
    std::atomic<bool> tagUsageKnown_{false};
    std::function<void()> firstRunPresets_;

    const EntryArray::Ptr allData_;
    const std::unique_ptr<DataStoragePathIndex> pathIndex_;
    EntryArray::Ptr currentData_;
    EntryArray::Ptr currentDataConfig_;
    bool currentDataDistinct_ = false;       // as the filters said when they set it
    bool currentDataConfigDistinct_ = false;
    QList<TableViewItemPtr> trashData_;
    const std::shared_ptr<const platform::Predicate> predicate_;

    DataStorageFilterCurrentData filterCurrentData_;
    DataStorageFilterConfigData filterConfigData_;

    std::unique_ptr<TagManager> tagManager_;
    std::shared_ptr<ProxyTags> proxyTags_;
    std::unique_ptr<DatastorageHandlerURLObjects> URLHandler_;
    std::unique_ptr<DatastorageHandlerFilesystemObjects> filesystemHandler_;
    std::shared_ptr<DataProxy> proxySpotlightQueryFSAllApps_;
    std::shared_ptr<DataProxy> proxyLastUsedApps_;
};

} // namespace vantel
