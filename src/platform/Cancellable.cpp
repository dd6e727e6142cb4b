#include "platform/Cancellable.h"

#include <utility>

namespace vantel::platform {

Cancellable::Cancellable(std::function<void()> cancel)
    : cancel_(std::move(cancel))
{
}

Cancellable::~Cancellable()
{
    cancel();
}

Cancellable::Cancellable(Cancellable&& other) noexcept
    : cancel_(std::exchange(other.cancel_, nullptr))
{
}

Cancellable& Cancellable::operator=(Cancellable&& other) noexcept
{
    if (this != &other) {
        cancel();
        cancel_ = std::exchange(other.cancel_, nullptr);
    }
    return *this;
}

void Cancellable::cancel()
{
    if (auto cancel = std::exchange(cancel_, nullptr))
        cancel();
}

} // namespace vantel::platform
