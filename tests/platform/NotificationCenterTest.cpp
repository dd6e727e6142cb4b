#include "platform/NotificationCenter.h"

#include <gtest/gtest.h>

#include <optional>
#include <thread>
#include <vector>

using vantel::platform::Notification;
using vantel::platform::NotificationCenter;
using vantel::platform::ObserverToken;

TEST(NotificationCenter, DeliversSynchronouslyOnPostingThreadInRegistrationOrder)
{
    NotificationCenter center;
    std::vector<QString> calls;
    std::thread::id deliveredOn;
    auto first = center.addObserver(QStringLiteral("iconTagChanged"), [&](const Notification& n) {
        calls.push_back(QStringLiteral("first:") + std::any_cast<QString>(n.object));
        deliveredOn = std::this_thread::get_id();
    });
    auto second = center.addObserver(QStringLiteral("iconTagChanged"),
                                     [&](const Notification&) { calls.push_back(QStringLiteral("second")); });
    auto other = center.addObserver(QStringLiteral("tableViewItemChanged"),
                                    [&](const Notification&) { calls.push_back(QStringLiteral("other")); });

    std::thread([&] { center.post(QStringLiteral("iconTagChanged"), QStringLiteral("Work")); }).join();
    // Delivered before post() returned, on the posting thread.
    EXPECT_EQ(calls, (std::vector<QString>{QStringLiteral("first:Work"), QStringLiteral("second")}));
    EXPECT_NE(deliveredOn, std::this_thread::get_id());
}

TEST(NotificationCenter, EmptyNameObservesEverything)
{
    NotificationCenter center;
    std::vector<QString> names;
    auto all = center.addObserver(QString(), [&](const Notification& n) { names.push_back(n.name); });
    center.post(QStringLiteral("a"));
    center.post(QStringLiteral("b"));
    EXPECT_EQ(names, (std::vector<QString>{QStringLiteral("a"), QStringLiteral("b")}));
}

TEST(NotificationCenter, SenderFilter)
{
    NotificationCenter center;
    int queryA = 0;
    int query = 0;
    int any = 0;
    const int senderA = 0;
    const int senderB = 0;
    auto a = center.addObserver(QStringLiteral("didUpdate"), [&](const Notification&) { ++queryA; }, &senderA);
    auto b = center.addObserver(QStringLiteral("didUpdate"), [&](const Notification& n) {
        if (n.sender == &senderB)
            ++query;
    }, &senderB);
    auto c = center.addObserver(QStringLiteral("didUpdate"), [&](const Notification&) { ++any; });
    center.post(QStringLiteral("didUpdate"), {}, &senderA);
    center.post(QStringLiteral("didUpdate"), {}, &senderB);
    center.post(QStringLiteral("didUpdate"));
    EXPECT_EQ(queryA, 1);
    EXPECT_EQ(query, 1);
    EXPECT_EQ(any, 3);
}

TEST(NotificationCenter, TokenLifetimeControlsRegistration)
{
    NotificationCenter center;
    int calls = 0;
    {
        auto token = center.addObserver(QStringLiteral("n"), [&](const Notification&) { ++calls; });
        center.post(QStringLiteral("n"));
        ObserverToken moved = std::move(token);
        EXPECT_FALSE(token.isActive());
        EXPECT_TRUE(moved.isActive());
        center.post(QStringLiteral("n"));
    }
    center.post(QStringLiteral("n"));
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(center.observerCount(), 0);

    // Released tokens keep the observer for the life of the centre.
    center.addObserver(QStringLiteral("n"), [&](const Notification&) { ++calls; }).release();
    center.post(QStringLiteral("n"));
    EXPECT_EQ(calls, 3);

    // Explicit removal; a token of another centre removes nothing here.
    NotificationCenter otherCenter;
    auto foreign = otherCenter.addObserver(QStringLiteral("n"), [](const Notification&) {});
    center.removeObserver(foreign);
    EXPECT_EQ(center.observerCount(), 1);
    EXPECT_EQ(otherCenter.observerCount(), 1);
    auto removable = center.addObserver(QStringLiteral("n"), [&](const Notification&) { calls += 100; });
    center.removeObserver(removable);
    center.post(QStringLiteral("n"));
    EXPECT_EQ(calls, 4);
}

TEST(NotificationCenter, TokenOutlivingItsCentreIsHarmless)
{
    std::optional<NotificationCenter> center(std::in_place);
    auto token = center->addObserver(QStringLiteral("n"), [](const Notification&) {});
    center.reset();
    EXPECT_FALSE(token.isActive());
    token.reset();
}

TEST(NotificationCenter, ObserversMayAddAndRemoveObserversDuringDelivery)
{
    NotificationCenter center;
    std::vector<QString> calls;
    std::optional<ObserverToken> later;
    std::optional<ObserverToken> removed;
    std::optional<ObserverToken> added;
    auto first = center.addObserver(QStringLiteral("n"), [&](const Notification&) {
        calls.push_back(QStringLiteral("first"));
        later.reset(); // removes an observer still ahead in this delivery
        if (!added) {
            added.emplace(center.addObserver(QStringLiteral("n"),
                                             [&](const Notification&) { calls.push_back(QStringLiteral("added")); }));
        }
    });
    auto self = std::make_shared<std::optional<ObserverToken>>();
    *self = center.addObserver(QStringLiteral("n"), [&, self](const Notification&) {
        calls.push_back(QStringLiteral("self"));
        self->reset(); // removes itself while running
    });
    later.emplace(center.addObserver(QStringLiteral("n"), [&](const Notification&) { calls.push_back(QStringLiteral("later")); }));

    center.post(QStringLiteral("n"));
    EXPECT_EQ(calls, (std::vector<QString>{QStringLiteral("first"), QStringLiteral("self")}));
    calls.clear();
    center.post(QStringLiteral("n"));
    EXPECT_EQ(calls, (std::vector<QString>{QStringLiteral("first"), QStringLiteral("added")}));
    self->reset();
}

TEST(NotificationCenter, ConcurrentPostsAndRegistrations)
{
    NotificationCenter center;
    std::atomic<int> calls{0};
    auto keep = center.addObserver(QStringLiteral("n"), [&](const Notification&) { ++calls; });
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 200; ++i) {
                auto temporary = center.addObserver(QStringLiteral("n"), [](const Notification&) {});
                center.post(QStringLiteral("n"));
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(calls.load(), 800);
    EXPECT_EQ(center.observerCount(), 1);
}
