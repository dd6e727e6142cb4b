#include "shell/ui/WidgetWindowSystem.h"

#include "platform/ui/ScreenProvider.h"
#include "shell/VantelWindowEnum.h"
#include "shell/ui/MainPopover.h"

#include <QApplication>
#include <QWindow>

#include <algorithm>
#include <QVariant>
#include <QWidget>

namespace vantel {

namespace {

std::optional<QRect> frameOf(const std::optional<platform::ScreenInfo>& screen)
{
    if (!screen)
        return std::nullopt;
    return screen->frame;
}

} // namespace

QList<WindowController*> WidgetWindowSystem::windowControllers() const
{
    // In the order the windows were made (never-shown ones last), as the
    // list of top-level widgets has no order of its own.
    const QWindowList order = QGuiApplication::allWindows();
    QList<QPair<qsizetype, WindowController*>> found;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        auto* object = window->property(WindowController::windowControllerProperty).value<QObject*>();
        auto* controller = dynamic_cast<WindowController*>(object);
        if (!controller)
            continue;
        // A controller the catalogue already let go of is on its way out.
        if (controller->windowKind && VantelWindowEnum::windowController(*controller->windowKind).get() != controller)
            continue;
        const qsizetype index = window->windowHandle() ? order.indexOf(window->windowHandle()) : -1;
        found.append({index < 0 ? order.size() : index, controller});
    }
    std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    QList<WindowController*> controllers;
    for (const auto& entry : found)
        controllers.append(entry.second);
    return controllers;
}

bool WidgetWindowSystem::isModalPanelVisible() const
{
    for (const QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && window->windowModality() != Qt::NonModal)
            return true;
    return false;
}

void WidgetWindowSystem::activateApplication()
{
    QWidget* target = QApplication::activeModalWidget();
    if (!target)
        target = QApplication::activeWindow();
    if (!target) {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->isVisible() && window->isWindow()
                && (window->windowFlags() & Qt::WindowType_Mask) != Qt::Popup) {
                target = window;
                break;
            }
        }
    }
    if (!target)
        return;
    target->raise();
    target->activateWindow();
}

bool WidgetWindowSystem::canPlaceWindows() const
{
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

std::optional<QRect> WidgetWindowSystem::screenWithMouse() const
{
    return frameOf(platform::ScreenProvider::shared().screenWithMouse());
}

std::optional<QRect> WidgetWindowSystem::mainScreen() const
{
    return frameOf(platform::ScreenProvider::shared().mainScreen());
}

std::optional<QRect> WidgetWindowSystem::firstScreen() const
{
    return frameOf(platform::ScreenProvider::shared().firstScreen());
}

std::optional<QRect> WidgetWindowSystem::availableFrame(const QRect& screenFrame) const
{
    for (const platform::ScreenInfo& screen : platform::ScreenProvider::shared().screens())
        if (screen.frame == screenFrame)
            return screen.availableFrame;
    return screenFrame;
}

std::shared_ptr<Popover> WidgetWindowSystem::makePopover()
{
    return std::make_shared<MainPopover>();
}

} // namespace vantel
