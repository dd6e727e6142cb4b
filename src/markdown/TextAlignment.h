#pragma once

namespace vantel {

// Paragraph alignment; left is raw value 0 and is what "not aligned" means.
enum class TextAlignment : int {
    left = 0,
    right = 1,
    center = 2,
    justified = 3,
    natural = 4,
};

} // namespace vantel
