#pragma once

#include "datastore/spotlight/SpotlightFSResult.h"
#include "datastore/spotlight/SpotlightQueryCore.h"
#include "model/SynchronizedArray.h"
#include "platform/Cancellable.h"
#include "platform/Published.h"

namespace vantel {

// The query the discovery proxy owns. After every processing of the core it
// copies the complete list and compares it, as a set, with the list of the
// previous pass; only a difference is published: what stayed, then what
// went, then what came, then the complete list again, so that a listener to
// the complete list hears every changed pass after the additions.
class SpotlightQueryFS : public SpotlightQueryCore {
public:
    using FSResultArray = SynchronizedArray<SpotlightFSResult>;

    SpotlightQueryFS();
    ~SpotlightQueryFS() override;

    const FSResultArray::Ptr& previousSpotlightResultsComplete() const { return previousSpotlightResultsComplete_; }
    // Refilled in place: always the same array object.
    platform::Published<FSResultArray::Ptr>& spotlightResultsComplete() { return spotlightResultsComplete_; }
    platform::Published<FSResultArray::Ptr>& spotlightResultsUnchanged() { return spotlightResultsUnchanged_; }
    platform::Published<FSResultArray::Ptr>& spotlightResultsAdded() { return spotlightResultsAdded_; }
    platform::Published<FSResultArray::Ptr>& spotlightResultsRemoved() { return spotlightResultsRemoved_; }

    // Acts on finishedProcessing only.
    void convertResults(SpotlightQueryResultState state);
    void diffResults();

private:
    static QList<SpotlightFSResult> toFSResults(const QList<SpotlightResult>& results);
    // Publishes the core's comparison of the same two lists, converted.
    void publishCoreDiff(const QList<SpotlightFSResult>& converted);

    const FSResultArray::Ptr previousSpotlightResultsComplete_;
    platform::Published<FSResultArray::Ptr> spotlightResultsComplete_;
    platform::Published<FSResultArray::Ptr> spotlightResultsUnchanged_;
    platform::Published<FSResultArray::Ptr> spotlightResultsAdded_;
    platform::Published<FSResultArray::Ptr> spotlightResultsRemoved_;
    platform::Cancellable spotlightQuerySubscriber_;
    // The core's pass the previous list was copied from; 0 when cleared.
    quint64 previousPass_ = completePass();
};

} // namespace vantel
