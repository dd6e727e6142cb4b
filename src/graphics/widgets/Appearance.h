#pragma once

#include <QColor>

namespace vantel {

// The application's appearance, asked afresh at every draw so that a theme
// change shows at the next repaint: dark when the application palette's
// window colour is dark. Not the widget's own palette.
bool applicationIsDark();

// The accent colour of the application (its palette's highlight).
QColor applicationAccentColor();

} // namespace vantel
