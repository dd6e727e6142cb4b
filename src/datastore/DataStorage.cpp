#include "datastore/DataStorage.h"

#include "datastore/DataStoragePathIndex.h"
#include "datastore/DatastorageHandlerFilesystemObjects.h"
#include "datastore/DatastorageHandlerURLObjects.h"
#include "datastore/ProxyLastUsedApps.h"
#include "datastore/ProxyTags.h"
#include "datastore/TagManager.h"
#include "datastore/spotlight/ProxySpotlightQueryFS.h"
#include "model/ExecutionServices.h"
#include "model/Logger.h"
#include "model/TagNames.h"
#include "platform/Log.h"
#include "platform/NotificationCenter.h"
#include "platform/Timer.h"
#include "config/Configuration.h"

#include <QHash>
#include <QSet>

namespace vantel {

namespace {

const platform::LogCategory& category()
{
    return Logger::dataStorage();
}

// Anything the user set on the entry, which only the saved entry list keeps.
bool carriesUserData(const TableViewItem& entry)
{
    return !entry.tags().isEmpty() || !entry.comment().isEmpty() || entry.color() || entry.hotkey()
        || entry.isFavorite() || !entry.isVisible();
}

std::shared_ptr<const platform::Predicate> parsedOrFalse(const QString& format)
{
    auto predicate = platform::Predicate::fromFormat(format);
    return predicate ? predicate : platform::Predicate::value(false);
}

} // namespace

DataStorage& DataStorage::shared()
{
    // Never released: observers and timers may refer to it until the end.
    static DataStorage* const store = new DataStorage();
    return *store;
}

DataStorage::DataStorage()
    : allData_(EntryArray::create())
    , pathIndex_(std::make_unique<DataStoragePathIndex>(allData_))
    , currentData_(EntryArray::create())
    , currentDataConfig_(EntryArray::create())
    , predicate_(parsedOrFalse(QString::fromLatin1(DataStorageFilterCurrentData::defaultPredicateFormat)))
    , filterCurrentData_(*this)
    , filterConfigData_(*this)
    , tagManager_(std::make_unique<TagManager>(*this))
    , proxyTags_(std::make_shared<ProxyTags>(*this, *tagManager_))
    , URLHandler_(std::make_unique<DatastorageHandlerURLObjects>(*this))
    , filesystemHandler_(std::make_unique<DatastorageHandlerFilesystemObjects>(*this))
{
    setProxySpotlightQueryFSAllApps(std::make_shared<ProxySpotlightQueryFS>(*this));
    setProxyLastUsedApps(std::make_shared<ProxyLastUsedApps>(*this));
}

DataStorage::~DataStorage()
{
    // Switched off without the proxy hook: nothing is passed on any more.
    enableDataProxies_.store(false);
    std::lock_guard lock(mutex_);
    if (rebuildDataTimer_)
        rebuildDataTimer_->invalidate();
}

// ---- Lists ----

EntryArray::Ptr DataStorage::currentData() const
{
    std::lock_guard lock(mutex_);
    return currentData_;
}

EntryArray::Ptr DataStorage::currentDataConfig() const
{
    std::lock_guard lock(mutex_);
    return currentDataConfig_;
}

QList<TableViewItemPtr> DataStorage::trashData() const
{
    std::lock_guard lock(mutex_);
    return trashData_;
}

void DataStorage::clearTrashData()
{
    std::lock_guard lock(mutex_);
    trashData_.clear();
}

// ---- State ----

DatastorageState DataStorage::state() const
{
    return state_.load();
}

void DataStorage::setState(DatastorageState state)
{
    state_.store(state);
    VLOG(category(), platform::LogType::Default, "changed State of DataStorage to: %{public}@", rawValue(state));
}

// ---- Proxies ----

void DataStorage::setEnableDataProxies(bool enable)
{
    enableDataProxies_.store(enable);

    const auto discovery = proxySpotlightQueryFSAllApps_;
    const auto recent = proxyLastUsedApps_;
    if (discovery && !discovery->initialized())
        discovery->initialize();
    if (!proxyTags_->initialized())
        proxyTags_->initialize();
    if (recent && !recent->initialized())
        recent->initialize();

    if (discovery)
        discovery->setEnabled(enable);
    proxyTags_->setEnabled(enable);
    if (recent)
        recent->setEnabled(enable);
}

void DataStorage::setProxySpotlightQueryFSAllApps(std::shared_ptr<DataProxy> proxy)
{
    proxySpotlightQueryFSAllApps_ = std::move(proxy);
}

void DataStorage::setProxyLastUsedApps(std::shared_ptr<DataProxy> proxy)
{
    proxyLastUsedApps_ = std::move(proxy);
}

// ---- Rebuild ----

void DataStorage::rebuildData(DataStorageRebuildReason reason)
{
    VLOG(category(), platform::LogType::Default, "-> RebuildData - Request initiated: %{public}@", text(reason));
    if (Configuration::shared().saveInProgress()) {
        VLOG(category(), platform::LogType::Error, "RebuildData was called while save was in progress");
        return;
    }
    if (allData_->isEmpty()) {
        VLOG(category(), platform::LogType::Error, "allData was empty!");
        // Both windows learn that their lists are empty now. While a filter
        // is under way it posts for itself, and the hooks must not reset the
        // state under it.
        if (state() == DatastorageState::idle) {
            setCurrentData(EntryArray::create());
            setCurrentDataConfig(EntryArray::create());
        } else {
            currentData()->removeAll();
        }
        return;
    }
    if (state() != DatastorageState::idle) {
        VLOG(category(), platform::LogType::Error, "RebuildData was called while the DataStorage was not idle");
        return;
    }

    setState(DatastorageState::validateData);
    validateData();

    setState(DatastorageState::rebuildData);
    filterCurrentData_.applyFilterForRebuild();
    filterConfigData_.applyFilter();

    setState(DatastorageState::idle);
    VLOG(category(), platform::LogType::Default, "<- RebuildData");
    platform::NotificationCenter::defaultCenter().post(QStringLiteral("dataStorageRebuildIsFinished"), {}, this);
}

void DataStorage::validateData()
{
    VLOG(category(), platform::LogType::Default, "-> start validateData");

    // The entries store normalised names; so do the records they are matched with.
    tagManager_->normalizeTagRecords();

    const TagArray::Ptr& tagList = tagManager_->allAvailableTags();
    const QList<iconTagPtr> tags = tagList->snapshot();
    // Lookups go through an index of the list; tags appended below go into
    // the list and the index alike, so the next lookup sees them. The first
    // tag of a name wins, as in a search of the list.
    QHash<QString, iconTagPtr> byName;
    for (const iconTagPtr& tag : tags) {
        if (!tag)
            continue;
        tag->setTagUsed(false);
        tag->setTagVisible(false); // announces the change when it was visible
        tag->setTagUseCounter(0);
        const QString name = tag->tagName();
        if (!byName.contains(name))
            byName.insert(name, tag);
    }

    VLOG(category(), platform::LogType::Default, "allData contains %{public}@ items", QString::number(allData_->count()));

    for (const TableViewItemPtr& entry : allData_->snapshot()) {
        if (!entry)
            continue;
        const bool reachable = entry->isReachable();
        const bool visible = entry->isVisible();
        const QStringList names = entry->tags();

        // A discovered application whose bundle has gone leaves for the
        // trash; an application the user added stays, and so does one that
        // carries user data: the trash is not saved, and the bundle may be
        // back after an upgrade or a remount.
        if (!reachable && entry->itemType() == ListviewItemType::application
            && entry->itemSource() != ListviewItemSource::other && !carriesUserData(*entry)) {
            if (moveEntryToTrash(entry->path(), false))
                continue;
        }

        // Normalised names are looked up in both passes, so that an entry
        // whose stored name is not normalised still shows and counts its tag.
        QStringList normalised;
        normalised.reserve(names.size());
        for (const QString& name : names)
            normalised.append(normalizeTagName(name));

        for (const QString& name : std::as_const(normalised)) {
            if (name.isEmpty())
                continue; // a name of blanks names no tag
            if (const iconTagPtr tag = byName.value(name)) {
                tag->setTagUsed(true);
                continue;
            }
            const iconTagPtr tag = iconTag::create(name, tagManager_->defaultTag);
            tag->setTagUsed(true);
            tagList->append(tag);
            byName.insert(name, tag);
        }

        if (!visible || !reachable)
            continue;
        for (const QString& name : std::as_const(normalised)) {
            const iconTagPtr tag = byName.value(name);
            if (!tag)
                continue;
            tag->setTagVisible(true);
            tag->setTagUsed(true);
            tag->setTagUseCounter(tag->tagUseCounter() + 1);
        }
    }
    tagUsageKnown_.store(true);

    VLOG(category(), platform::LogType::Default, "<- finished validateData");
}

void DataStorage::databaseUpdateFinished()
{
    VLOG(category(), platform::LogType::Default, "databaseUpdateFinished");
    if (firstDataCollection_.load()) {
        rebuildData(DataStorageRebuildReason::spotlightDatabaseFirstUpdate);
        firstDataCollection_.store(false);
    } else {
        std::lock_guard lock(mutex_);
        if (rebuildDataTimer_)
            rebuildDataTimer_->invalidate();
        rebuildDataTimer_ = platform::Timer::scheduled(rebuildDataTimerInterval_, false, [this] { rebuildDataWithTimer(); });
    }

    if (!Configuration::shared().launchedBefore() && tagManager_->allAvailableTags()->isEmpty()) {
        std::function<void()> presets;
        {
            std::lock_guard lock(mutex_);
            presets = firstRunPresets_;
        }
        if (presets)
            presets();
    }
}

void DataStorage::launchAllEntriesOfTag(const QString& tagName)
{
    if (auto services = ExecutionServices::shared())
        services->launchAllEntriesOfTag(tagName);
}

void DataStorage::rebuildDataWithTimer()
{
    rebuildData(DataStorageRebuildReason::spotlightDatabaseUpdated);
}

std::shared_ptr<platform::Timer> DataStorage::rebuildDataTimer() const
{
    std::lock_guard lock(mutex_);
    return rebuildDataTimer_;
}

void DataStorage::setFirstRunPresets(std::function<void()> presets)
{
    std::lock_guard lock(mutex_);
    firstRunPresets_ = std::move(presets);
}

// ---- View hooks ----

void DataStorage::setCurrentData(EntryArray::Ptr list)
{
    replaceList(currentData_, std::move(list), false, false);
}

void DataStorage::setCurrentDataConfig(EntryArray::Ptr list)
{
    replaceList(currentDataConfig_, std::move(list), true, false);
}

void DataStorage::setDistinctCurrentData(EntryArray::Ptr list)
{
    replaceList(currentData_, std::move(list), false, true);
}

void DataStorage::setDistinctCurrentDataConfig(EntryArray::Ptr list)
{
    replaceList(currentDataConfig_, std::move(list), true, true);
}

void DataStorage::replaceList(EntryArray::Ptr& slot, EntryArray::Ptr list, bool config, bool distinct)
{
    if (!list)
        list = EntryArray::create();
    EntryArray::Ptr old;
    bool bothDistinct = false;
    {
        std::lock_guard lock(mutex_);
        old = std::exchange(slot, list);
        bool& slotDistinct = config ? currentDataConfigDistinct_ : currentDataDistinct_;
        bothDistinct = distinct && std::exchange(slotDistinct, distinct);
    }
    // Entries count by identity: order and repeats do not.
    const bool same = bothDistinct && old->count() != list->count() ? false : old->isEqual(*list);
    setState(DatastorageState::idle);

    auto& center = platform::NotificationCenter::defaultCenter();
    if (config) {
        if (same) {
            VLOG(category(), platform::LogType::Default,
                 "currentDataConfig: NOT modified and same as previous value. Posting currentDataConfigNotChangedWithLastRequest");
            center.post(QStringLiteral("currentDataConfigNotChangedWithLastRequest"), {}, this);
        } else {
            VLOG(category(), platform::LogType::Default,
                 "currentDataConfig: modified and different from previous value. Posting currentDataConfigChanged");
            center.post(QStringLiteral("currentDataConfigChanged"), {}, this);
        }
    } else {
        if (same) {
            VLOG(category(), platform::LogType::Default,
                 "currentData: NOT modified and same as previous value. Posting currentDataNotChangedWithLastRequest");
            center.post(QStringLiteral("currentDataNotChangedWithLastRequest"), {}, this);
        } else {
            VLOG(category(), platform::LogType::Default,
                 "currentData: modified and different from previous value. Posting currentDataChanged");
            center.post(QStringLiteral("currentDataChanged"), {}, this);
        }
    }
}

// ---- Category queries ----

DataStorage::Categories DataStorage::allDataCategories() const
{
    Categories found;
    // Reachability may touch the disk: tested on a copy, outside the queue,
    // and only for an entry that would add a category not yet found.
    for (const TableViewItemPtr& entry : allData_->snapshot()) {
        if (!entry)
            continue;
        const ListviewItemType type = entry->itemType();
        const bool favorite = entry->isFavorite() && !found.favorites;
        const bool file = type == ListviewItemType::file && !found.files;
        const bool folder = type == ListviewItemType::folder && !found.folders;
        const bool url = type == ListviewItemType::url && !found.urls;
        const bool shortcut = entry->itemSource() == ListviewItemSource::shortcuts && !found.shortcuts;
        if (!(favorite || file || folder || url || shortcut) || !entry->isVisible() || !entry->isReachable())
            continue;
        found.favorites = found.favorites || favorite;
        found.files = found.files || file;
        found.folders = found.folders || folder;
        found.urls = found.urls || url;
        found.shortcuts = found.shortcuts || shortcut;
        if (found.favorites && found.files && found.folders && found.urls && found.shortcuts)
            break;
    }
    return found;
}

bool DataStorage::allDataContainsFavorites() const
{
    return allDataCategories().favorites;
}

bool DataStorage::allDataContainsFiles() const
{
    return allDataCategories().files;
}

bool DataStorage::allDataContainsFolders() const
{
    return allDataCategories().folders;
}

bool DataStorage::allDataContainsURLs() const
{
    return allDataCategories().urls;
}

bool DataStorage::allDataContainsShortcuts() const
{
    return allDataCategories().shortcuts;
}

// ---- Editing the entry list ----

bool DataStorage::entryPathMatches(const TableViewItem& entry, const QString& path)
{
    return entry.pathLowercased() == path.toLower();
}

bool DataStorage::entryPathHasPrefix(const TableViewItem& entry, const QString& prefix)
{
    return entry.pathLowercased().startsWith(prefix.toLower());
}

TableViewItemPtr DataStorage::entryForPath(const QString& path) const
{
    return pathIndex_->entryForPath(path);
}

bool DataStorage::removeFromAllData(const QString& path)
{
    if (path.isEmpty())
        return false;
    VLOG(category(), platform::LogType::Default, "Remove from allData to temporary trash: %{public}@", path);
    return moveEntryToTrash(path, true);
}

bool DataStorage::moveEntryToTrash(const QString& path, bool clearHotkey)
{
    if (path.isEmpty())
        return false;
    const TableViewItemPtr entry = entryForPath(path);
    if (!entry) {
        VLOG(category(), platform::LogType::Error, "Unable to remove from allData - Entry not found! : %{public}@", path);
        return false;
    }

    // A vanished entry that carries user data stays, unreachable, so that it
    // is saved and found again when its file comes back.
    if (!clearHotkey && carriesUserData(*entry)) {
        entry->setIsFoundBySpotlight(false);
        VLOG(category(), platform::LogType::Default, "Kept entry with user data in allData: %{public}@", path);
        return true;
    }

    {
        std::lock_guard lock(mutex_);
        // The newer entry of a path replaces an older one in the trash.
        const QString lowered = path.toLower();
        trashData_.removeIf([&lowered](const TableViewItemPtr& e) { return e->pathLowercased() == lowered; });
        entry->setIsFoundBySpotlight(false);
        trashData_.append(entry);
    }
    // The setter announces hotkeyChanged only when there was a hotkey; it
    // posts outside the lock.
    if (clearHotkey)
        entry->setHotkey(std::nullopt);

    // Removed by identity in one write, so a concurrent edit that shifted the
    // list cannot make it remove another entry.
    allData_->remove(entry);
    pathIndex_->didRemove(entry);
    VLOG(category(), platform::LogType::Default, "Moved entry into trash: %{public}@", path);
    return true;
}

TableViewItemPtr DataStorage::restoreFromTrash(const QString& path)
{
    if (path.isEmpty())
        return nullptr;
    TableViewItemPtr trashed;
    {
        std::lock_guard lock(mutex_);
        const QString lowered = path.toLower();
        for (const TableViewItemPtr& e : std::as_const(trashData_)) {
            if (e->pathLowercased() == lowered) {
                trashed = e;
                break;
            }
        }
    }
    if (!trashed)
        return nullptr;

    TableViewItemPtr result;
    if (!entryForPath(path) && addToAllData(trashed) == DatastorageResultCode::done)
        result = trashed;
    {
        std::lock_guard lock(mutex_);
        trashData_.removeOne(trashed);
    }
    VLOG(category(), platform::LogType::Default, "Restored entry from trash: %{public}@", path);
    return result;
}

DatastorageResultCode DataStorage::addToAllData(const TableViewItemPtr& entry)
{
    if (!entry)
        return DatastorageResultCode::pathEmptyOrAccessDenied;
    const QString path = entry->path();
    if (!path.isEmpty() && entryForPath(path)) {
        VLOG(category(), platform::LogType::Error,
             "Unable to add to allData because en Entry with the same path already exisis: %{public}@", path);
        return DatastorageResultCode::entryExists;
    }
    allData_->append(entry);
    pathIndex_->didAppend({entry});
    VLOG(category(), platform::LogType::Default, "Add to allData: %{public}@", path);
    return DatastorageResultCode::done;
}

QList<DatastorageResultCode> DataStorage::addToAllData(const QList<TableViewItemPtr>& entries)
{
    QList<DatastorageResultCode> codes;
    QList<TableViewItemPtr> accepted;
    QSet<QString> batch;
    for (const TableViewItemPtr& entry : entries) {
        if (!entry) {
            codes << DatastorageResultCode::pathEmptyOrAccessDenied;
            continue;
        }
        const QString path = entry->path();
        if (!path.isEmpty() && (batch.contains(path.toLower()) || entryForPath(path))) {
            VLOG(category(), platform::LogType::Error,
                 "Unable to add to allData because en Entry with the same path already exisis: %{public}@", path);
            codes << DatastorageResultCode::entryExists;
            continue;
        }
        if (!path.isEmpty())
            batch.insert(path.toLower());
        accepted << entry;
        VLOG(category(), platform::LogType::Default, "Add to allData: %{public}@", path);
        codes << DatastorageResultCode::done;
    }
    if (accepted.isEmpty())
        return codes;
    allData_->appendContentsOf(accepted);
    pathIndex_->didAppend(accepted);
    return codes;
}

bool DataStorage::setTag(const QString& path, const QString& tag)
{
    if (path.isEmpty() || tag.isEmpty())
        return false;
    const QString lowered = path.toLower();
    const auto index = allData_->firstIndex([&lowered](const TableViewItemPtr& e) { return e && e->pathLowercased() == lowered; });
    if (!index)
        return false;
    const TableViewItemPtr entry = allData_->at(*index).value_or(nullptr);
    if (!entry || entry->pathLowercased() != lowered) {
        VLOG(category(), platform::LogType::Error, "Set Tag failed - Entry not found! : %{public}@", path);
        return false;
    }
    VLOG(category(), platform::LogType::Default, "Set Tag: %{public}@", path);
    entry->setTags({});
    entry->setTags({tag});
    return true;
}

bool DataStorage::appendTag(const QString& path, const QString& tag)
{
    const TableViewItemPtr entry = path.isEmpty() ? nullptr : entryForPath(path);
    if (!entry) {
        VLOG(category(), platform::LogType::Error, "append Tag failed - Entry not found! : %{public}@", path);
        return false;
    }
    VLOG(category(), platform::LogType::Default, "Append Tag: %{public}@", path);
    QStringList tags = entry->tags();
    // The entry holds its names normalised.
    if (tags.contains(normalizeTagName(tag)))
        return false;
    tags.append(tag);
    entry->setTags(tags);
    return true;
}

} // namespace vantel
