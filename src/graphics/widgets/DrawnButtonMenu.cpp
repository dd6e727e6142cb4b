#include "graphics/widgets/DrawnButtonMenu.h"

#include "graphics/DrawingKit.h"
#include "graphics/widgets/Appearance.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace vantel {

DrawnButtonMenu::DrawnButtonMenu(QWidget* parent)
    : DrawnButton(parent)
{
    setAccessibleName(QStringLiteral("Menu"));
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

void DrawnButtonMenu::runHandler()
{
    if (mouseDownHandler)
        mouseDownHandler();
}

void DrawnButtonMenu::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    event->accept();
    runHandler();
}

void DrawnButtonMenu::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
}

void DrawnButtonMenu::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!event->isAutoRepeat())
            runHandler();
        event->accept();
        return;
    default:
        DrawnButton::keyPressEvent(event);
    }
}

void DrawnButtonMenu::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space) {
        event->accept();
        return;
    }
    DrawnButton::keyReleaseEvent(event);
}

} // namespace vantel
