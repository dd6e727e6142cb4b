#include "mainwindow/MainTableViewFocus.h"

#include <atomic>

namespace vantel {

namespace {
std::atomic<FocusedControl> current{FocusedControl::none};
}

FocusedControl focusedControl()
{
    return current.load(std::memory_order_relaxed);
}

void setFocusedControl(FocusedControl control)
{
    current.store(control, std::memory_order_relaxed);
}

} // namespace vantel
