#include "graphics/widgets/DrawnButton.h"

#include "graphics/widgets/Appearance.h"

#include <QEnterEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace vantel {

DrawnButton::DrawnButton(QWidget* parent)
    : QAbstractButton(parent)
{
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::TabFocus);
}

void DrawnButton::setIsMouseOver(bool over)
{
    if (isMouseOver_ == over)
        return;
    isMouseOver_ = over;
    update();
}

QSize DrawnButton::sizeHint() const
{
    return QSize(18, 18);
}

void DrawnButton::enterEvent(QEnterEvent* event)
{
    QAbstractButton::enterEvent(event);
    setIsMouseOver(true);
}

void DrawnButton::leaveEvent(QEvent* event)
{
    QAbstractButton::leaveEvent(event);
    setIsMouseOver(false);
}

void DrawnButton::hideEvent(QHideEvent* event)
{
    QAbstractButton::hideEvent(event);
    setIsMouseOver(false);
}

void DrawnButton::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    option.initFrom(this);
    option.text = text();
    option.icon = icon();
    option.iconSize = iconSize();
    if (isDown())
        option.state |= QStyle::State_Sunken;
    else
        option.state |= QStyle::State_Raised;
    if (isMouseOver_)
        option.state |= QStyle::State_MouseOver;
    painter.drawControl(QStyle::CE_PushButton, option);
}

void DrawnButton::dimWhileDisabled(QPainter& painter) const
{
    if (!isEnabled())
        painter.setOpacity(0.4);
}

void DrawnButton::drawFocusRing(QPainter& painter) const
{
    if (!hasFocus())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QColor ring = applicationAccentColor();
    ring.setAlphaF(0.8f);
    painter.setPen(QPen(ring, 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.75, 0.75, -0.75, -0.75), 3, 3);
    painter.restore();
}

} // namespace vantel
