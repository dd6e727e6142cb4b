#pragma once

#include "platform/DialogProvider.h"

namespace vantel::platform::Dialogs {

// All of these may be called from any thread: off the main thread they run
// synchronously on it and the caller waits for the answer. (A caller that
// blocks the main thread while waiting for this thread deadlocks.)

// One "OK" button, informational style; in the middle of the screen when
// `centredOnScreen`, else over the window it is opened from.
void showAlert(const QString& messageText, const QString& informativeText, bool centredOnScreen = false);

AlertResponse runAlert(const AlertRequest& request);

OpenPanelResponse runOpenPanel(const OpenPanelRequest& request);
SavePanelResponse runSavePanel(const SavePanelRequest& request);

} // namespace vantel::platform::Dialogs
