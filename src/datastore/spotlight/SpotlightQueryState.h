#pragma once

namespace vantel {

// Last known state of a metadata query, as its owner sees it.
enum class SpotlightQueryState {
    unknown,
    stopped,
    failedToStart,
    startet,
    beginGathering,
    progressGathering,
    finishedGathering,
    beginUpdate,
    finishedUpdate,
};

} // namespace vantel
