#include "settings/ui/CellStamp.h"

#include <QPainter>
#include <QPixmap>
#include <QWidget>

namespace vantel::settingsui {

void renderStamp(QWidget& stamp, QPainter& painter, const QRect& rect)
{
    if (rect.isEmpty())
        return;
    if (stamp.size() != rect.size())
        stamp.resize(rect.size());
    stamp.ensurePolished();
    // Through a pixmap: a widget rendered straight onto a view's painter
    // lands where the view's backing store offsets it, not in the cell.
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    QPixmap image(rect.size() * ratio);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    stamp.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    painter.drawPixmap(rect.topLeft(), image);
}

} // namespace vantel::settingsui
