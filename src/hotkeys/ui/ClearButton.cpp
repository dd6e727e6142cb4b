#include "hotkeys/ui/ClearButton.h"
#include "model/LocalizedStrings.h"

#include <QApplication>
#include <QPainter>

#include <cmath>

namespace vantel {

namespace {

constexpr double cornerRadius = 0.75;
const double c = 0.75 / std::sqrt(2.0);
const double d = 1.5 / std::sqrt(2.0);

QPointF normalized(const QPointF& v)
{
    const double length = std::hypot(v.x(), v.y());
    return length > 0 ? v / length : QPointF();
}

// A line from the current point toward `corner` that turns, on an arc of
// `radius` tangent to both lines, toward `towards` (the tangent-arc rule of
// the platform's path drawing). The arc is a cubic curve.
void arcThroughCorner(QPainterPath& path, const QPointF& corner, const QPointF& towards, double radius)
{
    const QPointF from = path.currentPosition();
    const QPointF v1 = normalized(from - corner);
    const QPointF v2 = normalized(towards - corner);
    const double cosine = std::clamp(v1.x() * v2.x() + v1.y() * v2.y(), -1.0, 1.0);
    const double between = std::acos(cosine); // the angle at the corner
    if (between < 1e-9 || std::abs(between - M_PI) < 1e-9) {
        path.lineTo(corner);
        return;
    }
    const double sweep = M_PI - between;
    const double reach = radius / std::tan(between / 2.0);
    const QPointF t1 = corner + v1 * reach;
    const QPointF t2 = corner + v2 * reach;
    const double k = (4.0 / 3.0) * std::tan(sweep / 4.0) / std::tan(sweep / 2.0);
    path.lineTo(t1);
    path.cubicTo(t1 + (corner - t1) * k, t2 + (corner - t2) * k, t2);
}

} // namespace

ClearButton::ClearButton(QWidget* parent)
    : QAbstractButton(parent)
{
    setText(QString());
    setAccessibleName(localized("Clear"));
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::ArrowCursor);
}

QPainterPath ClearButton::crossPath(const QSizeF& size)
{
    const double w = size.width();
    const double h = size.height();
    const double a = 0.3 * h;
    const double b = 0.3 * w;
    const double midX = w / 2.0;
    const double midY = h / 2.0;
    QPainterPath path;
    path.moveTo(b - c, a + c);
    path.lineTo(midX - d, midY);
    path.lineTo(b - c, h - a - c);
    arcThroughCorner(path, QPointF(b - c, h - a + c), QPointF(b + c, h - a + c), cornerRadius);
    path.lineTo(midX, midY + d);
    path.lineTo(w - b - c, h - a + c);
    arcThroughCorner(path, QPointF(w - b + c, h - a + c), QPointF(w - b + c, h - a - c), cornerRadius);
    path.lineTo(midX + d, midY);
    path.lineTo(w - b + c, a + c);
    arcThroughCorner(path, QPointF(w - b + c, a - c), QPointF(w - b - c, a - c), cornerRadius);
    path.lineTo(midX, midY - d);
    path.lineTo(b + c, a - c);
    arcThroughCorner(path, QPointF(b - c, a - c), QPointF(b - c, a + c), cornerRadius);
    path.closeSubpath();
    return path;
}

QPainterPath ClearButton::discPath(const QSizeF& size)
{
    QPainterPath path;
    path.addEllipse(QRectF(QPointF(0, 0), size));
    path.addPath(crossPath(size));
    path.setFillRule(Qt::OddEvenFill);
    return path;
}

QColor ClearButton::discColor() const
{
    const int level = isDown() ? 134 : 191;
    // Faded while its control is disabled.
    return QColor(level, level, level, isEnabled() ? 255 : 110);
}

QSize ClearButton::sizeHint() const
{
    return QSize(14, 14);
}

void ClearButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(discPath(size()), discColor());
    if (hasFocus()) {
        QColor ring = QApplication::palette().color(QPalette::Active, QPalette::Highlight);
        ring.setAlphaF(0.8f);
        painter.setPen(QPen(ring, 1.0));
        painter.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
    }
}

} // namespace vantel
