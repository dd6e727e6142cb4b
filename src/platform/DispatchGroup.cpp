#include "platform/DispatchGroup.h"

#include "platform/DispatchQueue.h"
#include "platform/MainQueue.h"

#include <QtGlobal>

#include <condition_variable>
#include <mutex>
#include <vector>

namespace vantel::platform {

struct DispatchGroup::State {
    struct Pending {
        std::shared_ptr<DispatchQueue> queue; // none: the main thread
        std::function<void()> block;
    };

    std::mutex mutex;
    std::condition_variable empty;
    long count = 0;
    std::vector<Pending> pending;

    static void dispatch(Pending& item)
    {
        if (item.queue)
            item.queue->async(std::move(item.block));
        else
            MainQueue::async(std::move(item.block));
    }
};

DispatchGroup::DispatchGroup()
    : state_(std::make_shared<State>())
{
}

void DispatchGroup::enter()
{
    std::lock_guard lock(state_->mutex);
    ++state_->count;
}

void DispatchGroup::leave()
{
    std::vector<State::Pending> ready;
    {
        std::lock_guard lock(state_->mutex);
        if (state_->count == 0) {
            qWarning("DispatchGroup: leave() without a matching enter() is ignored");
            return;
        }
        if (--state_->count > 0)
            return;
        ready.swap(state_->pending);
        state_->empty.notify_all();
    }
    for (auto& item : ready)
        State::dispatch(item);
}

bool DispatchGroup::wait(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(state_->mutex);
    return state_->empty.wait_for(lock, timeout, [this] { return state_->count == 0; });
}

void DispatchGroup::wait()
{
    std::unique_lock lock(state_->mutex);
    state_->empty.wait(lock, [this] { return state_->count == 0; });
}

void DispatchGroup::notify(std::function<void()> onMain)
{
    notify(nullptr, std::move(onMain));
}

void DispatchGroup::notify(std::shared_ptr<DispatchQueue> queue, std::function<void()> block)
{
    if (!block)
        return;
    State::Pending item{std::move(queue), std::move(block)};
    {
        std::lock_guard lock(state_->mutex);
        if (state_->count > 0) {
            state_->pending.push_back(std::move(item));
            return;
        }
    }
    State::dispatch(item);
}

} // namespace vantel::platform
