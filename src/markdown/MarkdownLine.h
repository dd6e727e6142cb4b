#pragma once

#include "markdown/MarkdownLineStyle.h"

#include <QString>

namespace vantel {

// One line of a document: its text without the rule's marker, and its style.
struct MarkdownLine {
    QString line;
    MarkdownLineStyle lineStyle = MarkdownLineStyle::body;

    // Lines compare by their text only.
    bool operator==(const MarkdownLine& other) const { return line == other.line; }
    QString description() const { return line; }
};

} // namespace vantel
