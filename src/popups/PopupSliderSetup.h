#pragma once

namespace vantel {

class ColorSlider;

// How every editing popover sets up its hue slider when it appears: the
// action comes on release, the slider takes no keyboard focus, a knob of 16
// with a 0.5 border on a 10-point track (both capped at the slider's
// height), enabled.
void prepareColorSlider(ColorSlider& slider);

} // namespace vantel
