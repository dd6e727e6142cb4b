#pragma once

#include "hotkeys/ModifierFlags.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace vantel {

// Detects one modifier key pressed alone twice in quick succession. Fed with
// every change of the modifier state; calls doubleTapped on the second press.
// Each single press also schedules a disarm after the clean interval; the
// disarms are never cancelled, so an older one may clear a later arming (that
// is the detector's rhythm, not a fault). Disarms run on the given queue and
// only while the handler still exists. Main thread only.
class ModifierEventHandler {
public:
    using Scheduler = std::function<void(std::chrono::milliseconds, std::function<void()>)>;

    // The scheduler defaults to the main queue.
    explicit ModifierEventHandler(std::chrono::milliseconds cleanTimeInterval, Scheduler cleanQueue = {});

    std::function<void(CocoaModifierFlags)> doubleTapped;

    void handleModifiersEvent(CocoaModifierFlags flags);
    // The same, once per timestamp: a change that reaches two monitors counts once.
    void handleModifiersEvent(CocoaModifierFlags flags, double timestamp);

    CocoaModifierFlags tappingModifierFlags() const { return tappingModifierFlags_; }
    bool isTappingMultiModifiers() const { return isTappingMultiModifiers_; }
    std::optional<double> lastHandledEventTimestamp() const { return lastHandledEventTimestamp_; }
    void setLastHandledEventTimestamp(double timestamp) { lastHandledEventTimestamp_ = timestamp; }
    std::chrono::milliseconds cleanTimeInterval() const { return cleanTimeInterval_; }

private:
    CocoaModifierFlags tappingModifierFlags_ = 0;
    bool isTappingMultiModifiers_ = false;
    std::optional<double> lastHandledEventTimestamp_;
    std::chrono::milliseconds cleanTimeInterval_;
    Scheduler cleanQueue_;
    std::shared_ptr<ModifierEventHandler*> self_;
};

} // namespace vantel
