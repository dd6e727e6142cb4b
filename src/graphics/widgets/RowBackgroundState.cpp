#include "graphics/widgets/RowBackgroundState.h"

#include "graphics/DrawingKit.h"
#include "graphics/widgets/SwatchColors.h"

namespace vantel {

bool RowBackgroundState::setDrawBackground(bool draw)
{
    if (drawBackground == draw)
        return false;
    drawBackground = draw;
    return true;
}

bool RowBackgroundState::setAlphaColor(float alpha)
{
    alphaColor = alpha;
    if (alphaColor > 1.0f) {
        alphaColor = 1.0f;
        setDrawBackground(true);
    } else if (alphaColor < 0.05f) {
        setDrawBackground(false);
    } else {
        setDrawBackground(true);
    }
    alphaColorBackground = alphaColor;
    return true;
}

bool RowBackgroundState::setColor(const std::optional<QColor>& requested)
{
    std::optional<QColor> newColor = requested;
    if (newColor && !newColor->isValid())
        newColor.reset();
    if (!newColor && !color)
        return false;
    if (newColor && color && newColor->toRgb() == color->toRgb())
        return false;
    color = newColor;
    if (!newColor || isClearColor(*newColor)) {
        hasColor = false;
        alphaColorBackground = 0;
        alphaColorIndicator = 0;
        redColor = greenColor = blueColor = 1.0;
    } else {
        const QColor rgb = newColor->toRgb();
        redColor = rgb.redF();
        greenColor = rgb.greenF();
        blueColor = rgb.blueF();
        alphaColorIndicator = 0.9;
        hasColor = true;
    }
    return true;
}

void RowBackgroundState::paint(QPainter& painter, const QRectF& frame) const
{
    if (!hasColor)
        return;
    DrawingKit::drawVantelBackground(painter, frame, redColor, greenColor, blueColor, alphaColorBackground,
                                     alphaColorIndicator, drawBackground);
}

} // namespace vantel
