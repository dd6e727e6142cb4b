#include "graphics/widgets/DrawnButtonMenu.h"

#include "graphics/DrawingKit.h"
#include "graphics/widgets/Appearance.h"
#include "model/LocalizedStrings.h"

#include <QPainter>

namespace vantel {

DrawnButtonMenu::DrawnButtonMenu(QWidget* parent)
    : PressActivatedButton(parent)
{
    setAccessibleName(localized("Menu"));
}

void DrawnButtonMenu::setAlphaColorBackground(double alpha)
{
    alphaColorBackground_ = alpha;
    update();
}

void DrawnButtonMenu::paintEvent(QPaintEvent*)
{
    const QColor accent = applicationAccentColor().toRgb();
    redColor_ = accent.redF();
    greenColor_ = accent.greenF();
    blueColor_ = accent.blueF();
    QPainter painter(this);
    dimWhileDisabled(painter);
    DrawingKit::drawIcon_menuCanvas(painter, rect(), ResizingBehavior::scaleToFit, isMouseOver(), redColor_,
                                    greenColor_, blueColor_, alphaColorBackground_);
    drawFocusRing(painter);
}

void DrawnButtonMenu::pressActivated()
{
    if (mouseDownHandler)
        mouseDownHandler();
}

} // namespace vantel
