#include "model/ThreadSafe.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <atomic>
#include <shared_mutex>
#include <thread>
#include <vector>

using namespace vantel;

TEST(ThreadSafe, AReadAfterAWriteOnTheSameThreadSeesIt)
{
    ThreadSafe<QString> value(QStringLiteral("initial"));
    EXPECT_EQ(value.get(), QStringLiteral("initial"));
    value.set(QStringLiteral("changed"));
    EXPECT_EQ(value.get(), QStringLiteral("changed"));
    value.modify([](QString& v) { v.append(QLatin1Char('!')); });
    EXPECT_EQ(value.get(), QStringLiteral("changed!"));
}

TEST(ThreadSafe, AWriteIsSeenByTheNextReadOnAnotherThread)
{
    // The writer waits for nothing: once set() returns, a read from any
    // thread must see the value, with no delay for a hand-off to settle.
    ThreadSafe<int> value(0);
    std::atomic<int> published{0};
    std::atomic<int> stale{0};
    std::thread reader([&] {
        for (int seen = 0; seen < 2000;) {
            const int announced = published.load(std::memory_order_acquire);
            if (announced == seen)
                continue;
            if (value.get() < announced)
                ++stale;
            seen = announced;
        }
    });
    for (int i = 1; i <= 2000; ++i) {
        value.set(i);
        published.store(i, std::memory_order_release);
    }
    reader.join();
    EXPECT_EQ(stale.load(), 0);
}

TEST(ThreadSafe, ValuesSharingALockKeepTheirOwnValuesAndReadersOverlap)
{
    // More values than locks: some share one, and must stay apart.
    std::vector<std::unique_ptr<ThreadSafe<int>>> values;
    for (int i = 0; i < DispatchQueueManager::lockCount * 2; ++i)
        values.push_back(std::make_unique<ThreadSafe<int>>(i));
    for (int i = 0; i < int(values.size()); ++i)
        values[std::size_t(i)]->set(i * 10);
    for (int i = 0; i < int(values.size()); ++i)
        ASSERT_EQ(values[std::size_t(i)]->get(), i * 10);

    // A reader holding a value's lock does not keep another reader out.
    std::shared_lock held(DispatchQueueManager::lockFor(values.front().get()));
    std::atomic<bool> read{false};
    std::thread other([&] {
        EXPECT_EQ(values.front()->get(), 0);
        read = true;
    });
    other.join();
    EXPECT_TRUE(read);
}

TEST(ThreadSafe, ConcurrentReadersAndWritersSeeWholeValues)
{
    ThreadSafe<QStringList> value(QStringList{QStringLiteral("a")});
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        for (int i = 0; i < 500; ++i)
            value.set(QStringList(i % 5 + 1, QStringLiteral("x")));
        stop = true;
    });
    std::thread reader([&] {
        while (!stop) {
            const QStringList v = value.get();
            EXPECT_FALSE(v.isEmpty());
            EXPECT_LE(v.size(), 5);
        }
    });
    writer.join();
    reader.join();
}
