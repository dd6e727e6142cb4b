#pragma once

#include <functional>

namespace vantel {

// Which shared lists the current thread is reading. A list consults it so
// that a read nested in a read of the same list takes no second lock, and a
// write from inside a read waits (instead of deadlocking on the lock this
// thread holds) until the outermost read of that list has ended.
class ReadScope {
public:
    explicit ReadScope(const void* list);
    ~ReadScope();
    ReadScope(const ReadScope&) = delete;
    ReadScope& operator=(const ReadScope&) = delete;

    static bool isReading(const void* list);
    // Runs `work` when the outermost read of `list` on this thread has ended
    // and its lock is released; works held back for one list run in order.
    static void defer(const void* list, std::function<void()> work);

private:
    const void* list_;
};

} // namespace vantel
