#include "datastore/spotlight/ProxySpotlightQueryFS.h"

#include "datastore/DataStorage.h"
#include "model/Logger.h"
#include "platform/FileFacts.h"
#include "platform/Log.h"
#include "platform/Predicate.h"
#include "platform/Timer.h"
#include "platform/XdgPaths.h"
#include "config/Configuration.h"

#include <QDir>
#include <QHash>
#include <QSet>

#include <algorithm>

namespace vantel {

using platform::LogType;

namespace {

const platform::LogCategory& category()
{
    return Logger::spotlightProxyFS();
}

// A result's date comes from the launch history as the scan read it: a
// launch noticed while the scan ran is newer and stays.
void takeLaterDate(TableViewItem& entry, const std::optional<QDateTime>& date)
{
    if (!date)
        return;
    const std::optional<QDateTime> current = entry.lastUsedDate();
    if (!current || !current->isValid() || *current < *date)
        entry.setLastUsedDate(date);
}

// Every application folder of the XDG data directories, there or not, in
// precedence order: one that appears later (the user's own, made at start
// for "Open with Vantel"; a package format's export folder) is awaited by the
// query and searched from then on. Then the default scopes (those there when
// first asked) and the user's own folders, without repeats.
QStringList collectSearchScopes()
{
    const Configuration& config = Configuration::shared();
    QStringList scopes;
    for (const QString& folder : platform::XdgPaths::applicationDirs())
        scopes << QDir::cleanPath(folder);
    scopes += config.spotlightDefaultSearchScope() + config.customSpotlightSearchScope();
    scopes.removeDuplicates();
    return scopes;
}

QSet<QString> cleaned(const QStringList& folders)
{
    QSet<QString> result;
    for (const QString& folder : folders)
        result.insert(QDir::cleanPath(folder));
    return result;
}

// Looked up folder by folder upwards, not scope by scope: the scopes may be many.
bool liesIn(const QString& path, const QSet<QString>& folders)
{
    if (folders.isEmpty())
        return false;
    const QString clean = QDir::cleanPath(path);
    for (qsizetype slash = clean.lastIndexOf(u'/'); slash > 0; slash = clean.lastIndexOf(u'/', slash - 1)) {
        if (folders.contains(clean.left(slash)))
            return true;
    }
    return clean.startsWith(u'/') && folders.contains(QStringLiteral("/"));
}

QString lastUsedText(const std::optional<QDateTime>& date)
{
    if (!date)
        return QStringLiteral("none");
    return date->toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss +0000"));
}

} // namespace

ProxySpotlightQueryFS::ProxySpotlightQueryFS(DataStorage& store)
    : store_(store)
    , spotlightQuery_(std::make_unique<SpotlightQueryFS>())
{
    QString error;
    auto predicate = platform::Predicate::fromFormat(predicateFormat, {}, &error);
    if (!predicate)
        VLOG(category(), LogType::Fault, "Invalid query predicate: %{public}@", error);
    spotlightQuery_->setQuery(std::move(predicate));

    // Kept-back results go in once the store is idle again: right after the
    // rebuild's other observers have been told, not in the middle of them.
    rebuildObserver_ = platform::NotificationCenter::defaultCenter().addObserver(
        QStringLiteral("dataStorageRebuildIsFinished"),
        [this](const platform::Notification&) {
            if (hasPendingResults())
                schedulePendingRetry(std::chrono::milliseconds(0));
        },
        &store_);
    // A folder the user adds is searched from then on, without a restart.
    scopeObserver_ = platform::NotificationCenter::defaultCenter().addObserver(
        QStringLiteral("customSpotlightSearchScopeChanged"), [this](const platform::Notification&) { searchScopesChanged(); });
}

ProxySpotlightQueryFS::~ProxySpotlightQueryFS()
{
    scopeObserver_.reset();
    rebuildObserver_.reset();
    if (pendingRetryTimer_)
        pendingRetryTimer_->invalidate();
    spotlightQueryAddedSubscriber_.cancel();
    spotlightQueryRemovedSubscriber_.cancel();
    spotlightQueryCompleteSubscriber_.cancel();
}

QStringList ProxySpotlightQueryFS::searchScopes() const
{
    std::lock_guard lock(mutex_);
    return searchScopes_;
}

QStringList ProxySpotlightQueryFS::spotlightResultComplete() const
{
    std::lock_guard lock(mutex_);
    return spotlightResultComplete_;
}

void ProxySpotlightQueryFS::initialize()
{
    QStringList scopes = collectSearchScopes();
    {
        std::lock_guard lock(mutex_);
        // Collected without repeats already: a long list is gone through once.
        if (!searchScopes_.isEmpty()) {
            searchScopes_ += scopes;
            searchScopes_.removeDuplicates();
            scopes = searchScopes_;
        }
        searchScopes_ = scopes;
    }
    scopeFolders_ = cleaned(scopes);
    for (const QString& scope : std::as_const(scopeFolders_))
        removedScopes_.remove(scope);

    // Applying an empty list first stops the query and ends every earlier
    // scope access.
    spotlightQuery_->setSearchScopes({});
    spotlightQuery_->applySearchScopes();
    spotlightQuery_->setSearchScopes(spotlightQuery_->searchScopes() + scopes);
    spotlightQuery_->applySearchScopes();

    if (spotlightQuery_->searchScopes().isEmpty() || !spotlightQuery_->query())
        return;

    // Each subscription hands over the current (empty) list at once.
    spotlightQueryAddedSubscriber_ = spotlightQuery_->spotlightResultsAdded().subscribe(
        [this](const FSResultArray::Ptr& results) { mergeAddedResults(results); });
    spotlightQueryRemovedSubscriber_ = spotlightQuery_->spotlightResultsRemoved().subscribe(
        [this](const FSResultArray::Ptr& results) { mergeRemovedResults(results); });
    spotlightQueryCompleteSubscriber_ = spotlightQuery_->spotlightResultsComplete().subscribe(
        [this](const FSResultArray::Ptr& results) { storeCompleteResults(results); });
    initialized_.store(true);
}

void ProxySpotlightQueryFS::searchScopesChanged()
{
    if (!initialized_.load()) {
        // Not yet enabled: initialize reads the scopes. Enabled without any
        // scope, nothing was set up: the first scope sets it up now.
        if (!enabled_.load())
            return;
        initialize();
        if (initialized_.load())
            spotlightQuery_->runQuery();
        return;
    }
    const QStringList scopes = collectSearchScopes();
    QStringList before;
    {
        std::lock_guard lock(mutex_);
        if (scopes == searchScopes_)
            return;
        before = std::exchange(searchScopes_, scopes);
    }
    VLOG(category(), LogType::Info, "Search scopes changed: %{public}@", scopes.join(QStringLiteral(", ")));
    dropResultsOfRemovedScopes(before, scopes);
    spotlightQuery_->setSearchScopes(scopes);
    // Applying stops the query; a running one starts again over the new list.
    spotlightQuery_->applySearchScopes();
    if (enabled_.load())
        spotlightQuery_->runQuery();
}

void ProxySpotlightQueryFS::setEnabled(bool enabled)
{
    const bool old = enabled_.exchange(enabled);
    enabledDidSet(old);
}

void ProxySpotlightQueryFS::enabledDidSet(bool oldValue)
{
    const bool now = enabled_.load();
    if (now == oldValue)
        return;

    QString message;
    if (!now) {
        spotlightQuery_->metadataQuery().disableUpdates();
        spotlightQuery_->metadataQuery().stop();
        spotlightQuery_->state().set(SpotlightQueryState::stopped);
        message = QStringLiteral("Query stopped");
    } else {
        switch (spotlightQuery_->runQuery()) {
        case 0: message = QStringLiteral("Query successful started"); break;
        case 1: message = QStringLiteral("metadataQuery failed to start"); break;
        case 2: message = QStringLiteral("Failed to start because query is already gathering data"); break;
        default: message = QStringLiteral("Failed to start because there's no vaild predicate"); break;
        }
    }
    VLOG(category(), LogType::Info, "Proxy: SpotlightQuery state: %{public}@", message);
}

void ProxySpotlightQueryFS::storeCompleteResults(const FSResultArray::Ptr& results)
{
    if (!results)
        return;
    const QList<SpotlightFSResult> list = results->snapshot();

    const EntryArray::Ptr& allData = store_.allData();
    allData->forEach([](const TableViewItemPtr& entry) {
        if (entry)
            entry->setIsFoundBySpotlight(false);
    });
    // The first entry of each lower-cased path, as a search of the list finds it.
    QHash<QString, TableViewItemPtr> byPath;
    for (const TableViewItemPtr& entry : allData->snapshot()) {
        if (entry && !byPath.contains(entry->pathLowercased()))
            byPath.insert(entry->pathLowercased(), entry);
    }

    QStringList paths;
    for (const SpotlightFSResult& result : list) {
        if (!result.path)
            continue;
        if (!result.path->isEmpty()) {
            if (const TableViewItemPtr entry = byPath.value(result.path->toLower())) {
                entry->setIsFoundBySpotlight(true);
                entry->setItemSource(ListviewItemSource::spotlight);
            }
        }
        paths.append(*result.path);
    }
    std::sort(paths.begin(), paths.end());

    std::lock_guard lock(mutex_);
    spotlightResultComplete_ = paths;
}

void ProxySpotlightQueryFS::mergeAddedResults(const FSResultArray::Ptr& results)
{
    if (!results)
        return;
    const QList<SpotlightFSResult> list = results->snapshot();
    if (list.isEmpty()) {
        VLOG(category(), LogType::Info, "Spotlight-Results processed - No newItems found");
        return;
    }
    if (store_.state() != DatastorageState::idle) {
        VLOG(category(), LogType::Fault, "Unable to add items - Database was not idle!");
        keepPending(list, {});
        return;
    }
    mergePendingResults();
    addResults(list);
}

void ProxySpotlightQueryFS::mergeRemovedResults(const FSResultArray::Ptr& results)
{
    if (!results)
        return;
    const QList<SpotlightFSResult> list = results->snapshot();
    if (list.isEmpty()) {
        VLOG(category(), LogType::Info, "Spotlight-Results processed - No Items to remove");
        return;
    }
    if (store_.state() != DatastorageState::idle) {
        VLOG(category(), LogType::Fault, "Unable to remove items - Database was not idle!");
        keepPending({}, list);
        return;
    }
    mergePendingResults();
    removeResults(list);
}

void ProxySpotlightQueryFS::dropResultsOfRemovedScopes(const QStringList& before, const QStringList& now)
{
    scopeFolders_ = cleaned(now);
    for (const QString& scope : cleaned(before)) {
        if (!scopeFolders_.contains(scope))
            removedScopes_.insert(scope);
    }
    for (const QString& scope : std::as_const(scopeFolders_))
        removedScopes_.remove(scope);
    if (removedScopes_.isEmpty())
        return;

    // What the query found last, and what it dropped that the store kept:
    // every result in the store, without a walk of the whole catalogue.
    QList<SpotlightFSResult> dropped;
    QSet<QString> seen;
    const auto consider = [&](const QString& path) {
        if (!seen.contains(path) && inRemovedScopeOnly(path)) {
            seen.insert(path);
            dropped.append(SpotlightFSResult{path, std::nullopt, std::nullopt});
        }
    };
    for (const QString& path : spotlightResultComplete())
        consider(path);
    for (const QString& path : std::as_const(keptWhileThere_))
        consider(path);
    // Found before the change, kept back while the store was busy: gone with the scope.
    pendingAdded_.removeIf([this](const SpotlightFSResult& result) { return result.path && inRemovedScopeOnly(*result.path); });
    if (dropped.isEmpty())
        return;
    VLOG(category(), LogType::Info, "Results of removed search scopes leave: %{public}@", QString::number(dropped.size()));
    if (store_.state() != DatastorageState::idle) {
        keepPending({}, dropped);
        return;
    }
    mergePendingResults();
    removeResults(dropped, Rebuild::now);
}

bool ProxySpotlightQueryFS::inRemovedScopeOnly(const QString& path) const
{
    return liesIn(path, removedScopes_) && !liesIn(path, scopeFolders_);
}

void ProxySpotlightQueryFS::addResults(const QList<SpotlightFSResult>& results)
{
    // New entries go into the store in one write, not one each: every write
    // makes the next lookup wait for the list, which made a large first
    // discovery crawl. They are written before a restore from the trash, so
    // the list keeps the results' order.
    QList<TableViewItemPtr> created;
    QHash<QString, TableViewItemPtr> createdByPath;
    const auto addCreated = [this, &created, &createdByPath] {
        if (created.isEmpty())
            return;
        store_.addToAllData(std::exchange(created, {}));
        createdByPath.clear();
    };

    // Only this loop restores from the trash, and nothing here adds to it.
    QSet<QString> trashed;
    for (const TableViewItemPtr& entry : store_.trashData())
        trashed.insert(entry->pathLowercased());

    int handled = 0;
    for (const SpotlightFSResult& result : results) {
        if (!result.path || !result.displayname)
            continue;
        const QString& path = *result.path;
        const QString& displayName = *result.displayname;
        const QString description = path + QStringLiteral(" - LastUsed: ") + lastUsedText(result.lastUsedDate);
        keptWhileThere_.remove(path);

        TableViewItemPtr entry;
        if (!path.isEmpty()) {
            entry = createdByPath.value(path.toLower());
            if (!entry)
                entry = store_.entryForPath(path);
        }
        if (entry) {
            VLOG(category(), LogType::Info, "Available in Database, will be set to verified: %{public}@", description);
        } else {
            VLOG(category(), LogType::Default, "Not available in Database, will be added: %{public}@", description);
            if (!path.isEmpty() && trashed.contains(path.toLower())) {
                addCreated();
                entry = store_.restoreFromTrash(path);
            }
        }

        if (entry) {
            entry->setIsFoundBySpotlight(true);
            entry->setItemSource(ListviewItemSource::spotlight);
            // Posts nameChanged only when the name differs.
            entry->setName(displayName);
            takeLaterDate(*entry, result.lastUsedDate);
        } else {
            const TableViewItemPtr fresh = TableViewItem::initForSpotlightApp(path, displayName);
            fresh->setIsFoundBySpotlight(true);
            fresh->setItemSource(ListviewItemSource::spotlight);
            if (result.lastUsedDate)
                fresh->setLastUsedDate(result.lastUsedDate);
            created << fresh;
            if (!path.isEmpty())
                createdByPath.insert(path.toLower(), fresh);
        }
        ++handled;
    }
    addCreated();

    if (handled > 0) {
        VLOG(category(), LogType::Info, "Spotlight-Results processed - Items added. Begin Database-Update");
        store_.databaseUpdateFinished();
    } else {
        VLOG(category(), LogType::Info, "Spotlight-Results processed - No new Items found");
    }
}

void ProxySpotlightQueryFS::removeResults(const QList<SpotlightFSResult>& results, Rebuild rebuild)
{
    int moved = 0;
    for (const SpotlightFSResult& result : results) {
        if (!result.path)
            continue;
        // A scan cut short may drop a file that is still there: its entry
        // stays, unless its scope is gone.
        if (platform::FileFacts::isReachable(*result.path) && !inRemovedScopeOnly(*result.path)) {
            keptWhileThere_.insert(*result.path);
            continue;
        }
        keptWhileThere_.remove(*result.path);
        VLOG(Logger::dataStorage(), LogType::Default, "Remove - Name: %{public}@", *result.path);
        if (store_.moveEntryToTrash(*result.path, false))
            ++moved;
    }

    if (moved > 0) {
        VLOG(category(), LogType::Info, "Spotlight-Results processed - Items removed. Begin Database-Update");
        // A scope the user removed leaves the list at once.
        if (rebuild == Rebuild::now)
            store_.rebuildData(DataStorageRebuildReason::userInitiatedRequest);
        else
            store_.databaseUpdateFinished();
    } else {
        VLOG(category(), LogType::Info, "Spotlight-Results processed - No Items to remove");
    }
}

// ---- Results kept while the store was busy ----

bool ProxySpotlightQueryFS::hasPendingResults() const
{
    return !pendingAdded_.isEmpty() || !pendingRemoved_.isEmpty();
}

void ProxySpotlightQueryFS::keepPending(const QList<SpotlightFSResult>& added, const QList<SpotlightFSResult>& removed)
{
    // A later report of the same application cancels an earlier opposite one.
    for (const SpotlightFSResult& result : removed) {
        pendingAdded_.removeAll(result);
        if (!pendingRemoved_.contains(result))
            pendingRemoved_.append(result);
    }
    for (const SpotlightFSResult& result : added) {
        pendingRemoved_.removeAll(result);
        pendingAdded_.removeAll(result); // the newest last-used date wins
        pendingAdded_.append(result);
    }
    if (!pendingRetryTimer_ || !pendingRetryTimer_->isValid())
        schedulePendingRetry(pendingRetryInterval_);
}

void ProxySpotlightQueryFS::schedulePendingRetry(std::chrono::milliseconds interval)
{
    if (pendingRetryTimer_)
        pendingRetryTimer_->invalidate();
    pendingRetryTimer_ = platform::Timer::scheduled(interval, false, [this] {
        if (!mergePendingResults() && hasPendingResults())
            schedulePendingRetry(pendingRetryInterval_);
    });
}

bool ProxySpotlightQueryFS::mergePendingResults()
{
    if (!hasPendingResults() || store_.state() != DatastorageState::idle)
        return false;
    // Taken first: the merges below may rebuild, and the rebuild's
    // notification comes back here.
    const QList<SpotlightFSResult> removed = std::exchange(pendingRemoved_, {});
    const QList<SpotlightFSResult> added = std::exchange(pendingAdded_, {});
    VLOG(category(), LogType::Info, "Merging results kept while the Database was busy: %{public}@",
         QString::number(removed.size() + added.size()));
    if (!removed.isEmpty())
        removeResults(removed);
    if (!added.isEmpty())
        addResults(added);
    return true;
}

} // namespace vantel
