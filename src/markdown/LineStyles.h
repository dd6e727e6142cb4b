#pragma once

#include "markdown/FontStyle.h"
#include "markdown/TextAlignment.h"

#include <QColor>
#include <QString>

#include <optional>

namespace vantel {

// How one kind of line looks: the font part as in BasicStyles plus paragraph values.
class LineStyles {
public:
    std::optional<QString> fontName;
    QColor color = QColor(Qt::black);
    qreal fontSize = 0;
    FontStyle fontStyle = FontStyle::normal;

    TextAlignment alignment = TextAlignment::left;
    qreal lineSpacing = 0;
    qreal paragraphSpacing = 0;
};

} // namespace vantel
