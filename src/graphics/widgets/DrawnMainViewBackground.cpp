#include "graphics/widgets/DrawnMainViewBackground.h"

#include <QPainter>

namespace vantel {

DrawnMainViewBackground::DrawnMainViewBackground(QWidget* parent)
    : QWidget(parent)
{
}

void DrawnMainViewBackground::setDrawBackground(bool draw)
{
    if (state_.setDrawBackground(draw))
        update();
}

void DrawnMainViewBackground::setAlphaColor(float alpha)
{
    if (state_.setAlphaColor(alpha))
        update();
}

void DrawnMainViewBackground::setColor(const std::optional<QColor>& color)
{
    if (state_.setColor(color))
        update();
}

QSize DrawnMainViewBackground::sizeHint() const
{
    return QSize(200, 28);
}

void DrawnMainViewBackground::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    state_.paint(painter, rect());
}

} // namespace vantel
