#include "graphics/widgets/DrawnColorCircle.h"

#include "graphics/DrawingKit.h"
#include "graphics/widgets/Appearance.h"
#include "graphics/widgets/ColorCircleDelegate.h"
#include "graphics/widgets/SwatchColors.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace vantel {

DrawnColorCircle::DrawnColorCircle(QWidget* parent)
    : DrawnButton(parent)
    , color_(QColor::fromRgbF(0.808f, 0.808f, 0.808f))
{
    setAccessibleName(colorDescription(*color_));
}

ColorCircleDelegate* DrawnColorCircle::delegate() const
{
    if (delegateIsObject_ && !delegateObject_)
        return nullptr;
    return delegate_;
}

void DrawnColorCircle::setDelegate(ColorCircleDelegate* delegate)
{
    delegate_ = delegate;
    delegateObject_ = dynamic_cast<QObject*>(delegate);
    delegateIsObject_ = delegateObject_ != nullptr;
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
    setAccessibleName(color ? colorDescription(*color) : QStringLiteral("no colour"));
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

void DrawnColorCircle::report()
{
    ColorCircleDelegate* target = delegate();
    if (color_ && target)
        target->colorCircleClicked(this, *color_);
}

void DrawnColorCircle::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    event->accept();
    report();
}

void DrawnColorCircle::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
}

void DrawnColorCircle::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!event->isAutoRepeat())
            report();
        event->accept();
        return;
    default:
        DrawnButton::keyPressEvent(event);
    }
}

void DrawnColorCircle::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space) {
        event->accept();
        return;
    }
    DrawnButton::keyReleaseEvent(event);
}

} // namespace vantel
