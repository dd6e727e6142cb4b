#pragma once

#include "datastore/spotlight/SpotlightResult.h"

namespace vantel {

// A result as the file-system query keeps it between passes.
struct SpotlightFSResultKind;
using SpotlightFSResult = BasicSpotlightResult<SpotlightFSResultKind>;

} // namespace vantel
