#pragma once

#include <functional>

class QObject;

namespace vantel::platform {

// Qt learns from the window system that the application lost the focus and
// reports it late: it first waits whether the focus comes back. A window
// hidden and shown again at once can hear that late report of its own hide
// after the show, and a view closing on focus loss would close at once.

// Said by a window shown again while that report is still due.
void focusLossMayFollowShow();
// Runs `act` now; or, when the loss may be that late report, a moment later
// if the application is still without the focus then (nothing after
// `context` is gone).
void whenFocusLossHolds(QObject* context, std::function<void()> act);

} // namespace vantel::platform
