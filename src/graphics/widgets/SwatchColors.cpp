#include "graphics/widgets/SwatchColors.h"

#include "model/LocalizedStrings.h"

#include <QString>

#include <array>

namespace vantel {

QColor systemColor(SystemColor which)
{
    switch (which) {
    case SystemColor::red:
        return QColor(235, 64, 52);
    case SystemColor::green:
        return QColor(52, 178, 82);
    case SystemColor::blue:
        return QColor(30, 120, 230);
    case SystemColor::yellow:
        return QColor(245, 200, 20);
    case SystemColor::orange:
        return QColor(245, 140, 20);
    case SystemColor::pink:
        return QColor(235, 70, 120);
    case SystemColor::gray:
        return QColor(140, 140, 145);
    case SystemColor::teal:
        return QColor(70, 170, 190);
    case SystemColor::brown:
        return QColor(160, 120, 80);
    case SystemColor::purple:
        return QColor(150, 80, 200);
    }
    return QColor(140, 140, 145);
}

QList<QColor> systemSwatchColors()
{
    QList<QColor> colors;
    for (SystemColor c : {SystemColor::red, SystemColor::green, SystemColor::blue, SystemColor::yellow,
                          SystemColor::orange, SystemColor::pink, SystemColor::gray, SystemColor::teal,
                          SystemColor::brown, SystemColor::purple})
        colors.append(systemColor(c));
    return colors;
}

QList<QColor> entrySwatchColors()
{
    static const std::array<QRgb, 18> table = {
        // bright: red, orange, yellow, green, mint, cyan, blue, purple, pink
        qRgb(235, 64, 52), qRgb(245, 140, 20), qRgb(245, 200, 20), qRgb(52, 178, 82), qRgb(40, 200, 160),
        qRgb(50, 180, 230), qRgb(30, 120, 230), qRgb(150, 80, 200), qRgb(235, 70, 120),
        // muted: maroon, brown, olive, forest, slate teal, navy, violet, grey, graphite
        qRgb(150, 40, 40), qRgb(160, 120, 80), qRgb(140, 140, 40), qRgb(40, 110, 60), qRgb(50, 120, 130),
        qRgb(30, 60, 140), qRgb(100, 60, 140), qRgb(140, 140, 145), qRgb(80, 80, 85)};
    QList<QColor> colors;
    for (QRgb rgb : table)
        colors.append(QColor(rgb));
    return colors;
}

QColor clearColor()
{
    return QColor(0, 0, 0, 0);
}

bool isClearColor(const QColor& color)
{
    return color.isValid() && color.alpha() == 0;
}

QString colorDescription(const QColor& color)
{
    if (!color.isValid() || isClearColor(color))
        return localized("no colour");
    const QColor hsv = color.toHsv();
    const double s = hsv.hsvSaturationF();
    const double v = hsv.valueF();
    if (s < 0.15)
        return v > 0.85 ? localized("white") : v < 0.2 ? localized("black") : localized("grey");
    static const std::array<const char*, 12> hues = {
        localizable("red"),  localizable("orange"), localizable("yellow"), localizable("yellow green"),
        localizable("green"), localizable("mint"),  localizable("cyan"),   localizable("azure"),
        localizable("blue"), localizable("violet"), localizable("purple"), localizable("pink")};
    const int hue = hsv.hsvHue();
    const QString name = localized(hues[size_t(((hue + 15) % 360) / 30)]);
    if (v < 0.6)
        return localized("dark %1").arg(name);
    if (s < 0.45)
        return localized("light %1").arg(name);
    return name;
}

} // namespace vantel
