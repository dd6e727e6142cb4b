#include "model/ThreadSafe.h"

#include <gtest/gtest.h>

#include <QStringList>

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

TEST(ThreadSafe, WrappersShareOneQueueButNotTheirValues)
{
    std::vector<std::thread> threads;
    std::vector<std::unique_ptr<ThreadSafe<int>>> values(8);
    for (int i = 0; i < 8; ++i)
        threads.emplace_back([&values, i] { values[i] = std::make_unique<ThreadSafe<int>>(i); });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(DispatchQueueManager::creationCount(), 1);
    EXPECT_EQ(DispatchQueueManager::sharedQueue()->label(), QStringLiteral("ThreadSafe Dispatch Queue"));
    for (int i = 0; i < 8; ++i) {
        values[i]->set(i * 10);
        EXPECT_EQ(values[i]->get(), i * 10);
    }
    EXPECT_EQ(values[3]->get(), 30);
}

TEST(ThreadSafe, AWriteToAReleasedWrapperIsDropped)
{
    for (int round = 0; round < 100; ++round) {
        auto value = std::make_unique<ThreadSafe<QStringList>>();
        value->set(QStringList{QStringLiteral("x")});
        value.reset();  // the pending block finds the storage gone
    }
    ThreadSafe<int> survivor(1);
    EXPECT_EQ(survivor.get(), 1);  // the queue has drained and still works
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
