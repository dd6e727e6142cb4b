#pragma once

#include <QString>
#include <QTextCharFormat>

namespace vantel {

// One coloured part of a URL template: its name, how it looks and the
// expression that finds it (the named group "capture" when there is one).
struct URLAttributedStringDefinition {
    QString description;
    QTextCharFormat attributedStringKeys;
    QString regexDefinition;
};

} // namespace vantel
