#pragma once

#include "markdown/FontStyle.h"

#include <QColor>
#include <QString>

#include <optional>

namespace vantel {

// How one kind of inline text looks.
class BasicStyles {
public:
    virtual ~BasicStyles() = default;

    // None: the body style's font name, then the system font.
    std::optional<QString> fontName;
    QColor color = QColor(Qt::black);
    // 0 means the system font size.
    qreal fontSize = 0;
    FontStyle fontStyle = FontStyle::normal;
};

} // namespace vantel
