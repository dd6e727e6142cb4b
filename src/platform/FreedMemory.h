#pragma once

#include <chrono>

namespace vantel::platform {

// glibc keeps what a burst of work freed (a scan of every desktop file, on
// worker threads with arenas of their own) mapped for reuse; a program that
// sits in the tray all day should give it back. Called from any thread after
// such a burst: once the main thread has been free of calls for `settle`,
// the free pages of every arena are returned, once for all calls meanwhile.
void returnFreedMemorySoon(std::chrono::milliseconds settle = std::chrono::milliseconds(500));

// How many times the pages were returned (for tests).
int freedMemoryReturns();

} // namespace vantel::platform
