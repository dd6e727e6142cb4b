#pragma once

#include <QString>

namespace vantel {

struct FrontMatterRule {
    QString openTag;
    QString closeTag;
    QChar keyValueSeparator;
};

} // namespace vantel
