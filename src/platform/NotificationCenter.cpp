#include "platform/NotificationCenter.h"

#include <atomic>
#include <mutex>
#include <vector>

namespace vantel::platform {

class NotificationCenterState {
public:
    struct Observer {
        std::uint64_t id;
        QString name;
        const void* sender;
        std::function<void(const Notification&)> handler;
        std::atomic<bool> active{true};
    };

    std::uint64_t add(const QString& name, std::function<void(const Notification&)> handler,
                      const void* sender)
    {
        std::lock_guard lock(mutex);
        auto observer = std::make_shared<Observer>();
        observer->id = nextId++;
        observer->name = name;
        observer->sender = sender;
        observer->handler = std::move(handler);
        observers.push_back(observer);
        return observer->id;
    }

    void remove(std::uint64_t id)
    {
        std::shared_ptr<Observer> removed; // its handler is destroyed outside the lock
        {
            std::lock_guard lock(mutex);
            for (auto it = observers.begin(); it != observers.end(); ++it) {
                if ((*it)->id == id) {
                    removed = *it;
                    removed->active = false;
                    observers.erase(it);
                    break;
                }
            }
        }
    }

    std::vector<std::shared_ptr<Observer>> matching(const QString& name, const void* sender)
    {
        std::vector<std::shared_ptr<Observer>> result;
        std::lock_guard lock(mutex);
        for (const auto& observer : observers) {
            if (!observer->name.isEmpty() && observer->name != name)
                continue;
            if (observer->sender && observer->sender != sender)
                continue;
            result.push_back(observer);
        }
        return result;
    }

    mutable std::mutex mutex;
    std::vector<std::shared_ptr<Observer>> observers;
    std::uint64_t nextId = 1;
};

// ObserverToken

ObserverToken::ObserverToken(std::weak_ptr<NotificationCenterState> center, std::uint64_t id)
    : center_(std::move(center))
    , id_(id)
{
}

ObserverToken::~ObserverToken()
{
    reset();
}

ObserverToken::ObserverToken(ObserverToken&& other) noexcept
    : center_(std::move(other.center_))
    , id_(other.id_)
{
    other.center_.reset();
    other.id_ = 0;
}

ObserverToken& ObserverToken::operator=(ObserverToken&& other) noexcept
{
    if (this != &other) {
        reset();
        center_ = std::move(other.center_);
        id_ = other.id_;
        other.center_.reset();
        other.id_ = 0;
    }
    return *this;
}

void ObserverToken::reset()
{
    if (auto center = center_.lock())
        center->remove(id_);
    center_.reset();
    id_ = 0;
}

void ObserverToken::release()
{
    center_.reset();
    id_ = 0;
}

bool ObserverToken::isActive() const
{
    return id_ != 0 && !center_.expired();
}

// NotificationCenter

NotificationCenter::NotificationCenter()
    : state_(std::make_shared<NotificationCenterState>())
{
}

NotificationCenter::~NotificationCenter() = default;

NotificationCenter& NotificationCenter::defaultCenter()
{
    // Never destroyed, so posts during the program's exit still find it.
    static NotificationCenter* center = new NotificationCenter;
    return *center;
}

NotificationCenter& NotificationCenter::workspaceCenter()
{
    static NotificationCenter* center = new NotificationCenter;
    return *center;
}

ObserverToken NotificationCenter::addObserver(const QString& name,
                                              std::function<void(const Notification&)> handler,
                                              const void* sender)
{
    if (!handler)
        return {};
    return ObserverToken(state_, state_->add(name, std::move(handler), sender));
}

void NotificationCenter::removeObserver(const ObserverToken& token)
{
    if (token.id_ == 0)
        return;
    // Only this centre's own tokens: ids of different centres may coincide.
    if (token.center_.lock() == state_)
        state_->remove(token.id_);
}

void NotificationCenter::post(const QString& name, std::any object, const void* sender)
{
    const auto observers = state_->matching(name, sender);
    if (observers.empty())
        return;
    const Notification notification{name, std::move(object), sender};
    for (const auto& observer : observers) {
        if (observer->active)
            observer->handler(notification);
    }
}

int NotificationCenter::observerCount() const
{
    std::lock_guard lock(state_->mutex);
    return static_cast<int>(state_->observers.size());
}

} // namespace vantel::platform
