#include "datastore/spotlight/SpotlightQueryCore.h"

#include "platform/FileFacts.h"
#include "platform/UnixSignals.h"

#include <QUrl>

#include <chrono>
#include <cmath>
#include <utility>

namespace vantel {

using platform::MetadataQuery;
using platform::Notification;

SpotlightQueryCore::SpotlightQueryCore()
    : metadataQuery_(std::make_unique<MetadataQuery>())
    , spotlightQueryCoreSandboxAccess_(std::make_unique<SpotlightQueryCoreSandboxAccess>())
{
    setNotificationBatchingInterval(notificationBatchingInterval_);
    registerQueryNotifications();
}

SpotlightQueryCore::~SpotlightQueryCore()
{
    observers_.clear();
}

void SpotlightQueryCore::registerQueryNotifications()
{
    auto& center = platform::NotificationCenter::defaultCenter();
    const void* sender = metadataQuery_.get();
    observers_.clear();
    observers_.push_back(center.addObserver(
        MetadataQuery::didStartGatheringNotification, [this](const Notification& n) { onQueryDidStartGatheringWith(n); },
        sender));
    observers_.push_back(center.addObserver(
        MetadataQuery::didFinishGatheringNotification,
        [this](const Notification& n) { onQueryDidFinishGatheringWith(n); }, sender));
    observers_.push_back(center.addObserver(
        MetadataQuery::gatheringProgressNotification, [this](const Notification& n) { onQueryGatheringProgressWith(n); },
        sender));
    observers_.push_back(center.addObserver(MetadataQuery::didUpdateNotification,
                                            [this](const Notification& n) { onQueryDidUpdateWith(n); }, sender));
}

void SpotlightQueryCore::setQuery(std::shared_ptr<const platform::Predicate> predicate)
{
    if (metadataQuery_->isStarted())
        metadataQuery_->stop();
    query_ = std::move(predicate);
    metadataQuery_->setPredicate(query_);
}

void SpotlightQueryCore::setNotificationBatchingInterval(double seconds)
{
    if (!std::isfinite(seconds) || seconds < 0)
        seconds = 0;
    notificationBatchingInterval_ = seconds;
    metadataQuery_->setNotificationBatchingInterval(
        std::chrono::milliseconds(static_cast<long long>(std::llround(seconds * 1000.0))));
}

void SpotlightQueryCore::applySearchScopes()
{
    if (metadataQuery_->isStarted())
        metadataQuery_->stop();
    metadataQuery_->setSearchScopes({});
    spotlightQueryCoreSandboxAccess_->clearSecurityBookmarks();

    // A folder that is not there (yet) is handed over all the same: the query
    // awaits it and searches it once it appears. Only what is there can be
    // checked for access.
    for (const QString& path : std::as_const(searchScopes_)) {
        // The scopes may be many: a quit signal meanwhile ends the program,
        // and the query keeps no scope.
        if (platform::UnixSignals::quitPending())
            return;
        if (platform::FileFacts::isReachable(path))
            spotlightQueryCoreSandboxAccess_->checkAccess(QUrl::fromLocalFile(path));
    }
    metadataQuery_->setSearchScopes(searchScopes_);
}

int SpotlightQueryCore::runQuery()
{
    if (!metadataQuery_->predicate()) {
        state_.set(SpotlightQueryState::stopped);
        return 3;
    }
    if (metadataQuery_->isGathering())
        return 2;
    metadataQuery_->enableUpdates();
    // A query begun again reports everything it finds as added: entries
    // dropped meanwhile (an import, a reload) come back instead of being
    // hidden by a diff against the earlier run.
    forgetEarlierResults_ = true;
    if (metadataQuery_->start()) {
        state_.set(SpotlightQueryState::startet);
        return 0;
    }
    state_.set(SpotlightQueryState::failedToStart);
    return 1;
}

void SpotlightQueryCore::processResults()
{
    resultState_.set(SpotlightQueryResultState::beginProcessing);

    QList<SpotlightResult> collected;
    for (const platform::MetadataItem& item : currentQueryResults()) {
        if (processOnlyValidFSPaths_) {
            const QVariant fsPath = item.valueForAttribute(QStringLiteral("kMDItemPath"));
            if (fsPath.typeId() != QMetaType::QString || fsPath.toString().isEmpty())
                continue;
        }
        collected.append(SpotlightResult{item.path(), item.displayName(), item.lastUsedDate()});
    }

    lastResultsFromFreshRun_ = std::exchange(forgetEarlierResults_, false);
    comparedWithPass_ = lastResultsFromFreshRun_ ? 0 : completePass_;
    completePass_ = ++passes_;
    const QList<SpotlightResult> earlier =
        lastResultsFromFreshRun_ ? QList<SpotlightResult>() : queryResultsComplete_.get()->snapshot();
    // The first occurrence wins and the query's order stays.
    auto diff = diffSpotlightResults(earlier, collected);
    queryResultsUnchanged_.set(ResultArray::create(std::move(diff.unchanged)));
    queryResultsAdded_.set(ResultArray::create(std::move(diff.added)));
    queryResultsRemoved_.set(ResultArray::create(std::move(diff.removed)));
    queryResultsComplete_.set(ResultArray::create(std::move(diff.distinct)));

    resultState_.set(SpotlightQueryResultState::finishedProcessing);
}

void SpotlightQueryCore::onQueryDidStartGatheringWith(const Notification&)
{
    state_.set(SpotlightQueryState::beginGathering);
}

void SpotlightQueryCore::onQueryGatheringProgressWith(const Notification&)
{
    state_.set(SpotlightQueryState::progressGathering);
}

void SpotlightQueryCore::onQueryDidFinishGatheringWith(const Notification&)
{
    processResults();
    state_.set(SpotlightQueryState::finishedGathering);
}

void SpotlightQueryCore::onQueryDidUpdateWith(const Notification&)
{
    state_.set(SpotlightQueryState::beginUpdate);
    processResults();
    state_.set(SpotlightQueryState::finishedUpdate);
}

} // namespace vantel
