#include "shell/WindowSystem.h"

namespace vantel {

namespace {

std::shared_ptr<WindowSystem>& installed()
{
    static std::shared_ptr<WindowSystem> system;
    return system;
}

} // namespace

WindowSystem& WindowSystem::shared()
{
    if (const auto& system = installed())
        return *system;
    static WindowSystem fallback;
    return fallback;
}

void WindowSystem::setShared(std::shared_ptr<WindowSystem> system)
{
    installed() = std::move(system);
}

} // namespace vantel
