#include "platform/ui/FloatingWindow.h"

#include "platform/ui/PopoverHost.h"

#include <QApplication>

namespace vantel::platform {

QWidget* floatingWindow(const QWidget* except, bool withPopovers)
{
    const auto floats = [except, withPopovers](const QWidget* window) {
        if (!window || window == except || !window->isVisible()
            || !window->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
            return false;
        // Menus and tips come and go by themselves.
        const Qt::WindowType type = window->windowType();
        if (type == Qt::Popup || type == Qt::ToolTip || type == Qt::SplashScreen)
            return false;
        return withPopovers || !qobject_cast<const PopoverHost*>(window);
    };
    if (QWidget* active = QApplication::activeWindow(); floats(active))
        return active;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (floats(window))
            return window;
    }
    return nullptr;
}

} // namespace vantel::platform
