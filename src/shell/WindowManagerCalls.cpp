#include "shell/WindowManagerCalls.h"

#include "shell/VantelManager.h"

#include <QGuiApplication>
#include <QWindow>

namespace vantel::WindowManagerCalls {

namespace {

constexpr VantelWindowEnum::Kind allKinds[] = {
    VantelWindowEnum::main,     VantelWindowEnum::config,          VantelWindowEnum::settings,
    VantelWindowEnum::info,     VantelWindowEnum::firstRun,        VantelWindowEnum::tags,
    VantelWindowEnum::versionHistory, VantelWindowEnum::addOrModifyURL, VantelWindowEnum::versionedBackup,
    VantelWindowEnum::hotkeyOverview,
};

} // namespace

void createMainWindowController()
{
    // The manager makes its main window controller on first use.
    VantelManager::shared();
}

void closeWindows()
{
    for (VantelWindowEnum::Kind kind : allKinds)
        VantelWindowEnum::closeWindow(kind);
}

void applicationLostFocus()
{
    const int state = VantelManager::shared().mainWindowState();
    // The popover and the centred window go; a detached popover stays.
    if (state == VantelManager::Popover || state == VantelManager::Window)
        VantelWindowEnum::closeWindow(VantelWindowEnum::main);
}

int mainWindowState()
{
    return VantelManager::shared().mainWindowState();
}

QList<VantelWindowEnum::Kind> visibleWindowTypes()
{
    QList<VantelWindowEnum::Kind> kinds;
    if (mainWindowState() >= VantelManager::Popover)
        kinds << VantelWindowEnum::main;
    return kinds;
}

bool isModalPanelVisible()
{
    auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    return application && QGuiApplication::modalWindow() && QGuiApplication::modalWindow()->isVisible();
}

void setStatusItemGeometry(const QRect& geometry)
{
    // The manager anchors its popover under the pointer's screen corner until
    // it takes the tray's geometry.
    Q_UNUSED(geometry);
}

} // namespace vantel::WindowManagerCalls
