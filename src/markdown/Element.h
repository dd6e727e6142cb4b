#pragma once

#include "markdown/CharacterStyle.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace vantel {

enum class ElementType {
    tag,
    escape,
    string,
    space,
    newline,
    metadata,
};

// One character of a line on its way through the character rules.
struct Element {
    // The boundary level that marks text no later rule may tag.
    static constexpr int cancelledBoundary = 1000;

    QString character; // one extended grapheme cluster
    ElementType type = ElementType::string;
    int boundaryCount = 0;
    bool isComplete = false;
    QList<CharacterStyling> styles;
    QStringList metadata;
};

} // namespace vantel
