#pragma once

namespace vantel::platform {

// Whether the desktop composites windows, so that a window's translucent
// background shows what lies behind it (on X11: a compositing manager owns
// the _NET_WM_CM_S<screen> selection). False on platforms without windows
// (offscreen) and where it can't be told; callers then draw opaque.
bool desktopComposites();

} // namespace vantel::platform
