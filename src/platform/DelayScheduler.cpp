#include "platform/DelayScheduler.h"

#include <QtGlobal>

#include <exception>
#include <thread>

namespace vantel::platform {

DelayScheduler& DelayScheduler::shared()
{
    // Never destroyed, like the worker pool: its thread is detached.
    static DelayScheduler* scheduler = new DelayScheduler;
    return *scheduler;
}

void DelayScheduler::schedule(std::chrono::milliseconds delay, std::function<void()> task)
{
    if (delay.count() < 0)
        delay = std::chrono::milliseconds(0);
    std::lock_guard lock(mutex_);
    entries_.push(Entry{Clock::now() + delay, nextOrder_++, std::move(task)});
    if (!started_) {
        std::thread([this] { run(); }).detach();
        started_ = true;
    }
    wake_.notify_one();
}

void DelayScheduler::run()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        if (entries_.empty()) {
            wake_.wait(lock);
            continue;
        }
        const auto due = entries_.top().due;
        if (Clock::now() < due) {
            wake_.wait_until(lock, due);
            continue;
        }
        // priority_queue::top is const; the entry is popped right after.
        std::function<void()> task = std::move(const_cast<Entry&>(entries_.top()).task);
        entries_.pop();
        lock.unlock();
        try {
            task();
        } catch (const std::exception& error) {
            qCritical("DelayScheduler: a task ended with an exception: %s", error.what());
        } catch (...) {
            qCritical("DelayScheduler: a task ended with an unknown exception");
        }
        task = nullptr;
        lock.lock();
    }
}

} // namespace vantel::platform
