#include "graphics/widgets/Appearance.h"

#include "model/view/ViewUtilities.h"

#include <QApplication>
#include <QPalette>

namespace vantel {

bool applicationIsDark()
{
    return isDark(QApplication::palette());
}

QColor applicationAccentColor()
{
    return QApplication::palette().color(QPalette::Active, QPalette::Highlight);
}

} // namespace vantel
