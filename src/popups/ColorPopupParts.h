#pragma once

#include "platform/Color.h"
#include "popups/ColorSlider.h"
#include "popups/PopupSliderSetup.h"

#include <QList>
#include <QPointer>

#include <optional>

class QWidget;

namespace vantel {

class DrawnColorCircle;

// What the colour-editing popovers build and read alike.
namespace ColorPopupParts {

// Swatch `index` (from 0), named colorCircle01, colorCircle02 ..., `side` square.
DrawnColorCircle* makeColorCircle(int index, int side, QWidget* parent);
// The swatches still alive, in order (a destroyed one as null).
QList<DrawnColorCircle*> colorCircleList(const QList<QPointer<DrawnColorCircle>>& circles);

// The hue slider, named colorSlider, 20 high, running from 0 to 1.
ColorSlider* makeColorSlider(QWidget* parent);
// Sets the slider up for showing and has its action call `slot`, once
// however often the popover appears.
template <class Receiver>
void prepareColorSlider(ColorSlider* slider, Receiver* receiver, void (Receiver::*slot)())
{
    if (!slider)
        return;
    vantel::prepareColorSlider(*slider);
    QObject::connect(slider, &ColorSlider::triggered, receiver, slot, Qt::UniqueConnection);
}

// The colour a swatch chooses: the clear colour is no colour.
std::optional<platform::Color> swatchChoice(const QColor& color);

} // namespace ColorPopupParts

} // namespace vantel
