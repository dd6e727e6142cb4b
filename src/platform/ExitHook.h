#pragma once

#include <functional>

namespace vantel::platform {

// A last action for a process that ends through exit() without returning
// from main: Qt's X11 plugin calls exit(1) when the connection to the display
// breaks (the X server ended, a session without a session manager logged
// out), so neither the event loop's end nor aboutToQuit ever comes.
//
// The action runs at most once, on the main thread only (another thread's
// exit() skips it: the main thread may be using the same objects). It runs as
// soon as Qt reports the broken connection ("The X11 connection broke ..."),
// while every object still lives; else from an atexit handler, before the
// static objects that existed at install() are destroyed. It must not wait for
// the display nor show anything.
namespace ExitHook {

// After the action on Qt's report of the lost display: end the process at
// once with Qt's status 1, without the static destructors that other threads
// may still be using (the crash-prone part of exit()), or go back to Qt.
enum class AfterLostDisplay { endProcess, returnToQt };

// Arms the action, replacing an earlier one. Main thread.
void install(std::function<void()> action, AfterLostDisplay after = AfterLostDisplay::endProcess);
// The orderly way out has run: the action is dropped unrun.
void disarm();
bool isArmed();
// Runs the armed action now, once, as the hook would (tests).
void runNow();

} // namespace ExitHook

} // namespace vantel::platform
