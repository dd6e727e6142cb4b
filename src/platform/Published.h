#pragma once

#include "platform/Cancellable.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace vantel::platform {

// A value that tells its subscribers of every assignment. set() stores the
// value and then calls the subscribers synchronously on the assigning thread,
// from a snapshot taken after the store; a subscriber cancelled during the
// emission is not called any more. A new subscriber gets the current value at
// once. Changing the inside of a referenced object emits nothing.
template <class T>
class Published {
public:
    Published(T initial = {})
        : state_(std::make_shared<State>(std::move(initial)))
    {
    }
    Published(const Published&) = delete;
    Published& operator=(const Published&) = delete;

    void set(T value)
    {
        std::vector<std::shared_ptr<Subscriber>> subscribers;
        {
            std::lock_guard lock(state_->mutex);
            state_->value = value;
            subscribers = state_->subscribers;
        }
        for (const auto& subscriber : subscribers) {
            if (subscriber->active)
                subscriber->handler(value);
        }
    }

    T get() const
    {
        std::lock_guard lock(state_->mutex);
        return state_->value;
    }

    [[nodiscard]] Cancellable subscribe(std::function<void(const T&)> handler)
    {
        if (!handler)
            return {};
        auto subscriber = std::make_shared<Subscriber>();
        subscriber->handler = std::move(handler);
        std::optional<T> current;
        {
            std::lock_guard lock(state_->mutex);
            subscriber->id = state_->nextId++;
            state_->subscribers.push_back(subscriber);
            current.emplace(state_->value);
        }
        Cancellable cancellable([weak = std::weak_ptr<State>(state_), id = subscriber->id] {
            if (auto state = weak.lock())
                state->remove(id);
        });
        subscriber->handler(*current);
        return cancellable;
    }

    int subscriberCount() const
    {
        std::lock_guard lock(state_->mutex);
        return static_cast<int>(state_->subscribers.size());
    }

private:
    struct Subscriber {
        std::uint64_t id = 0;
        std::function<void(const T&)> handler;
        std::atomic<bool> active{true};
    };

    struct State {
        explicit State(T initial)
            : value(std::move(initial))
        {
        }

        void remove(std::uint64_t id)
        {
            std::shared_ptr<Subscriber> removed; // released outside the lock
            std::lock_guard lock(mutex);
            for (auto it = subscribers.begin(); it != subscribers.end(); ++it) {
                if ((*it)->id == id) {
                    (*it)->active = false;
                    removed = std::move(*it);
                    subscribers.erase(it);
                    break;
                }
            }
        }

        mutable std::mutex mutex;
        T value;
        std::vector<std::shared_ptr<Subscriber>> subscribers;
        std::uint64_t nextId = 1;
    };

    std::shared_ptr<State> state_;
};

} // namespace vantel::platform
