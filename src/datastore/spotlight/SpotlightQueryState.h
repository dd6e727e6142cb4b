#pragma once

#include <QString>

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

QString text(SpotlightQueryState state);

} // namespace vantel
