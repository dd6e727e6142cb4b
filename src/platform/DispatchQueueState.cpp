#include "platform/DispatchQueueState.h"

#include "platform/WorkerPool.h"

namespace vantel::platform {

DispatchQueueState::DispatchQueueState(const QString& queueLabel, bool isSerial)
    : label(queueLabel)
    , serial(isSerial)
{
}

bool DispatchQueueState::canEnterNowLocked(bool exclusive) const
{
    if (!waiting_.empty() || runningExclusive_)
        return false;
    return !exclusive || runningShared_ == 0;
}

void DispatchQueueState::submit(bool exclusive, std::function<void()> block)
{
    exclusive = exclusive || serial;
    std::lock_guard lock(mutex_);
    waiting_.push_back(Waiting{exclusive, std::move(block), nextTicket_++});
    pumpLocked();
}

void DispatchQueueState::acquire(bool exclusive)
{
    exclusive = exclusive || serial;
    std::unique_lock lock(mutex_);
    if (canEnterNowLocked(exclusive)) {
        if (exclusive)
            runningExclusive_ = true;
        else
            ++runningShared_;
        return;
    }
    const std::uint64_t ticket = nextTicket_++;
    waiting_.push_back(Waiting{exclusive, {}, ticket});
    pumpLocked();
    turn_.wait(lock, [this, ticket] { return admittedUpTo_ >= ticket; });
}

void DispatchQueueState::finish(bool exclusive)
{
    exclusive = exclusive || serial;
    std::lock_guard lock(mutex_);
    if (exclusive)
        runningExclusive_ = false;
    else
        --runningShared_;
    pumpLocked();
}

void DispatchQueueState::pumpLocked()
{
    bool admittedWaiter = false;
    while (!waiting_.empty() && !runningExclusive_) {
        Waiting& head = waiting_.front();
        if (head.exclusive) {
            if (runningShared_ > 0)
                break;
            runningExclusive_ = true;
        } else {
            ++runningShared_;
        }
        const bool exclusive = head.exclusive;
        admittedUpTo_ = head.ticket;
        if (head.block) {
            WorkerPool::shared().submit(
                [self = shared_from_this(), exclusive, block = std::move(head.block)] {
                    // finish() also runs when the block throws.
                    struct Done {
                        DispatchQueueState* state;
                        bool exclusive;
                        ~Done() { state->finish(exclusive); }
                    } done{self.get(), exclusive};
                    block();
                });
        } else {
            admittedWaiter = true;
        }
        waiting_.pop_front();
    }
    if (admittedWaiter)
        turn_.notify_all();
}

} // namespace vantel::platform
