#include "hotkeys/ModifierEventHandler.h"

#include "platform/MainQueue.h"

#include <bit>

namespace vantel {

ModifierEventHandler::ModifierEventHandler(std::chrono::milliseconds cleanTimeInterval, Scheduler cleanQueue)
    : cleanTimeInterval_(cleanTimeInterval)
    , cleanQueue_(std::move(cleanQueue))
    , self_(std::make_shared<ModifierEventHandler*>(this))
{
    if (!cleanQueue_)
        cleanQueue_ = [](std::chrono::milliseconds delay, std::function<void()> block) {
            platform::MainQueue::asyncAfter(delay, std::move(block));
        };
}

void ModifierEventHandler::handleModifiersEvent(CocoaModifierFlags flags, double timestamp)
{
    if (lastHandledEventTimestamp_ && *lastHandledEventTimestamp_ == timestamp)
        return;
    lastHandledEventTimestamp_ = timestamp;
    handleModifiersEvent(flags);
}

void ModifierEventHandler::handleModifiersEvent(CocoaModifierFlags flags)
{
    const CocoaModifierFlags modifiers = ModifierFlags::keyModifiersOnly(flags);
    const int count = std::popcount(modifiers);
    if (count == 0)
        return;
    if (count >= 2) {
        isTappingMultiModifiers_ = true;
        return;
    }
    if (isTappingMultiModifiers_) {
        isTappingMultiModifiers_ = false;
        return;
    }
    if (tappingModifierFlags_ == modifiers) {
        const CocoaModifierFlags tapped = tappingModifierFlags_;
        tappingModifierFlags_ = 0;
        if (doubleTapped)
            doubleTapped(tapped);
    } else {
        tappingModifierFlags_ = modifiers;
    }
    std::weak_ptr<ModifierEventHandler*> weak = self_;
    cleanQueue_(cleanTimeInterval_, [weak] {
        if (const auto self = weak.lock())
            (*self)->tappingModifierFlags_ = 0;
    });
}

} // namespace vantel
