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

} // namespace vantel::platform
