#include "datastore/spotlight/SpotlightQueryState.h"

namespace vantel {

QString text(SpotlightQueryState state)
{
    switch (state) {
    case SpotlightQueryState::unknown: return QStringLiteral("unknown");
    case SpotlightQueryState::stopped: return QStringLiteral("stopped");
    case SpotlightQueryState::failedToStart: return QStringLiteral("failedToStart");
    case SpotlightQueryState::startet: return QStringLiteral("startet");
    case SpotlightQueryState::beginGathering: return QStringLiteral("beginGathering");
    case SpotlightQueryState::progressGathering: return QStringLiteral("progressGathering");
    case SpotlightQueryState::finishedGathering: return QStringLiteral("finishedGathering");
    case SpotlightQueryState::beginUpdate: return QStringLiteral("beginUpdate");
    case SpotlightQueryState::finishedUpdate: return QStringLiteral("finishedUpdate");
    }
    return QStringLiteral("unknown");
}

} // namespace vantel
