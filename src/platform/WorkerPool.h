#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>

namespace vantel::platform {

// The threads behind every DispatchQueue. It keeps about one thread per core
// and adds threads while every thread is busy and work is waiting, so a block
// that blocks (on the main thread, on another queue) cannot starve the rest.
// Extra threads leave again after a while without work. The pool lives for
// the whole process: its threads are detached and never joined.
class WorkerPool {
public:
    static WorkerPool& shared();

    void submit(std::function<void()> task);

    std::size_t threadCount() const;

private:
    WorkerPool();
    void spawnLocked();
    void run();

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> tasks_;
    std::size_t threads_ = 0;
    std::size_t idle_ = 0;
    std::size_t baseThreads_ = 2;
    std::size_t maxThreads_ = 64;
};

} // namespace vantel::platform
