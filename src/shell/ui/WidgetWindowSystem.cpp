#include "shell/ui/WidgetWindowSystem.h"

#include "platform/ui/ScreenProvider.h"
#include "shell/VantelWindowEnum.h"
#include "shell/ui/MainPopover.h"

#include <QApplication>
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
    QList<WindowController*> controllers;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        auto* object = window->property(WindowController::windowControllerProperty).value<QObject*>();
        if (auto* controller = dynamic_cast<WindowController*>(object))
            controllers.append(controller);
    }
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
