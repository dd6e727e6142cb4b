#pragma once

#include <mutex>
#include <utility>

namespace vantel {

// One mutex over a model object's plain fields: reads copy the value out and
// writes swap it in, so change notifications are posted outside the lock.
class GuardedFields {
protected:
    template <class T>
    T readLocked(const T& field) const
    {
        std::lock_guard lock(mutex_);
        return field;
    }
    template <class T>
    T exchangeLocked(T& field, const T& value)
    {
        std::lock_guard lock(mutex_);
        return std::exchange(field, value);
    }

    mutable std::mutex mutex_;
};

} // namespace vantel
