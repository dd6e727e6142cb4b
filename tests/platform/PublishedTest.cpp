#include "platform/Published.h"

#include <gtest/gtest.h>

#include <QString>

#include <atomic>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

using vantel::platform::Cancellable;
using vantel::platform::Published;

TEST(Published, SubscriberGetsCurrentValueThenEveryAssignment)
{
    Published<int> state(3);
    std::vector<int> seen;
    auto subscription = state.subscribe([&](const int& v) { seen.push_back(v); });
    EXPECT_EQ(seen, (std::vector<int>{3}));
    state.set(4);
    state.set(4);
    EXPECT_EQ(seen, (std::vector<int>{3, 4, 4}));
    EXPECT_EQ(state.get(), 4);
}

TEST(Published, EmitsOnAssigningThreadAfterStoring)
{
    Published<QString> state;
    std::thread::id emittedOn;
    QString storedDuringEmission;
    auto subscription = state.subscribe([&](const QString&) {
        emittedOn = std::this_thread::get_id();
        storedDuringEmission = state.get();
    });
    std::thread::id assigner;
    std::thread([&] {
        assigner = std::this_thread::get_id();
        state.set(QStringLiteral("gathering"));
    }).join();
    EXPECT_EQ(emittedOn, assigner);
    EXPECT_EQ(storedDuringEmission, QStringLiteral("gathering"));
}

TEST(Published, CancellationStopsEmissions)
{
    Published<int> state;
    int calls = 0;
    {
        auto subscription = state.subscribe([&](const int&) { ++calls; });
        state.set(1);
        Cancellable moved = std::move(subscription);
        state.set(2);
        EXPECT_EQ(calls, 3);
    }
    state.set(3);
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(state.subscriberCount(), 0);

    auto explicitCancel = state.subscribe([&](const int&) { ++calls; });
    explicitCancel.cancel();
    state.set(4);
    EXPECT_EQ(calls, 4);
}

TEST(Published, SubscriberCancelledDuringEmissionIsNotCalledAgain)
{
    Published<int> state;
    std::vector<QString> calls;
    std::optional<Cancellable> second;
    auto first = state.subscribe([&](const int& v) {
        calls.push_back(QStringLiteral("first"));
        if (v == 1)
            second.reset();
    });
    second.emplace(state.subscribe([&](const int&) { calls.push_back(QStringLiteral("second")); }));
    calls.clear();
    state.set(1);
    EXPECT_EQ(calls, (std::vector<QString>{QStringLiteral("first")}));
}

TEST(Published, MutatingAReferencedObjectEmitsNothing)
{
    auto list = std::make_shared<std::vector<int>>();
    Published<std::shared_ptr<std::vector<int>>> state(list);
    int calls = 0;
    auto subscription = state.subscribe([&](const auto&) { ++calls; });
    list->push_back(1);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(state.get()->size(), 1u);
}

TEST(Published, CancellableOutlivingThePublisherIsHarmless)
{
    Cancellable subscription;
    {
        Published<int> state;
        subscription = state.subscribe([](const int&) {});
    }
    subscription.cancel();
    EXPECT_FALSE(subscription.isActive());
}

TEST(Published, ConcurrentSetsAndSubscriptions)
{
    Published<int> state;
    std::atomic<int> calls{0};
    auto keep = state.subscribe([&](const int&) { ++calls; });
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 200; ++i) {
                auto temporary = state.subscribe([](const int&) {});
                state.set(t * 1000 + i);
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(calls.load(), 1 + 800);
    EXPECT_EQ(state.subscriberCount(), 1);
}
