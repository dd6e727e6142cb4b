#include "settings/ui/CellStamp.h"

#include <QPainter>
#include <QWidget>

namespace vantel::settingsui {

void renderStamp(QWidget& stamp, QPainter& painter, const QRect& rect)
{
    if (rect.isEmpty())
        return;
    if (stamp.size() != rect.size())
        stamp.resize(rect.size());
    stamp.ensurePolished();
    painter.save();
    stamp.render(&painter, rect.topLeft(), QRegion(), QWidget::DrawChildren);
    painter.restore();
}

} // namespace vantel::settingsui
