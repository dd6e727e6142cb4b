#include "graphics/widgets/DrawnCheckBoxFavorite.h"

#include "graphics/DrawingKit.h"
#include "graphics/widgets/Appearance.h"
#include "model/LocalizedStrings.h"

#include <QPainter>

namespace vantel {

DrawnCheckBoxFavorite::DrawnCheckBoxFavorite(QWidget* parent)
    : DrawnCheckBox(parent)
{
    setAccessibleName(localized("Favorite"));
}

void DrawnCheckBoxFavorite::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    dimWhileDisabled(painter);
    if (applicationIsDark())
        DrawingKit::drawIcon_favoriteDarkUICanvas(painter, rect(), ResizingBehavior::scaleToFit, isMouseOver(),
                                                  isChecked());
    else
        DrawingKit::drawIcon_favoriteLightUICanvas(painter, rect(), ResizingBehavior::scaleToFit, isMouseOver(),
                                                   isChecked());
    drawFocusRing(painter);
}

} // namespace vantel
