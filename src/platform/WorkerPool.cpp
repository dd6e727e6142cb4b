#include "platform/WorkerPool.h"

#include <QtGlobal>

#include <algorithm>
#include <chrono>
#include <exception>
#include <thread>

namespace vantel::platform {

namespace {
constexpr auto kIdleRetirement = std::chrono::seconds(10);
}

WorkerPool& WorkerPool::shared()
{
    // Never destroyed: detached workers may still look at it while the process exits.
    static WorkerPool* pool = new WorkerPool;
    return *pool;
}

WorkerPool::WorkerPool()
{
    const unsigned cores = std::thread::hardware_concurrency();
    baseThreads_ = std::max<std::size_t>(2, cores);
    maxThreads_ = std::max<std::size_t>(64, baseThreads_ * 4);
}

void WorkerPool::submit(std::function<void()> task)
{
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
    // Every idle thread takes one waiting task; start one more when the
    // waiting tasks outnumber them.
    if (tasks_.size() > idle_ && threads_ < maxThreads_)
        spawnLocked();
    else
        wake_.notify_one();
}

std::size_t WorkerPool::threadCount() const
{
    std::lock_guard lock(mutex_);
    return threads_;
}

void WorkerPool::spawnLocked()
{
    try {
        std::thread([this] { run(); }).detach();
        ++threads_;
    } catch (const std::system_error& error) {
        // Out of threads: the existing ones will get to the task later.
        qWarning("WorkerPool: could not start a thread (%s)", error.what());
        wake_.notify_one();
    }
}

void WorkerPool::run()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        while (tasks_.empty()) {
            ++idle_;
            bool retire = false;
            if (threads_ > baseThreads_)
                retire = !wake_.wait_for(lock, kIdleRetirement, [this] { return !tasks_.empty(); });
            else
                wake_.wait(lock, [this] { return !tasks_.empty(); });
            --idle_;
            if (retire) {
                --threads_;
                return;
            }
        }
        std::function<void()> task = std::move(tasks_.front());
        tasks_.pop_front();
        lock.unlock();
        try {
            task();
        } catch (const std::exception& error) {
            qCritical("WorkerPool: a block ended with an exception: %s", error.what());
        } catch (...) {
            qCritical("WorkerPool: a block ended with an unknown exception");
        }
        task = nullptr; // drop captures before taking the lock again
        lock.lock();
    }
}

} // namespace vantel::platform
