#pragma once

#include "model/DispatchQueueManager.h"

#include <memory>
#include <utility>

namespace vantel {

// One value guarded by the shared ThreadSafe queue: reads are synchronous,
// writes are barrier blocks that return at once. A read issued after a write
// from the same thread sees the write. modify() is a read followed by a
// separate write and is not atomic.
//
// Never read a ThreadSafe value from inside a block running on the shared
// queue: with a write pending it would wait on itself.
template <class T>
class ThreadSafe {
public:
    explicit ThreadSafe(T initial = T{})
        : concurrentQueue_(DispatchQueueManager::sharedQueue())
        , storage_(std::make_shared<Storage>(std::move(initial)))
    {
    }
    ThreadSafe(const ThreadSafe&) = delete;
    ThreadSafe& operator=(const ThreadSafe&) = delete;

    T get() const
    {
        return concurrentQueue_->sync([this] { return storage_->value; });
    }
    // The block holds the storage weakly: a write to a wrapper that is gone
    // by the time it runs is dropped.
    void set(T newValue)
    {
        std::weak_ptr<Storage> weakStorage = storage_;
        concurrentQueue_->asyncBarrier([weakStorage, newValue = std::move(newValue)]() mutable {
            if (auto storage = weakStorage.lock())
                storage->value = std::move(newValue);
        });
    }
    template <class Mutation>
    void modify(Mutation&& mutation)
    {
        T copy = get();
        mutation(copy);
        set(std::move(copy));
    }

private:
    struct Storage {
        explicit Storage(T v) : value(std::move(v)) {}
        T value;
    };

    const std::shared_ptr<platform::DispatchQueue> concurrentQueue_;
    const std::shared_ptr<Storage> storage_;
};

} // namespace vantel
