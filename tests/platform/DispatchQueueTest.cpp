#include "platform/DispatchQueue.h"
#include "platform/DispatchSemaphore.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace std::chrono_literals;
using vantel::platform::DispatchQueue;
using vantel::platform::DispatchSemaphore;

namespace {

// Waits until `count` parties have arrived, or gives up after the timeout.
class Rendezvous {
public:
    explicit Rendezvous(int count)
        : expected_(count)
    {
    }
    bool arriveAndWait(std::chrono::milliseconds timeout = 5s)
    {
        std::unique_lock lock(mutex_);
        ++arrived_;
        changed_.notify_all();
        return changed_.wait_for(lock, timeout, [this] { return arrived_ >= expected_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int arrived_ = 0;
    const int expected_;
};

std::shared_ptr<DispatchQueue> concurrentQueue()
{
    return DispatchQueue::create(QStringLiteral("test.concurrent"), DispatchQueue::Kind::Concurrent);
}

} // namespace

TEST(DispatchQueue, SyncReturnsValuesReferencesAndMoveOnlyResults)
{
    auto queue = concurrentQueue();
    EXPECT_EQ(queue->sync([] { return 42; }), 42);
    int stored = 1;
    int& ref = queue->sync([&]() -> int& { return stored; });
    EXPECT_EQ(&ref, &stored);
    auto owned = queue->syncBarrier([] { return std::make_unique<int>(7); });
    ASSERT_TRUE(owned);
    EXPECT_EQ(*owned, 7);
}

TEST(DispatchQueue, SyncReadWaitsForEarlierBarrierWrite)
{
    auto queue = concurrentQueue();
    int value = 0;
    queue->asyncBarrier([&] {
        std::this_thread::sleep_for(50ms);
        value = 1;
    });
    EXPECT_EQ(queue->sync([&] { return value; }), 1);
}

TEST(DispatchQueue, WriteIsSeenByEveryLaterReadFromAnyThread)
{
    auto queue = concurrentQueue();
    int value = 0; // guarded by the queue
    std::atomic<int> submitted{-1};
    std::atomic<int> mismatches{0};
    constexpr int rounds = 200;

    std::vector<std::thread> readers;
    for (int r = 0; r < 3; ++r) {
        readers.emplace_back([&] {
            int seen = -1;
            while (seen < rounds - 1) {
                const int expected = submitted.load();
                if (expected <= seen) {
                    std::this_thread::yield();
                    continue;
                }
                const int read = queue->sync([&] { return value; });
                if (read < expected)
                    ++mismatches;
                seen = expected;
            }
        });
    }
    for (int i = 0; i < rounds; ++i) {
        queue->asyncBarrier([&, i] {
            if (i % 20 == 0)
                std::this_thread::sleep_for(1ms);
            value = i;
        });
        submitted.store(i);
    }
    for (auto& reader : readers)
        reader.join();
    EXPECT_EQ(mismatches.load(), 0);
}

TEST(DispatchQueue, ReadsRunSideBySide)
{
    auto queue = concurrentQueue();
    Rendezvous both(2);
    std::atomic<bool> asyncMet{false};
    DispatchSemaphore done(0);
    queue->async([&] {
        asyncMet = both.arriveAndWait();
        done.signal();
    });
    // Only possible while the async read is still running.
    EXPECT_TRUE(queue->sync([&] { return both.arriveAndWait(); }));
    ASSERT_TRUE(done.wait(5s));
    EXPECT_TRUE(asyncMet);

    // Synchronous reads on two threads overlap as well.
    Rendezvous pair(2);
    std::atomic<int> met{0};
    std::thread other([&] { met += queue->sync([&] { return pair.arriveAndWait(); }) ? 1 : 0; });
    met += queue->sync([&] { return pair.arriveAndWait(); }) ? 1 : 0;
    other.join();
    EXPECT_EQ(met.load(), 2);
}

TEST(DispatchQueue, BarriersRunAloneAndInOrder)
{
    auto queue = concurrentQueue();
    std::atomic<int> running{0};
    std::atomic<bool> barrierRunning{false};
    std::atomic<int> violations{0};
    std::vector<int> order; // written only by barriers
    constexpr int writers = 4;
    constexpr int perWriter = 50;

    auto read = [&] {
        ++running;
        if (barrierRunning)
            ++violations;
        std::this_thread::sleep_for(50us);
        --running;
    };
    std::vector<std::thread> threads;
    for (int w = 0; w < writers; ++w) {
        threads.emplace_back([&, w] {
            for (int i = 0; i < perWriter; ++i) {
                queue->async(read);
                queue->asyncBarrier([&, w, i] {
                    barrierRunning = true;
                    if (running.load() != 0)
                        ++violations;
                    order.push_back(w * 1000 + i);
                    barrierRunning = false;
                });
                queue->sync(read);
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    queue->syncBarrier([] {});
    EXPECT_EQ(violations.load(), 0);
    ASSERT_EQ(order.size(), std::size_t(writers * perWriter));
    // Each writer's barriers ran in the order it submitted them.
    for (int w = 0; w < writers; ++w) {
        int last = -1;
        for (int entry : order) {
            if (entry / 1000 != w)
                continue;
            EXPECT_EQ(entry % 1000, last + 1);
            last = entry % 1000;
        }
    }
}

TEST(DispatchQueue, LaterBarrierWaitsForRunningSyncRead)
{
    auto queue = concurrentQueue();
    std::atomic<bool> readRunning{false};
    std::atomic<bool> barrierOverlapped{false};
    DispatchSemaphore barrierDone(0);
    queue->sync([&] {
        readRunning = true;
        queue->asyncBarrier([&] {
            barrierOverlapped = readRunning.load();
            barrierDone.signal();
        });
        std::this_thread::sleep_for(50ms);
        readRunning = false;
    });
    ASSERT_TRUE(barrierDone.wait(5s));
    EXPECT_FALSE(barrierOverlapped);
}

TEST(DispatchQueue, SerialQueueRunsOneAtATimeInOrder)
{
    auto queue = DispatchQueue::create(QStringLiteral("test.serial"), DispatchQueue::Kind::Serial);
    std::atomic<int> running{0};
    std::atomic<int> overlaps{0};
    std::vector<int> order;
    for (int i = 0; i < 100; ++i) {
        queue->async([&, i] {
            if (++running != 1)
                ++overlaps;
            order.push_back(i);
            --running;
        });
    }
    queue->sync([] {});
    EXPECT_EQ(overlaps.load(), 0);
    ASSERT_EQ(order.size(), 100u);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(order[std::size_t(i)], i);
}

TEST(DispatchQueue, ExceptionInSyncBlockLeavesQueueUsable)
{
    for (auto kind : {DispatchQueue::Kind::Concurrent, DispatchQueue::Kind::Serial}) {
        auto queue = DispatchQueue::create(QStringLiteral("test.throwing"), kind);
        EXPECT_THROW(queue->sync([]() -> int { throw std::runtime_error("read failed"); }), std::runtime_error);
        EXPECT_THROW(queue->syncBarrier([] { throw std::runtime_error("write failed"); }), std::runtime_error);
        queue->asyncBarrier([] { throw std::runtime_error("async write failed"); });
        int value = 0;
        queue->asyncBarrier([&] { value = 5; });
        EXPECT_EQ(queue->sync([&] { return value; }), 5);
    }
}

TEST(DispatchQueue, PendingBlocksRunAfterQueueIsDropped)
{
    auto queue = concurrentQueue();
    DispatchSemaphore gate(0);
    DispatchSemaphore ran(0);
    queue->asyncBarrier([gate]() mutable { gate.wait(); });
    queue->async([ran]() mutable { ran.signal(); });
    queue.reset();
    gate.signal();
    EXPECT_TRUE(ran.wait(5s));
}

TEST(DispatchQueue, BlockedBlocksDoNotStarveTheOthers)
{
    // More blocks than cores, each needing all others to be running: only
    // possible when the pool adds threads while its threads are blocked.
    const int count = int(std::max(2u, std::thread::hardware_concurrency())) * 2 + 2;
    auto queue = concurrentQueue();
    Rendezvous all(count);
    std::atomic<int> met{0};
    DispatchSemaphore done(0);
    for (int i = 0; i < count; ++i) {
        queue->async([&, done]() mutable {
            if (all.arriveAndWait(10s))
                ++met;
            done.signal();
        });
    }
    for (int i = 0; i < count; ++i)
        ASSERT_TRUE(done.wait(15s));
    EXPECT_EQ(met.load(), count);
}

TEST(DispatchQueue, AsyncAfterWaitsAndKeepsDeadlineOrder)
{
    auto queue = DispatchQueue::create(QStringLiteral("test.after"), DispatchQueue::Kind::Serial);
    std::vector<int> order;
    DispatchSemaphore done(0);
    const auto start = std::chrono::steady_clock::now();
    std::chrono::steady_clock::duration firstAt{};
    queue->asyncAfter(120ms, [&, done]() mutable {
        order.push_back(2);
        done.signal();
    });
    queue->asyncAfter(60ms, [&] {
        firstAt = std::chrono::steady_clock::now() - start;
        order.push_back(1);
    });
    queue->async([&] { order.push_back(0); });
    ASSERT_TRUE(done.wait(5s));
    queue->sync([] {});
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
    EXPECT_GE(firstAt, 60ms);
}

TEST(DispatchQueue, GlobalQueueTreatsBarriersAsPlainBlocks)
{
    auto queue = DispatchQueue::global();
    Rendezvous both(2);
    std::atomic<bool> barrierMet{false};
    DispatchSemaphore done(0);
    queue->asyncBarrier([&, done]() mutable {
        barrierMet = both.arriveAndWait();
        done.signal();
    });
    EXPECT_TRUE(queue->sync([&] { return both.arriveAndWait(); }));
    ASSERT_TRUE(done.wait(5s));
    EXPECT_TRUE(barrierMet);
}
