#pragma once

#include "access/URLParams.h"

#include <QString>

#include <optional>

namespace vantel {

// One placeholder found in a template: its text, where it stands (UTF-16
// offsets), its kind and, once decided, what replaces it.
struct RegExURLMatch {
    QString value;
    qsizetype rangeStart = 0;
    qsizetype rangeLength = 0;
    URLParams urlParam = URLParams::userInput;
    std::optional<QString> replaceWith;
};

} // namespace vantel
