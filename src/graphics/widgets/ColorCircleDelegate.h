#pragma once

#include <QColor>

namespace vantel {

class DrawnColorCircle;

// What a colour swatch tells its owner when it is clicked: itself and its
// current colour (which may be the clear colour).
class ColorCircleDelegate {
public:
    virtual ~ColorCircleDelegate() = default;
    virtual void colorCircleClicked(DrawnColorCircle* sender, const QColor& color) = 0;
};

} // namespace vantel
