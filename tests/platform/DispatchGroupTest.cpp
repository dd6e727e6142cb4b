#include "platform/DispatchGroup.h"
#include "platform/DispatchQueue.h"
#include "platform/DispatchSemaphore.h"
#include "platform/MainQueue.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace std::chrono_literals;
using vantel::platform::DispatchGroup;
using vantel::platform::DispatchQueue;
using vantel::platform::DispatchSemaphore;
namespace MainQueue = vantel::platform::MainQueue;
using vantel::test::waitUntil;

TEST(DispatchGroup, WaitReturnsWhenAllWorkLeft)
{
    DispatchGroup group;
    auto queue = DispatchQueue::create(QStringLiteral("test.group"), DispatchQueue::Kind::Concurrent);
    std::atomic<int> done{0};
    for (int i = 0; i < 8; ++i) {
        group.enter();
        queue->async([group, &done]() mutable {
            std::this_thread::sleep_for(5ms);
            ++done;
            group.leave();
        });
    }
    EXPECT_TRUE(group.wait(5s));
    EXPECT_EQ(done.load(), 8);
}

TEST(DispatchGroup, WaitTimesOutWhileWorkIsOutstanding)
{
    DispatchGroup group;
    group.enter();
    EXPECT_FALSE(group.wait(20ms));
    group.leave();
    EXPECT_TRUE(group.wait(0ms));
    // Unbalanced leave is ignored rather than driving the count negative.
    group.leave();
    group.enter();
    EXPECT_FALSE(group.wait(0ms));
    group.leave();
}

TEST(DispatchGroup, NotifyRunsOnMainOrQueueOnceEmpty)
{
    DispatchGroup group;
    std::atomic<bool> mainRan{false};
    std::atomic<bool> onMain{false};
    std::atomic<bool> queueRan{false};
    auto queue = DispatchQueue::create(QStringLiteral("test.notify"), DispatchQueue::Kind::Serial);
    group.enter();
    group.notify([&] {
        onMain = MainQueue::isMainThread();
        mainRan = true;
    });
    group.notify(queue, [&] { queueRan = true; });
    vantel::test::spinEventLoop(20ms);
    EXPECT_FALSE(mainRan);
    EXPECT_FALSE(queueRan);
    std::thread([group]() mutable { group.leave(); }).join();
    ASSERT_TRUE(waitUntil([&] { return mainRan && queueRan; }));
    EXPECT_TRUE(onMain);

    // With nothing outstanding the block runs at once, but not inline.
    bool immediate = false;
    group.notify([&] { immediate = true; });
    EXPECT_FALSE(immediate);
    ASSERT_TRUE(waitUntil([&] { return immediate; }));
}

TEST(DispatchSemaphore, CountsSignalsAndTimesOut)
{
    DispatchSemaphore semaphore(1);
    EXPECT_TRUE(semaphore.wait(0ms));
    EXPECT_FALSE(semaphore.wait(20ms));
    std::thread([semaphore]() mutable {
        std::this_thread::sleep_for(10ms);
        semaphore.signal();
        semaphore.signal();
    }).detach();
    EXPECT_TRUE(semaphore.wait(5s));
    EXPECT_TRUE(semaphore.wait(5s));
    EXPECT_FALSE(semaphore.wait(0ms));

    DispatchSemaphore negative(-3);
    negative.signal();
    EXPECT_TRUE(negative.wait(0ms));
}
