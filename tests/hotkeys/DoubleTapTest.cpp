#include "hotkeys/HotKeyCenter.h"
#include "hotkeys/ModifierEventHandler.h"

#include "XServer.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace vantel;
using namespace vantel::test;
using namespace std::chrono_literals;

namespace {

// A clock the test moves by hand: disarming blocks run when their time comes.
class Clock {
public:
    ModifierEventHandler::Scheduler scheduler()
    {
        return [this](std::chrono::milliseconds delay, std::function<void()> block) {
            pending_.push_back({now_ + delay, std::move(block)});
        };
    }
    void advanceTo(std::chrono::milliseconds time)
    {
        for (;;) {
            auto next = pending_.end();
            for (auto it = pending_.begin(); it != pending_.end(); ++it)
                if (it->due <= time && (next == pending_.end() || it->due < next->due))
                    next = it;
            if (next == pending_.end())
                break;
            now_ = next->due;
            auto block = std::move(next->block);
            pending_.erase(next);
            block();
            ++ran_;
        }
        now_ = time;
    }
    int ran() const { return ran_; }

private:
    struct Pending {
        std::chrono::milliseconds due;
        std::function<void()> block;
    };
    std::chrono::milliseconds now_{0};
    std::vector<Pending> pending_;
    int ran_ = 0;
};

struct Detector {
    Clock clock;
    ModifierEventHandler handler{300ms, clock.scheduler()};
    std::vector<CocoaModifierFlags> taps;
    Detector()
    {
        handler.doubleTapped = [this](CocoaModifierFlags flags) { taps.push_back(flags); };
    }
    // Press at the time, release right after.
    void tap(std::chrono::milliseconds at, CocoaModifierFlags flags)
    {
        clock.advanceTo(at);
        handler.handleModifiersEvent(flags);
        handler.handleModifiersEvent(0);
    }
};

constexpr CocoaModifierFlags command = ModifierFlags::command;
constexpr CocoaModifierFlags shift = ModifierFlags::shift;

} // namespace

TEST(ModifierEventHandler, TimingCases)
{
    {
        Detector d;
        d.tap(0ms, command);
        EXPECT_TRUE(d.taps.empty());
        d.tap(200ms, command | ModifierFlags::capsLock);
        EXPECT_EQ(d.taps, std::vector<CocoaModifierFlags>{command});
    }
    {
        Detector d; // another modifier replaces the armed one
        d.tap(0ms, command);
        d.tap(100ms, shift);
        EXPECT_TRUE(d.taps.empty());
        d.tap(200ms, shift);
        EXPECT_EQ(d.taps, std::vector<CocoaModifierFlags>{shift});
    }
    {
        Detector d; // too slow
        d.tap(0ms, command);
        d.tap(310ms, command);
        EXPECT_TRUE(d.taps.empty());
    }
    {
        Detector d; // a chord does not disarm what was armed before it
        d.tap(0ms, command);
        d.clock.advanceTo(50ms);
        d.handler.handleModifiersEvent(command | shift);
        d.handler.handleModifiersEvent(command);
        d.handler.handleModifiersEvent(0);
        d.tap(150ms, command);
        EXPECT_EQ(d.taps.size(), 1u);
    }
    {
        // Presses at 0, 200 and 250 ms fire at 200; the 0 ms disarm clears the
        // 250 ms arming, so a press at 320 ms does not fire.
        Detector d;
        d.tap(0ms, command);
        d.tap(200ms, command);
        d.tap(250ms, command);
        d.tap(320ms, command);
        EXPECT_EQ(d.taps.size(), 1u);
    }
    {
        Detector d; // one event seen twice counts once
        d.handler.handleModifiersEvent(command, 1.5);
        d.handler.handleModifiersEvent(0, 1.6);
        d.handler.handleModifiersEvent(command, 1.7);
        d.handler.handleModifiersEvent(command, 1.7);
        EXPECT_EQ(d.taps.size(), 1u);
    }
}

// The first handler's disarm comes due after it is gone, while a second one
// (likely at the same address) is armed: it must touch neither.
TEST(ModifierEventHandler, DisarmOutlivingItsHandlerIsHarmless)
{
    Clock clock;
    auto first = std::make_unique<ModifierEventHandler>(300ms, clock.scheduler());
    int firstTaps = 0;
    first->doubleTapped = [&](CocoaModifierFlags) { ++firstTaps; };
    first->handleModifiersEvent(command);
    first->handleModifiersEvent(0);
    first.reset();

    auto second = std::make_unique<ModifierEventHandler>(300ms, clock.scheduler());
    std::vector<CocoaModifierFlags> taps;
    second->doubleTapped = [&](CocoaModifierFlags flags) { taps.push_back(flags); };
    clock.advanceTo(100ms);
    second->handleModifiersEvent(command);
    second->handleModifiersEvent(0);
    clock.advanceTo(310ms);
    EXPECT_EQ(clock.ran(), 1) << "the first handler's disarm ran";
    EXPECT_EQ(second->tappingModifierFlags(), command) << "and left the second one armed";
    clock.advanceTo(350ms);
    second->handleModifiersEvent(command);
    EXPECT_EQ(taps, std::vector<CocoaModifierFlags>{command});
    EXPECT_EQ(firstTaps, 0);
}

TEST(DoubleTap, TwoCtrlPressesFireTheDoubledCommandHotKey)
{
    VANTEL_REQUIRE_X_SERVER();
    HotKeyCenter& center = HotKeyCenter::shared();
    int commandTaps = 0;
    int optionTaps = 0;
    auto onCommand = HotKey::create(QStringLiteral("command"), *KeyCombo::withDoubledCarbonModifiers(0x100),
                                    HotKey::ActionQueue::main, [&](const HotKeyPtr&) { ++commandTaps; });
    auto onOption = HotKey::create(QStringLiteral("option"), *KeyCombo::withDoubledCarbonModifiers(0x800),
                                   HotKey::ActionQueue::main, [&](const HotKeyPtr&) { ++optionTaps; });
    ASSERT_TRUE(center.registerHotKey(onCommand));
    ASSERT_TRUE(center.registerHotKey(onOption));

    tapKey("Control_L");
    tapKey("Control_L");
    settle();
    EXPECT_EQ(commandTaps, 1);
    EXPECT_EQ(optionTaps, 0);

    // Ctrl then Alt is no double tap; slow taps are none either.
    settle(400ms);
    tapKey("Control_L");
    tapKey("Alt_L");
    settle(400ms);
    tapKey("Alt_L");
    settle(400ms);
    tapKey("Alt_L");
    settle();
    EXPECT_EQ(commandTaps, 1);
    EXPECT_EQ(optionTaps, 0);
    center.unregisterAll();
}
