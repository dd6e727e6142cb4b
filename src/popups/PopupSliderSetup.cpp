#include "popups/PopupSliderSetup.h"

#include "popups/ColorSlider.h"

namespace vantel {

void prepareColorSlider(ColorSlider& slider)
{
    slider.setContinuous(false);
    slider.setRefusesFirstResponder(true);
    slider.setKnobBorderSize(0.5);
    slider.setKnobHeight(16);
    slider.setSliderHeight(10);
    slider.setEnabled(true);
}

} // namespace vantel
