#pragma once

#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>

namespace vantel::platform {

class DispatchQueueState;

// A queue of blocks run by the shared worker pool.
//
// Concurrent queue: plain blocks (async, sync) may run side by side; a barrier
// block (asyncBarrier, syncBarrier) runs alone, after every block submitted
// before it and before every block submitted after it. Barriers keep their
// submission order. So a write submitted as a barrier is seen by every read
// submitted after it, from any thread.
// Serial queue: every block runs alone, in submission order.
//
// sync and syncBarrier run the block on the calling thread once its turn has
// come. A sync on a queue from inside a block of the same queue deadlocks when
// that block is exclusive (a barrier, or any block of a serial queue), or when
// a barrier was queued in between: the inner call waits for a turn that
// cannot come. Iterate over copies instead of nesting.
//
// Pending blocks keep the queue's state alive, so dropping the last reference
// to a queue with work queued is safe: the work still runs.
class DispatchQueue : public std::enable_shared_from_this<DispatchQueue> {
    struct Passkey {
        explicit Passkey() = default;
    };

public:
    enum class Kind { Serial, Concurrent };

    static std::shared_ptr<DispatchQueue> create(const QString& label, Kind kind);
    // A shared concurrent queue for background work. Barriers submitted to it
    // run as plain blocks, so that no user can stall everybody else.
    static std::shared_ptr<DispatchQueue> global();

    DispatchQueue(Passkey, const QString& label, Kind kind, bool barriersAllowed);
    ~DispatchQueue();
    DispatchQueue(const DispatchQueue&) = delete;
    DispatchQueue& operator=(const DispatchQueue&) = delete;

    QString label() const;
    Kind kind() const;

    void async(std::function<void()> block);
    void asyncBarrier(std::function<void()> block);
    void sync(const std::function<void()>& block);
    void syncBarrier(const std::function<void()>& block);
    void asyncAfter(std::chrono::milliseconds delay, std::function<void()> block);

    template <class F>
    auto sync(F&& f) -> decltype(f())
    {
        return runReturning(false, std::forward<F>(f));
    }

    template <class F>
    auto syncBarrier(F&& f) -> decltype(f())
    {
        return runReturning(true, std::forward<F>(f));
    }

private:
    void runSync(bool exclusive, const std::function<void()>& block);

    template <class F>
    auto runReturning(bool exclusive, F&& f) -> decltype(f())
    {
        using R = decltype(f());
        if constexpr (std::is_void_v<R>) {
            runSync(exclusive, [&f] { f(); });
        } else if constexpr (std::is_reference_v<R>) {
            std::remove_reference_t<R>* result = nullptr;
            runSync(exclusive, [&f, &result] { result = &f(); });
            return static_cast<R>(*result);
        } else {
            std::optional<R> result;
            runSync(exclusive, [&f, &result] { result.emplace(f()); });
            return std::move(*result);
        }
    }

    std::shared_ptr<DispatchQueueState> state_;
    bool barriersAllowed_;
};

} // namespace vantel::platform
