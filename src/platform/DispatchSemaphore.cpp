#include "platform/DispatchSemaphore.h"

#include <QtGlobal>

#include <condition_variable>
#include <mutex>

namespace vantel::platform {

struct DispatchSemaphore::State {
    std::mutex mutex;
    std::condition_variable available;
    long value = 0;
};

DispatchSemaphore::DispatchSemaphore(int value)
    : state_(std::make_shared<State>())
{
    if (value < 0)
        qWarning("DispatchSemaphore: negative start value %d taken as 0", value);
    state_->value = value < 0 ? 0 : value;
}

void DispatchSemaphore::signal()
{
    std::lock_guard lock(state_->mutex);
    ++state_->value;
    state_->available.notify_one();
}

bool DispatchSemaphore::wait(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(state_->mutex);
    if (!state_->available.wait_for(lock, timeout, [this] { return state_->value > 0; }))
        return false;
    --state_->value;
    return true;
}

void DispatchSemaphore::wait()
{
    std::unique_lock lock(state_->mutex);
    state_->available.wait(lock, [this] { return state_->value > 0; });
    --state_->value;
}

} // namespace vantel::platform
