#include "graphics/widgets/DrawnButtonDelete.h"

#include "graphics/DrawingKit.h"
#include "model/LocalizedStrings.h"

#include <QPainter>

namespace vantel {

DrawnButtonDelete::DrawnButtonDelete(QWidget* parent)
    : DrawnButton(parent)
{
    setAccessibleName(localized("Delete"));
}

void DrawnButtonDelete::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    dimWhileDisabled(painter);
    DrawingKit::drawIcon_deleteCanvas(painter, rect(), ResizingBehavior::scaleToFit, isMouseOver());
    drawFocusRing(painter);
}

} // namespace vantel
