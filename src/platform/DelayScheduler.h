#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <queue>
#include <vector>

namespace vantel::platform {

// One thread that hands tasks on once their time has come (the "after" of the
// dispatch queues). The task itself should only submit work elsewhere.
class DelayScheduler {
public:
    using Clock = std::chrono::steady_clock;

    static DelayScheduler& shared();

    void schedule(std::chrono::milliseconds delay, std::function<void()> task);

private:
    DelayScheduler() = default;
    void run();

    struct Entry {
        Clock::time_point due;
        std::uint64_t order; // equal deadlines keep their submission order
        std::function<void()> task;
    };
    struct Later {
        bool operator()(const Entry& a, const Entry& b) const
        {
            return a.due != b.due ? a.due > b.due : a.order > b.order;
        }
    };

    std::mutex mutex_;
    std::condition_variable wake_;
    std::priority_queue<Entry, std::vector<Entry>, Later> entries_;
    std::uint64_t nextOrder_ = 0;
    bool started_ = false;
};

} // namespace vantel::platform
