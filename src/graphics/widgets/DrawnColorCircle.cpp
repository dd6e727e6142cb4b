#include "graphics/widgets/DrawnColorCircle.h"

#include "graphics/DrawingKit.h"
#include "graphics/widgets/Appearance.h"
#include "graphics/widgets/ColorCircleDelegate.h"
#include "graphics/widgets/SwatchColors.h"
#include "model/LocalizedStrings.h"

#include <QPainter>

namespace vantel {

DrawnColorCircle::DrawnColorCircle(QWidget* parent)
    : PressActivatedButton(parent)
    , color_(QColor::fromRgbF(0.808f, 0.808f, 0.808f))
{
    setAccessibleName(colorDescription(*color_));
}

ColorCircleDelegate* DrawnColorCircle::delegate() const
{
    return delegate_.get();
}

void DrawnColorCircle::setDelegate(ColorCircleDelegate* delegate)
{
    delegate_.set(delegate);
}

void DrawnColorCircle::setColor(const std::optional<QColor>& requested)
{
    std::optional<QColor> color = requested;
    if (color && !color->isValid())
        color.reset(); // nothing to draw or report
    if (!color && !color_)
        return;
    if (color && color_ && color->toRgb() == color_->toRgb())
        return;
    color_ = color;
    if (!color || isClearColor(*color)) {
        alphaColorBackground_ = 0;
        redColor_ = greenColor_ = blueColor_ = 1.0;
    } else {
        const QColor rgb = color->toRgb();
        redColor_ = rgb.redF();
        greenColor_ = rgb.greenF();
        blueColor_ = rgb.blueF();
        alphaColorBackground_ = 1.0;
    }
    setAccessibleName(color ? colorDescription(*color) : localized("no colour"));
    update();
}

QSize DrawnColorCircle::sizeHint() const
{
    return QSize(24, 24);
}

void DrawnColorCircle::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    dimWhileDisabled(painter);
    // The focus shows as the hover ring: the swatch's own way of standing out.
    const bool lit = isMouseOver() || hasFocus();
    if (applicationIsDark())
        DrawingKit::drawColorCircleDarkUICanvas(painter, rect(), ResizingBehavior::scaleToFit, lit, redColor_,
                                                greenColor_, blueColor_, alphaColorBackground_);
    else
        DrawingKit::drawColorCircleLightUICanvas(painter, rect(), ResizingBehavior::scaleToFit, lit, redColor_,
                                                 greenColor_, blueColor_, alphaColorBackground_);
}

void DrawnColorCircle::pressActivated()
{
    ColorCircleDelegate* target = delegate();
    if (color_ && target)
        target->colorCircleClicked(this, *color_);
}

} // namespace vantel
