#include "platform/MainQueue.h"

#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

using namespace std::chrono_literals;
namespace MainQueue = vantel::platform::MainQueue;
using vantel::test::spinEventLoop;
using vantel::test::waitUntil;

TEST(MainQueue, KnowsTheMainThread)
{
    EXPECT_TRUE(MainQueue::isMainThread());
    bool onWorker = true;
    std::thread([&] { onWorker = MainQueue::isMainThread(); }).join();
    EXPECT_FALSE(onWorker);
}

TEST(MainQueue, AsyncFromWorkersRunsOnMainInSubmissionOrder)
{
    std::vector<int> order;
    std::atomic<int> offMain{0};
    std::thread worker([&] {
        for (int i = 0; i < 100; ++i) {
            MainQueue::async([&, i] {
                if (!MainQueue::isMainThread())
                    ++offMain;
                order.push_back(i);
            });
        }
    });
    worker.join();
    EXPECT_TRUE(order.empty()); // nothing runs before the event loop does
    ASSERT_TRUE(waitUntil([&] { return order.size() == 100; }));
    EXPECT_EQ(offMain.load(), 0);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(order[std::size_t(i)], i);
}

TEST(MainQueue, SyncFromWorkerWaitsForMainThread)
{
    std::atomic<bool> ranOnMain{false};
    std::atomic<bool> sawEffect{false};
    std::atomic<bool> finished{false};
    // Queued earlier: must run before the sync block (one FIFO).
    std::atomic<bool> earlierRan{false};
    std::atomic<bool> orderKept{false};
    std::thread worker([&] {
        MainQueue::async([&] { earlierRan = true; });
        MainQueue::sync([&] {
            ranOnMain = MainQueue::isMainThread();
            orderKept = earlierRan.load();
        });
        sawEffect = ranOnMain.load();
        finished = true;
    });
    ASSERT_TRUE(waitUntil([&] { return finished.load(); }));
    worker.join();
    bool ranInline = false;
    MainQueue::sync([&] { ranInline = true; }); // on main: at once, no deadlock
    EXPECT_TRUE(ranInline);
    EXPECT_TRUE(ranOnMain);
    EXPECT_TRUE(sawEffect);
    EXPECT_TRUE(orderKept);
}

TEST(MainQueue, AsyncAfterFromWorkerRunsOnMainAfterDelay)
{
    std::atomic<bool> ran{false};
    std::atomic<bool> onMain{false};
    const auto start = std::chrono::steady_clock::now();
    std::chrono::steady_clock::duration ranAfter{};
    std::thread([&] {
        MainQueue::asyncAfter(300ms, [&] {
            onMain = MainQueue::isMainThread();
            ranAfter = std::chrono::steady_clock::now() - start;
            ran = true;
        });
    }).join();
    spinEventLoop(20ms);
    EXPECT_FALSE(ran);
    ASSERT_TRUE(waitUntil([&] { return ran.load(); }));
    EXPECT_TRUE(onMain);
    EXPECT_GE(ranAfter, 300ms);
}
