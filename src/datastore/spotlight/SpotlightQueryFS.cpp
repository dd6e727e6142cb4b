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

    QList<SpotlightFSResult> converted;
    for (const SpotlightResult& result : queryResultsComplete().get()->snapshot())
        converted.append(SpotlightFSResult{result.path, result.displayname, result.lastUsedDate});
    complete->appendContentsOf(converted);

    if (lastResultsFromFreshRun())
        previousSpotlightResultsComplete_->removeAll();
    diffResults();

    previousSpotlightResultsComplete_->removeAll();
    previousSpotlightResultsComplete_->appendContentsOf(converted);
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
