#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>

class QWidget;

namespace vantel::platform {

// Where a top-level window goes, its frame counted whole: the window
// manager's decoration is known on a mapped window only, so before the first
// map it is asked for (X11's frame-extents request) or taken from another
// window of the program. Main thread.
namespace WindowPlacement {

// The decoration the window has, or will have once mapped; none where
// nobody can tell (no window manager, another platform).
QMargins decoration(QWidget* window);

// Moves the window at its present size so that its frame, decoration
// included, is centred on `centre` and kept inside `area`.
void centre(QWidget* window, const QPoint& centre, const QRect& area);

// The same on the screen `opener` lies on, else the pointer's, else the
// main one, in the part that panels leave free.
void centreOnScreen(QWidget* window, const QWidget* opener);

} // namespace WindowPlacement

} // namespace vantel::platform
