#pragma once

#include "markdown/MarkdownLineStyle.h"

#include <QString>

namespace vantel {

// Where a line rule strips its token.
enum class Remove {
    leading,
    trailing,
    both,
    entireLine,
    none,
};

// Which line a rule affects.
enum class ChangeApplication {
    current,
    previous,
    untilClose,
};

struct LineRule {
    LineRule(QString token, MarkdownLineStyle type, Remove removeFrom = Remove::leading,
             bool shouldTrim = true, ChangeApplication changeAppliesTo = ChangeApplication::current)
        : token(std::move(token))
        , removeFrom(removeFrom)
        , type(type)
        , shouldTrim(shouldTrim)
        , changeAppliesTo(changeAppliesTo)
    {
    }

    // An empty token never applies.
    QString token;
    Remove removeFrom;
    MarkdownLineStyle type;
    // Blanks are trimmed from both ends before matching and from the result.
    bool shouldTrim;
    ChangeApplication changeAppliesTo;
};

} // namespace vantel
