#include "datastore/spotlight/SpotlightQueryFS.h"

#include <QSet>

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

    diffResults();

    previousSpotlightResultsComplete_->removeAll();
    previousSpotlightResultsComplete_->appendContentsOf(converted);
}

void SpotlightQueryFS::diffResults()
{
    const FSResultArray::Ptr complete = spotlightResultsComplete_.get();
    if (previousSpotlightResultsComplete_->isEqual(*complete))
        return;

    const QList<SpotlightFSResult> current = complete->snapshot();
    const QList<SpotlightFSResult> previous = previousSpotlightResultsComplete_->snapshot();
    const QSet<SpotlightFSResult> currentSet(current.cbegin(), current.cend());
    const QSet<SpotlightFSResult> previousSet(previous.cbegin(), previous.cend());

    // Lists in the order of their pass, each result once.
    QList<SpotlightFSResult> unchanged;
    QList<SpotlightFSResult> added;
    QSet<SpotlightFSResult> seen;
    for (const SpotlightFSResult& result : current) {
        if (seen.contains(result))
            continue;
        seen.insert(result);
        if (previousSet.contains(result))
            unchanged.append(result);
        else
            added.append(result);
    }
    QList<SpotlightFSResult> removed;
    seen.clear();
    for (const SpotlightFSResult& result : previous) {
        if (currentSet.contains(result) || seen.contains(result))
            continue;
        seen.insert(result);
        removed.append(result);
    }

    spotlightResultsUnchanged_.set(FSResultArray::create(std::move(unchanged)));
    spotlightResultsRemoved_.set(FSResultArray::create(std::move(removed)));
    spotlightResultsAdded_.set(FSResultArray::create(std::move(added)));
    // The same array again: it was refilled in place above.
    spotlightResultsComplete_.set(complete);
}

} // namespace vantel
