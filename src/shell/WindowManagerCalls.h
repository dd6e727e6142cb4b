#pragma once

#include "shell/VantelWindowEnum.h"

#include <QList>
#include <QRect>

#include <functional>
#include <optional>

namespace vantel {

// The shell's calls into the window and popover manager, in one place, so the
// delegate, the menus and the tray icon reach windows only through it.
namespace WindowManagerCalls {

// Creates the main window controller (and the manager with it).
void createMainWindowController();
// Closes the main view and every catalogue window.
void closeWindows();
// The focus-loss rule of the main view.
void applicationLostFocus();
// 0..5, as the manager works it out.
int mainWindowState();
// The catalogue kinds whose windows are on screen, main included when shown.
QList<VantelWindowEnum::Kind> visibleWindowTypes();
// A modal dialog (file chooser, message box, modal window) is on screen.
bool isModalPanelVisible();
// Where the tray shows the status item, asked each time the popover opens;
// none where the tray does not tell.
void setStatusItemAnchorProvider(std::function<std::optional<QRect>()> provider);

} // namespace WindowManagerCalls

} // namespace vantel
