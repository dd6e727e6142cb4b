#pragma once

#include <chrono>
#include <memory>

namespace vantel::platform {

// A counting semaphore. Copies share one semaphore.
class DispatchSemaphore {
public:
    // A negative start value is taken as zero.
    explicit DispatchSemaphore(int value);

    void signal();
    // True when a unit was taken within the time.
    bool wait(std::chrono::milliseconds timeout);
    void wait();

private:
    struct State;
    std::shared_ptr<State> state_;
};

} // namespace vantel::platform
