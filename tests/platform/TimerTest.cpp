#include "platform/Timer.h"

#include "platform/MainQueue.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace std::chrono_literals;
using vantel::platform::Timer;
namespace MainQueue = vantel::platform::MainQueue;
using vantel::test::spinEventLoop;
using vantel::test::waitUntil;

TEST(Timer, ArmedFromWorkerFiresOnceOnMainThread)
{
    std::atomic<int> runs{0};
    std::atomic<bool> onMain{false};
    std::weak_ptr<Timer> weak;
    std::thread([&] {
        auto timer = Timer::scheduled(30ms, false, [&] {
            onMain = MainQueue::isMainThread();
            ++runs;
        });
        weak = timer;
        // The returned pointer is dropped: the main loop keeps the timer.
    }).join();
    ASSERT_TRUE(waitUntil([&] { return runs.load() == 1; }));
    EXPECT_TRUE(onMain);
    spinEventLoop(100ms);
    EXPECT_EQ(runs.load(), 1);
    // A fired one-shot timer is invalid and let go of.
    EXPECT_TRUE(weak.expired());
}

TEST(Timer, RepeatingTimerRunsUntilInvalidated)
{
    int runs = 0;
    auto timer = Timer::scheduled(10ms, true, [&] { ++runs; });
    ASSERT_TRUE(waitUntil([&] { return runs >= 3; }));
    EXPECT_TRUE(timer->isValid());
    timer->invalidate();
    EXPECT_FALSE(timer->isValid());
    const int stoppedAt = runs;
    spinEventLoop(60ms);
    EXPECT_EQ(runs, stoppedAt);
}

TEST(Timer, InvalidatedFromWorkerBeforeItsTimeNeverRuns)
{
    std::atomic<int> runs{0};
    std::weak_ptr<Timer> weak;
    {
        auto timer = Timer::scheduled(40ms, false, [&] { ++runs; });
        weak = timer;
        std::thread([timer] { timer->invalidate(); }).join();
    }
    spinEventLoop(120ms);
    EXPECT_EQ(runs.load(), 0);
    EXPECT_TRUE(weak.expired());

    // Created and invalidated on a worker before the main thread armed it.
    std::thread([&] {
        auto timer = Timer::scheduled(0ms, false, [&] { ++runs; });
        timer->invalidate();
    }).join();
    spinEventLoop(60ms);
    EXPECT_EQ(runs.load(), 0);
}

TEST(Timer, ReplacingADebounceTimerRunsOnlyTheLastAction)
{
    int saves = 0;
    QString lastTrigger;
    std::shared_ptr<Timer> debounce;
    for (const char* trigger : {"Tag changed", "Comment changed", "Symbol changed"}) {
        if (debounce)
            debounce->invalidate();
        debounce = Timer::scheduled(30ms, false, [&, trigger] {
            ++saves;
            lastTrigger = QString::fromLatin1(trigger);
        });
    }
    ASSERT_TRUE(waitUntil([&] { return saves > 0; }));
    spinEventLoop(60ms);
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(lastTrigger, QStringLiteral("Symbol changed"));
}

TEST(Timer, FireRunsNowWithoutWaiting)
{
    int oneShotRuns = 0;
    auto oneShot = Timer::scheduled(std::chrono::hours(1), false, [&] { ++oneShotRuns; });
    oneShot->fire();
    EXPECT_EQ(oneShotRuns, 1);
    EXPECT_FALSE(oneShot->isValid());
    oneShot->fire();
    EXPECT_EQ(oneShotRuns, 1);

    int repeatingRuns = 0;
    auto repeating = Timer::scheduled(20ms, true, [&] { ++repeatingRuns; });
    repeating->fire();
    EXPECT_EQ(repeatingRuns, 1);
    EXPECT_TRUE(repeating->isValid());
    ASSERT_TRUE(waitUntil([&] { return repeatingRuns >= 2; }));
    repeating->invalidate();
}

TEST(Timer, ActionMayInvalidateItsOwnRepeatingTimer)
{
    int runs = 0;
    std::shared_ptr<Timer> timer;
    timer = Timer::scheduled(5ms, true, [&] {
        if (++runs == 2)
            timer->invalidate();
    });
    ASSERT_TRUE(waitUntil([&] { return runs == 2; }));
    spinEventLoop(40ms);
    EXPECT_EQ(runs, 2);
    EXPECT_FALSE(timer->isValid());
}
