#pragma once

#include <functional>

namespace vantel::platform {

// Ends a subscription when destroyed or cancelled. Movable, not copyable.
class [[nodiscard]] Cancellable {
public:
    Cancellable() = default;
    explicit Cancellable(std::function<void()> cancel);
    ~Cancellable();
    Cancellable(Cancellable&& other) noexcept;
    Cancellable& operator=(Cancellable&& other) noexcept;
    Cancellable(const Cancellable&) = delete;
    Cancellable& operator=(const Cancellable&) = delete;

    void cancel();
    bool isActive() const { return static_cast<bool>(cancel_); }

private:
    std::function<void()> cancel_;
};

} // namespace vantel::platform
