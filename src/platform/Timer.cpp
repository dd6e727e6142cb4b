#include "platform/Timer.h"

#include "platform/MainQueue.h"

#include <QTimer>

namespace vantel::platform {

std::shared_ptr<Timer> Timer::scheduled(std::chrono::milliseconds interval, bool repeats,
                                        std::function<void()> action)
{
    auto timer = std::make_shared<Timer>(Passkey{}, interval, repeats, std::move(action));
    if (MainQueue::isMainThread())
        timer->arm();
    else
        MainQueue::async([timer] { timer->arm(); });
    return timer;
}

Timer::Timer(Passkey, std::chrono::milliseconds interval, bool repeats, std::function<void()> action)
    : interval_(interval.count() < 0 ? std::chrono::milliseconds(0) : interval)
    , repeats_(repeats)
    , action_(std::move(action))
{
    if (!action_)
        valid_ = false;
}

Timer::~Timer()
{
    // Only reached once the QTimer has let go of us, or when never armed.
    if (timer_)
        timer_->deleteLater();
}

void Timer::arm()
{
    if (!valid_ || timer_)
        return;
    timer_ = new QTimer;
    timer_->setTimerType(Qt::PreciseTimer);
    timer_->setSingleShot(!repeats_);
    timer_->setInterval(interval_);
    // The connection keeps the timer alive while it is scheduled.
    QObject::connect(timer_, &QTimer::timeout, timer_, [self = shared_from_this()] { self->onTimeout(); });
    timer_->start();
}

void Timer::disarm()
{
    if (!timer_)
        return;
    QTimer* timer = timer_;
    timer_ = nullptr;
    timer->stop();
    // Possibly inside its own timeout: delete it from the event loop. Its
    // connection and with it our self-reference go with it.
    timer->deleteLater();
}

void Timer::onTimeout()
{
    if (!valid_) {
        disarm();
        return;
    }
    // A one-shot timer claims its single run (fire() may race from elsewhere).
    if (!repeats_ && !valid_.exchange(false)) {
        disarm();
        return;
    }
    action_();
    if (!valid_)
        disarm();
}

void Timer::invalidate()
{
    if (!valid_.exchange(false))
        return;
    if (MainQueue::isMainThread())
        disarm();
    else
        MainQueue::async([self = shared_from_this()] { self->disarm(); });
}

bool Timer::isValid() const
{
    return valid_;
}

void Timer::fire()
{
    if (!valid_)
        return;
    if (!repeats_) {
        // Claim the single run, so a concurrent timeout cannot run it again.
        if (!valid_.exchange(false))
            return;
        action_();
        if (MainQueue::isMainThread())
            disarm();
        else
            MainQueue::async([self = shared_from_this()] { self->disarm(); });
        return;
    }
    action_();
}

} // namespace vantel::platform
