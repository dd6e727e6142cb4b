#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>

class QTimer;

namespace vantel::platform {

// A timer on the main event loop (a precise QTimer living on the main thread).
// Created, fired or invalidated from any thread; arming and stopping always
// happen on the main thread. Like a run loop, the main thread keeps a
// scheduled timer alive until it is invalidated or, for a one-shot timer,
// until it has fired, so the returned pointer may be dropped.
class Timer : public std::enable_shared_from_this<Timer> {
    struct Passkey {
        explicit Passkey() = default;
    };

public:
    static std::shared_ptr<Timer> scheduled(std::chrono::milliseconds interval, bool repeats,
                                            std::function<void()> action);

    Timer(Passkey, std::chrono::milliseconds interval, bool repeats, std::function<void()> action);
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    // From any thread. The action does not start afterwards; from another
    // thread, a run the main thread has just begun still finishes.
    void invalidate();
    bool isValid() const;
    // Runs the action now on the calling thread. A one-shot timer is
    // invalidated by it; a repeating one keeps its schedule.
    void fire();

    std::chrono::milliseconds interval() const { return interval_; }
    bool repeats() const { return repeats_; }

private:
    void arm();    // main thread
    void disarm(); // main thread
    void onTimeout();

    const std::chrono::milliseconds interval_;
    const bool repeats_;
    const std::function<void()> action_;
    std::atomic<bool> valid_{true};
    QTimer* timer_ = nullptr; // main thread only
};

} // namespace vantel::platform
