#pragma once

#include "model/DispatchQueueManager.h"

#include <mutex>
#include <shared_mutex>
#include <utility>

namespace vantel {

// One value shared between threads. Reads copy the value out under a shared
// lock and may run side by side; a write stores under the exclusive lock
// before it returns, so it is seen by every later read from any thread, and
// writes run alone, in the order they take the lock. modify() is a read
// followed by a separate write and is not atomic.
//
// The lock comes from DispatchQueueManager's table and may be shared with
// other values: nothing runs under it but the copy of the value.
template <class T>
class ThreadSafe {
public:
    explicit ThreadSafe(T initial = T{})
        : value_(std::move(initial))
    {
    }
    ThreadSafe(const ThreadSafe&) = delete;
    ThreadSafe& operator=(const ThreadSafe&) = delete;

    T get() const
    {
        std::shared_lock lock(guard());
        return value_;
    }
    void set(T newValue)
    {
        {
            std::unique_lock lock(guard());
            std::swap(value_, newValue);
        }
        // newValue holds the old value now: released outside the lock.
    }
    template <class Mutation>
    void modify(Mutation&& mutation)
    {
        T copy = get();
        mutation(copy);
        set(std::move(copy));
    }

private:
    std::shared_mutex& guard() const { return DispatchQueueManager::lockFor(this); }

    T value_;
};

} // namespace vantel
