#include "platform/DispatchQueue.h"

#include "platform/DelayScheduler.h"
#include "platform/DispatchQueueState.h"

#include <QtGlobal>

namespace vantel::platform {

std::shared_ptr<DispatchQueue> DispatchQueue::create(const QString& label, Kind kind)
{
    return std::make_shared<DispatchQueue>(Passkey{}, label, kind, true);
}

std::shared_ptr<DispatchQueue> DispatchQueue::global()
{
    static const std::shared_ptr<DispatchQueue> queue = std::make_shared<DispatchQueue>(
        Passkey{}, QStringLiteral("net.tarnwick.vantel.global"), Kind::Concurrent, false);
    return queue;
}

DispatchQueue::DispatchQueue(Passkey, const QString& label, Kind kind, bool barriersAllowed)
    : state_(std::make_shared<DispatchQueueState>(label, kind == Kind::Serial))
    , barriersAllowed_(barriersAllowed)
{
}

DispatchQueue::~DispatchQueue() = default;

QString DispatchQueue::label() const
{
    return state_->label;
}

DispatchQueue::Kind DispatchQueue::kind() const
{
    return state_->serial ? Kind::Serial : Kind::Concurrent;
}

void DispatchQueue::async(std::function<void()> block)
{
    if (!block)
        return;
    state_->submit(false, std::move(block));
}

void DispatchQueue::asyncBarrier(std::function<void()> block)
{
    if (!block)
        return;
    state_->submit(barriersAllowed_, std::move(block));
}

void DispatchQueue::sync(const std::function<void()>& block)
{
    runSync(false, block);
}

void DispatchQueue::syncBarrier(const std::function<void()>& block)
{
    runSync(true, block);
}

void DispatchQueue::runSync(bool exclusive, const std::function<void()>& block)
{
    if (!block)
        return;
    exclusive = exclusive && barriersAllowed_;
    state_->acquire(exclusive);
    struct Release {
        DispatchQueueState* state;
        bool exclusive;
        ~Release() { state->finish(exclusive); }
    } release{state_.get(), exclusive};
    block();
}

void DispatchQueue::asyncAfter(std::chrono::milliseconds delay, std::function<void()> block)
{
    if (!block)
        return;
    DelayScheduler::shared().schedule(delay, [state = state_, block = std::move(block)]() mutable {
        state->submit(false, std::move(block));
    });
}

} // namespace vantel::platform
