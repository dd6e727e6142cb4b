#pragma once

// The lookup of the string tables lies in the platform layer; the layers
// above name it as their own.
#include "platform/LocalizedStrings.h"

namespace vantel {

using platform::localizable;
using platform::localized;
using platform::LocalizedStrings;

} // namespace vantel
