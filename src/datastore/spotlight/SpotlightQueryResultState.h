#pragma once

namespace vantel {

// Where the processing of a query's result list is.
enum class SpotlightQueryResultState {
    unknown,
    beginProcessing,
    finishedProcessing,
};

} // namespace vantel
