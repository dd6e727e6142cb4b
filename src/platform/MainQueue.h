#pragma once

#include <chrono>
#include <functional>

namespace vantel::platform {

// The Qt main thread as a serial queue: blocks are queued invocations on the
// application object, run by the main event loop in submission order. Works
// under QCoreApplication as well as the GUI application types. Blocks
// submitted before an application object exists are dropped with a warning;
// blocks still queued when it is destroyed, or submitted after (the last
// completions of work that ends at quit), are dropped quietly and never run.
namespace MainQueue {

void async(std::function<void()> block);

// Runs the block on the main thread and returns after it ran. On the main
// thread it runs at once. From another thread it waits for the main event
// loop, so the main thread must not itself be waiting for the caller.
void sync(const std::function<void()>& block);

void asyncAfter(std::chrono::milliseconds delay, std::function<void()> block);

bool isMainThread();

} // namespace MainQueue

} // namespace vantel::platform
