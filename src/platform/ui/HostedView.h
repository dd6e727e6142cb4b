#pragma once

class QWidget;

namespace vantel::platform {

// How a window or popover shows a content view in its own layout. A view
// sits in one host at a time: another host that still shows it loses it
// here without its knowledge, so hosts check before use.
void embedView(QWidget* host, QWidget* view);
// Takes the view out of the host again, hidden and without a parent, if the
// host still has it.
void releaseView(QWidget* host, QWidget* view);

// A host's own close: its closeEvent decides and hides it. Not through Qt's
// window close, which destroys the native window, and making one again at
// each show keeps a little memory every time. Closes the window system asks
// for still go through the window. True when the host closed.
bool closeKeepingNativeWindow(QWidget* host);
// Raises a shown host and asks for the focus. Shown again soon after it
// hid, before the window system's late report that its focus went, Qt
// still counts the window as its focus window but no longer as the active
// one, so the focus that comes back would change nothing and the keys be
// dropped: the host is made active again then, and Qt's late report of the
// old loss is expected (FocusLoss.h).
void raiseAndActivate(QWidget* host);

} // namespace vantel::platform
