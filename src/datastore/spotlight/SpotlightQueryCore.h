#pragma once

#include "datastore/spotlight/SpotlightQueryCoreSandboxAccess.h"
#include "datastore/spotlight/SpotlightQueryResultState.h"
#include "datastore/spotlight/SpotlightQueryState.h"
#include "datastore/spotlight/SpotlightResult.h"
#include "model/SynchronizedArray.h"
#include "platform/MetadataQuery.h"
#include "platform/NotificationCenter.h"
#include "platform/Predicate.h"
#include "platform/Published.h"

#include <QStringList>

#include <memory>
#include <vector>

namespace vantel {

// Wraps one live metadata query and turns its result list into published
// lists: the complete current list, and what stayed, came and went since the
// previous processing, with the query's state and the processing state.
// Knows nothing of entries or of the store. Everything runs on the thread
// that delivers the query's notifications, the main thread.
class SpotlightQueryCore {
public:
    using ResultArray = SynchronizedArray<SpotlightResult>;

    // Runs the query's processing states and result lists through the
    // published values below; observes the query at once.
    SpotlightQueryCore();
    virtual ~SpotlightQueryCore();
    SpotlightQueryCore(const SpotlightQueryCore&) = delete;
    SpotlightQueryCore& operator=(const SpotlightQueryCore&) = delete;

    platform::MetadataQuery& metadataQuery() { return *metadataQuery_; }
    const platform::MetadataQuery& metadataQuery() const { return *metadataQuery_; }
    SpotlightQueryCoreSandboxAccess& spotlightQueryCoreSandboxAccess() { return *spotlightQueryCoreSandboxAccess_; }

    platform::Published<SpotlightQueryState>& state() { return state_; }
    platform::Published<SpotlightQueryResultState>& resultState() { return resultState_; }
    platform::Published<ResultArray::Ptr>& queryResultsComplete() { return queryResultsComplete_; }
    platform::Published<ResultArray::Ptr>& queryResultsUnchanged() { return queryResultsUnchanged_; }
    platform::Published<ResultArray::Ptr>& queryResultsAdded() { return queryResultsAdded_; }
    platform::Published<ResultArray::Ptr>& queryResultsRemoved() { return queryResultsRemoved_; }

    // Keep only results whose "kMDItemPath" is a non-empty string.
    bool processOnlyValidFSPaths() const { return processOnlyValidFSPaths_; }
    void setProcessOnlyValidFSPaths(bool on) { processOnlyValidFSPaths_ = on; }

    // The scopes wanted; applySearchScopes hands them to the query.
    QStringList searchScopes() const { return searchScopes_; }
    void setSearchScopes(const QStringList& scopes) { searchScopes_ = scopes; }

    std::shared_ptr<const platform::Predicate> query() const { return query_; }
    // Stops a begun query, then hands the predicate to it.
    void setQuery(std::shared_ptr<const platform::Predicate> predicate);

    // How long the query collects file changes before it reports an update.
    double notificationBatchingInterval() const { return notificationBatchingInterval_; }
    void setNotificationBatchingInterval(double seconds);

    void registerQueryNotifications();
    // Stops the query (it is not begun again here), ends the earlier scope
    // accesses, checks each reachable scope and hands every scope over: the
    // query awaits those not there yet.
    void applySearchScopes();
    // 0 begun, 1 the query refused to begin, 2 gathering already, 3 no predicate.
    int runQuery();
    // Rebuilds the four lists from the query's current results.
    void processResults();
    // The last results are the first of a run begun again: every one counts as added.
    bool lastResultsFromFreshRun() const { return lastResultsFromFreshRun_; }
    // Which pass made the complete list, counted from 1 (the empty list
    // before any), and which pass the last one was compared with: 0 for none.
    quint64 completePass() const { return completePass_; }
    quint64 comparedWithPass() const { return comparedWithPass_; }

    void onQueryDidStartGatheringWith(const platform::Notification& notification);
    void onQueryGatheringProgressWith(const platform::Notification& notification);
    void onQueryDidFinishGatheringWith(const platform::Notification& notification);
    void onQueryDidUpdateWith(const platform::Notification& notification);

protected:
    // The query's result items in its order; processResults walks them.
    virtual QList<platform::MetadataItem> currentQueryResults() const { return metadataQuery_->results(); }

private:
    const std::unique_ptr<platform::MetadataQuery> metadataQuery_;
    const std::unique_ptr<SpotlightQueryCoreSandboxAccess> spotlightQueryCoreSandboxAccess_;
    platform::Published<SpotlightQueryState> state_{SpotlightQueryState::unknown};
    platform::Published<SpotlightQueryResultState> resultState_{SpotlightQueryResultState::unknown};
    platform::Published<ResultArray::Ptr> queryResultsComplete_{ResultArray::create()};
    platform::Published<ResultArray::Ptr> queryResultsUnchanged_{ResultArray::create()};
    platform::Published<ResultArray::Ptr> queryResultsAdded_{ResultArray::create()};
    platform::Published<ResultArray::Ptr> queryResultsRemoved_{ResultArray::create()};
    bool processOnlyValidFSPaths_ = true;
    bool forgetEarlierResults_ = false; // the next results are diffed against none
    bool lastResultsFromFreshRun_ = false;
    quint64 passes_ = 1;
    quint64 completePass_ = 1;
    quint64 comparedWithPass_ = 0;
    QStringList searchScopes_;
    std::shared_ptr<const platform::Predicate> query_;
    double notificationBatchingInterval_ = 1.0;
    std::vector<platform::ObserverToken> observers_;
};

} // namespace vantel
