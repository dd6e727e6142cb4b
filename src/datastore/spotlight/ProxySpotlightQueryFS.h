#pragma once

#include "datastore/DataProxy.h"
#include "datastore/spotlight/SpotlightQueryFS.h"
#include "platform/Cancellable.h"
#include "platform/NotificationCenter.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>

namespace vantel {

class DataStorage;

namespace platform {
class Timer;
}

// Keeps the catalogue's application entries in step with the desktop-entry
// index: applications that appear are verified or added, applications whose
// file is gone move to the trash, and each merge that changed the store asks
// it for a (debounced) rebuild. Owned by the store it feeds.
//
// Results that arrive while the store is busy are kept and merged at the
// next idle moment (after the store's next rebuild, or by a short retry
// timer), because the query has already moved past them and would not
// report them again.
class ProxySpotlightQueryFS : public DataProxy {
public:
    using FSResultArray = SpotlightQueryFS::FSResultArray;

    static inline const QString predicateFormat = QStringLiteral("kMDItemContentType == 'com.apple.application-bundle'");

    explicit ProxySpotlightQueryFS(DataStorage& store);
    ~ProxySpotlightQueryFS() override;
    ProxySpotlightQueryFS(const ProxySpotlightQueryFS&) = delete;
    ProxySpotlightQueryFS& operator=(const ProxySpotlightQueryFS&) = delete;

    SpotlightQueryFS& spotlightQuery() { return *spotlightQuery_; }

    bool initialized() const override { return initialized_.load(); }
    // Collects the scopes (every XDG application folder, there or not, then
    // the default and the custom ones), applies them and, when there are
    // any, subscribes to the query's lists. A folder not there yet is
    // awaited by the query and searched once it appears.
    void initialize() override;
    bool enabled() const override { return enabled_.load(); }
    void setEnabled(bool enabled) override;
    // Starts or stops the query when the switch changed.
    void enabledDidSet(bool oldValue);

    // The scopes collected by initialize().
    QStringList searchScopes() const;
    // Collects the scopes anew after "customSpotlightSearchScopeChanged" and,
    // when they differ, searches them, restarting a running query. The
    // results that lay only in scopes removed leave at once, as a restart
    // would not find them; their user data stays as a restart keeps it.
    void searchScopesChanged();
    // The paths of the last complete list, sorted.
    QStringList spotlightResultComplete() const;

    void storeCompleteResults(const FSResultArray::Ptr& results);
    void mergeAddedResults(const FSResultArray::Ptr& results);
    void mergeRemovedResults(const FSResultArray::Ptr& results);

    // Results kept back while the store was busy.
    bool hasPendingResults() const;
    // Merges the kept results when the store is idle; answers whether it did.
    bool mergePendingResults();
    // How often a busy store is asked again; tests shorten it.
    void setPendingRetryInterval(std::chrono::milliseconds interval) { pendingRetryInterval_ = interval; }

private:
    void keepPending(const QList<SpotlightFSResult>& added, const QList<SpotlightFSResult>& removed);
    void schedulePendingRetry(std::chrono::milliseconds interval);
    // The merges proper; the store is idle.
    void addResults(const QList<SpotlightFSResult>& results);
    enum class Rebuild { later, now };
    void removeResults(const QList<SpotlightFSResult>& results, Rebuild rebuild = Rebuild::later);
    // Sends the results that lie only in scopes no longer searched the way
    // of a file gone.
    void dropResultsOfRemovedScopes(const QStringList& before, const QStringList& now);
    // Lies in a scope removed and in none searched now.
    bool inRemovedScopeOnly(const QString& path) const;

    DataStorage& store_;
    const std::unique_ptr<SpotlightQueryFS> spotlightQuery_;
    platform::Cancellable spotlightQueryCompleteSubscriber_;
    platform::Cancellable spotlightQueryAddedSubscriber_;
    platform::Cancellable spotlightQueryRemovedSubscriber_;
    std::atomic<bool> enabled_{false};
    std::atomic<bool> initialized_{false};

    // Read by the diagnostic export from any thread.
    mutable std::mutex mutex_;
    QStringList searchScopes_;
    QStringList spotlightResultComplete_;

    // Main thread. Cleaned: the scopes searched, those removed since the
    // start and not added again, and the results the query dropped whose
    // file is still there (a scan cut short), so still in the store.
    QSet<QString> scopeFolders_;
    QSet<QString> removedScopes_;
    QSet<QString> keptWhileThere_;

    QList<SpotlightFSResult> pendingAdded_;
    QList<SpotlightFSResult> pendingRemoved_;
    std::shared_ptr<platform::Timer> pendingRetryTimer_;
    std::chrono::milliseconds pendingRetryInterval_{500};
    platform::ObserverToken rebuildObserver_;
    platform::ObserverToken scopeObserver_;
};

} // namespace vantel
