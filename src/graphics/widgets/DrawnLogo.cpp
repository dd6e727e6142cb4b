#include "graphics/widgets/DrawnLogo.h"

#include "graphics/DrawingKit.h"
#include "graphics/widgets/Appearance.h"

#include <QPainter>

namespace vantel {

DrawnLogo::DrawnLogo(QWidget* parent)
    : QWidget(parent)
{
}

QSize DrawnLogo::sizeHint() const
{
    return QSize(227, 43);
}

void DrawnLogo::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (applicationIsDark())
        DrawingKit::drawTarnwickDarkUI(painter, rect(), ResizingBehavior::scaleToFit);
    else
        DrawingKit::drawTarnwickLightUI(painter, rect(), ResizingBehavior::scaleToFit);
}

} // namespace vantel
