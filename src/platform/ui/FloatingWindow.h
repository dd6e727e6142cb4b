#pragma once

class QWidget;

namespace vantel::platform {

// The shown window that the window manager keeps above the program's other
// windows (a popover, a window set floating), the active one first: a window
// or dialog opened now lands under it unless it is that one's transient.
// Popovers count only `withPopovers`: what makes them give way need not go
// above them. A detached popover is a plain window. None when there is none.
QWidget* floatingWindow(const QWidget* except, bool withPopovers);

} // namespace vantel::platform
