#include "platform/Color.h"

#include <algorithm>

namespace vantel::platform {

namespace {

float unit(double value)
{
    // QColor rejects components outside 0...1 (and NaN) with a warning and an invalid colour.
    if (!(value >= 0))
        return 0.f;
    return float(std::min(value, 1.0));
}

} // namespace

QColor Color::toQColor() const
{
    return QColor::fromRgbF(unit(red), unit(green), unit(blue), unit(alpha));
}

Color Color::fromQColor(const QColor& color)
{
    if (!color.isValid())
        return Color{};
    const QColor rgb = color.toRgb();
    return Color{rgb.redF(), rgb.greenF(), rgb.blueF(), rgb.alphaF()};
}

} // namespace vantel::platform
