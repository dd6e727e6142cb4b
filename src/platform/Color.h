#pragma once

#include <QColor>
#include <QMetaType>

namespace vantel::platform {

// A colour as archives carry it: sRGB components and alpha, each 0...1.
// Compared exactly, so a colour read back from an archive equals the one written.
struct Color {
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;

    bool operator==(const Color&) const = default;

    QColor toQColor() const;
    static Color fromQColor(const QColor& color);
};

} // namespace vantel::platform

Q_DECLARE_METATYPE(vantel::platform::Color)
