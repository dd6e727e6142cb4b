#include "datastore/spotlight/SpotlightQueryFS.h"

namespace vantel {

SpotlightQueryFS::SpotlightQueryFS()
    : previousSpotlightResultsComplete_(FSResultArray::create())
    , spotlightResultsComplete_(FSResultArray::create())
    , spotlightResultsUnchanged_(FSResultArray::create())
    , spotlightResultsAdded_(FSResultArray::create())
    , spotlightResultsRemoved_(FSResultArray::create())
{
    // Owned by this object, so the handler never outlives it.
    spotlightQuerySubscriber_ =
        resultState().subscribe([this](const SpotlightQueryResultState& state) { convertResults(state); });
}

SpotlightQueryFS::~SpotlightQueryFS()
{
    spotlightQuerySubscriber_.cancel();
}

void SpotlightQueryFS::convertResults(SpotlightQueryResultState state)
{
    if (state != SpotlightQueryResultState::finishedProcessing)
        return;

    const FSResultArray::Ptr complete = spotlightResultsComplete_.get();
    complete->removeAll();

    const QList<SpotlightFSResult> converted = toFSResults(queryResultsComplete().get()->snapshot());
    complete->appendContentsOf(converted);

    if (lastResultsFromFreshRun()) {
        previousSpotlightResultsComplete_->removeAll();
        previousPass_ = 0;
    }
    // The core has just compared the same two lists when the previous one
    // is a copy of what it compared with: its answer is taken, not worked
    // out again.
    if (comparedWithPass() == previousPass_)
        publishCoreDiff(converted);
    else
        diffResults();

    previousSpotlightResultsComplete_->removeAll();
    previousSpotlightResultsComplete_->appendContentsOf(converted);
    previousPass_ = completePass();
}

QList<SpotlightFSResult> SpotlightQueryFS::toFSResults(const QList<SpotlightResult>& results)
{
    QList<SpotlightFSResult> converted;
    converted.reserve(results.size());
    for (const SpotlightResult& result : results)
        converted.append(SpotlightFSResult{result.path, result.displayname, result.lastUsedDate});
    return converted;
}

void SpotlightQueryFS::publishCoreDiff(const QList<SpotlightFSResult>& converted)
{
    const QList<SpotlightResult> added = queryResultsAdded().get()->snapshot();
    const QList<SpotlightResult> removed = queryResultsRemoved().get()->snapshot();
    // The same set as before, in whatever order: nothing to tell.
    if (added.isEmpty() && removed.isEmpty())
        return;
    const QList<SpotlightResult> unchanged = queryResultsUnchanged().get()->snapshot();
    // A list as long as the pass it came from is that pass: it shares its
    // buffer instead of being converted again.
    const auto fromCurrent = [&converted](const QList<SpotlightResult>& list) {
        return list.size() == converted.size() ? converted : toFSResults(list);
    };
    const QList<SpotlightFSResult> previous = previousSpotlightResultsComplete_->snapshot();
    spotlightResultsUnchanged_.set(FSResultArray::create(fromCurrent(unchanged)));
    spotlightResultsRemoved_.set(
        FSResultArray::create(removed.size() == previous.size() ? previous : toFSResults(removed)));
    spotlightResultsAdded_.set(FSResultArray::create(fromCurrent(added)));
    spotlightResultsComplete_.set(spotlightResultsComplete_.get());
}

void SpotlightQueryFS::diffResults()
{
    const FSResultArray::Ptr complete = spotlightResultsComplete_.get();
    if (previousSpotlightResultsComplete_->isEqual(*complete))
        return;

    auto diff = diffSpotlightResults(previousSpotlightResultsComplete_->snapshot(), complete->snapshot());
    spotlightResultsUnchanged_.set(FSResultArray::create(std::move(diff.unchanged)));
    spotlightResultsRemoved_.set(FSResultArray::create(std::move(diff.removed)));
    spotlightResultsAdded_.set(FSResultArray::create(std::move(diff.added)));
    // The same array again: it was refilled in place above.
    spotlightResultsComplete_.set(complete);
}

} // namespace vantel
