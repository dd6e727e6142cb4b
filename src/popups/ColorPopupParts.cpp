#include "popups/ColorPopupParts.h"

#include "graphics/widgets/DrawnColorCircle.h"
#include "graphics/widgets/SwatchColors.h"

namespace vantel::ColorPopupParts {

DrawnColorCircle* makeColorCircle(int index, int side, QWidget* parent)
{
    auto* circle = new DrawnColorCircle(parent);
    circle->setObjectName(QStringLiteral("colorCircle%1").arg(index + 1, 2, 10, QLatin1Char('0')));
    circle->setFixedSize(side, side);
    return circle;
}

QList<DrawnColorCircle*> colorCircleList(const QList<QPointer<DrawnColorCircle>>& circles)
{
    QList<DrawnColorCircle*> list;
    for (const QPointer<DrawnColorCircle>& circle : circles)
        list.append(circle.data());
    return list;
}

ColorSlider* makeColorSlider(QWidget* parent)
{
    auto* slider = new ColorSlider(parent);
    slider->setObjectName(QStringLiteral("colorSlider"));
    slider->setFixedHeight(20);
    slider->setMaxValue(1.0);
    return slider;
}

std::optional<platform::Color> swatchChoice(const QColor& color)
{
    if (!color.isValid() || isClearColor(color))
        return std::nullopt;
    return platform::Color::fromQColor(color);
}

} // namespace vantel::ColorPopupParts
