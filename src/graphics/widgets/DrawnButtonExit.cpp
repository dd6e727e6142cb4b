#include "graphics/widgets/DrawnButtonExit.h"

#include "graphics/DrawingKit.h"
#include "model/LocalizedStrings.h"

#include <QPainter>

namespace vantel {

DrawnButtonExit::DrawnButtonExit(QWidget* parent)
    : DrawnButton(parent)
{
    setAccessibleName(localized("Quit"));
}

void DrawnButtonExit::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    dimWhileDisabled(painter);
    DrawingKit::drawIcon_exitCanvas(painter, rect(), ResizingBehavior::scaleToFit, isMouseOver());
    drawFocusRing(painter);
}

} // namespace vantel
