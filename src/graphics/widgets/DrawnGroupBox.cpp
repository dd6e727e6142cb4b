#include "graphics/widgets/DrawnGroupBox.h"

#include "graphics/DrawingKit.h"
#include "graphics/widgets/Appearance.h"

#include <QEnterEvent>
#include <QPainter>

namespace vantel {

DrawnGroupBox::DrawnGroupBox(QWidget* parent)
    : QWidget(parent)
{
}

void DrawnGroupBox::enterEvent(QEnterEvent* event)
{
    QWidget::enterEvent(event);
    isMouseOver_ = true;
}

void DrawnGroupBox::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    isMouseOver_ = false;
}

void DrawnGroupBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (applicationIsDark())
        DrawingKit::drawGroupBoxDarkUICanvas(painter, rect());
    else
        DrawingKit::drawGroupBoxLightUICanvas(painter, rect());
}

} // namespace vantel
