#pragma once

#include <QString>

#include <any>
#include <cstdint>
#include <functional>
#include <memory>

namespace vantel::platform {

struct Notification {
    QString name;
    std::any object;
    const void* sender = nullptr;
};

class NotificationCenterState;

// Keeps an observer registered for as long as it lives. Movable, not copyable.
// release() lets go of the token while the observer stays registered for the
// life of its centre.
class [[nodiscard]] ObserverToken {
public:
    ObserverToken() = default;
    ~ObserverToken();
    ObserverToken(ObserverToken&& other) noexcept;
    ObserverToken& operator=(ObserverToken&& other) noexcept;
    ObserverToken(const ObserverToken&) = delete;
    ObserverToken& operator=(const ObserverToken&) = delete;

    // Removes the observer now; the token is empty afterwards.
    void reset();
    void release();
    // True while the token still owns a registration.
    bool isActive() const;

private:
    friend class NotificationCenter;
    ObserverToken(std::weak_ptr<NotificationCenterState> center, std::uint64_t id);

    std::weak_ptr<NotificationCenterState> center_;
    std::uint64_t id_ = 0;
};

// Name-keyed observers. A post is delivered synchronously on the posting
// thread, in registration order, to a snapshot of the observers taken when the
// post starts: observers added during the delivery hear the next post, an
// observer removed during the delivery is not called any more. Handlers that
// touch the UI must hop to the main thread themselves.
class NotificationCenter {
public:
    NotificationCenter();
    ~NotificationCenter();
    NotificationCenter(const NotificationCenter&) = delete;
    NotificationCenter& operator=(const NotificationCenter&) = delete;

    static NotificationCenter& defaultCenter();
    // Where the workspace (volumes, sleep, running applications) posts.
    static NotificationCenter& workspaceCenter();

    // An empty name observes every notification. A sender filter of nullptr
    // accepts any sender, otherwise only posts from that sender.
    [[nodiscard]] ObserverToken addObserver(const QString& name,
                                            std::function<void(const Notification&)> handler,
                                            const void* sender = nullptr);
    void removeObserver(const ObserverToken& token);
    void post(const QString& name, std::any object = {}, const void* sender = nullptr);

    // Number of registered observers; for diagnostics.
    int observerCount() const;

private:
    std::shared_ptr<NotificationCenterState> state_;
};

} // namespace vantel::platform
