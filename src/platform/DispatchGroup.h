#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace vantel::platform {

class DispatchQueue;

// Counts outstanding work. Copies share one group, so a block may keep the
// group alive after the waiter has given up.
class DispatchGroup {
public:
    DispatchGroup();

    void enter();
    // An unbalanced leave is reported and ignored.
    void leave();
    // True when the count reached zero within the time.
    bool wait(std::chrono::milliseconds timeout);
    void wait();
    // Runs the block once the count is zero: on the main thread, or on the
    // given queue. At once (asynchronously) when nothing is outstanding.
    void notify(std::function<void()> onMain);
    void notify(std::shared_ptr<DispatchQueue> queue, std::function<void()> block);

private:
    struct State;
    std::shared_ptr<State> state_;
};

} // namespace vantel::platform
