#pragma once

#include <QColor>
#include <QString>

namespace vantel {

// The desktop's fonts and colours that the Markdown looks are built from.
class SystemAppearance {
public:
    static QString systemFontFamily();
    static qreal systemFontSize();
    static qreal smallSystemFontSize();
    static QString monospacedFontFamily();
    // The colour of ordinary text.
    static QColor labelColor();
    static QColor linkColor();
    // Whether a font family of that name is installed.
    static bool hasFontFamily(const QString& family);
};

} // namespace vantel
