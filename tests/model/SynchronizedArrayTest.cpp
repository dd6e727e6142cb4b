#include "model/SynchronizedArray.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QString>

#include <atomic>
#include <thread>

using namespace vantel;
using vantel::test::waitUntil;

namespace {

using Array = SynchronizedArray<QString>;

QList<QString> abc()
{
    return {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
}

} // namespace

TEST(SynchronizedArray, ReadsSeeEveryEarlierWriteFromTheSameThread)
{
    auto array = Array::create();
    array->append(QStringLiteral("x"));
    EXPECT_EQ(array->last(), QStringLiteral("x"));
    array->appendContentsOf(QList<QString>{QStringLiteral("y"), QStringLiteral("z")});
    array->insert(QStringLiteral("w"), 0);
    array->removeLast();
    EXPECT_EQ(array->count(), 3);
    EXPECT_EQ(array->snapshot(), (QList<QString>{QStringLiteral("w"), QStringLiteral("x"), QStringLiteral("y")}));
}

// Arrays filled from one list share its buffer: a write to one must leave
// the other and the list as they were.
TEST(SynchronizedArray, ArraysFilledFromOneListStayIndependent)
{
    const QList<QString> source = abc();
    auto first = Array::create();
    auto second = Array::create();
    first->appendContentsOf(source);
    second->appendContentsOf(source);
    first->set(0, QStringLiteral("changed"));
    first->append(QStringLiteral("d"));
    second->removeLast();
    EXPECT_EQ(first->snapshot(), (QList<QString>{QStringLiteral("changed"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")}));
    EXPECT_EQ(second->snapshot(), (QList<QString>{QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_EQ(source, abc());
    second->appendContentsOf(QList<QString>{QStringLiteral("x")});
    EXPECT_EQ(second->snapshot(), (QList<QString>{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("x")}));
}

TEST(SynchronizedArray, RemovingFromAnEmptyArrayCompletesWithNothing)
{
    auto array = Array::create();
    int calls = 0;
    std::optional<QString> first = QStringLiteral("sentinel");
    std::optional<QString> last = QStringLiteral("sentinel");
    array->removeFirst([&](std::optional<QString> removed) { first = removed; ++calls; });
    array->removeLast([&](std::optional<QString> removed) { last = removed; ++calls; });
    ASSERT_TRUE(waitUntil([&] { return calls == 2; }));
    EXPECT_FALSE(first.has_value());
    EXPECT_FALSE(last.has_value());
}

TEST(SynchronizedArray, AWriteFromInsideAReadRunsWhenTheReadEnds)
{
    // The read holds the lock: a write made inside it must neither deadlock
    // nor show up in the read, and must be there, in order, right after it.
    auto array = Array::create(abc());
    QList<QString> seenInside;
    array->forEach([&](const QString& element) {
        if (element == QStringLiteral("a")) {
            array->append(QStringLiteral("d"));
            array->removeFirst();
        }
        seenInside.append(element);
        EXPECT_EQ(array->count(), 3) << "a nested read sees the list as the outer read does";
    });
    EXPECT_EQ(seenInside, abc());
    EXPECT_EQ(array->snapshot(), (QList<QString>{QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")}));
}

TEST(SynchronizedArray, WritesTakeEffectBeforeTheyReturnAndSkipTheMainQueueWithoutACompletion)
{
    auto array = Array::create(abc());
    const quint64 before = array->revision();
    std::thread writer([&] { array->removeAt(1); });
    writer.join();
    EXPECT_EQ(array->snapshot(), (QList<QString>{QStringLiteral("a"), QStringLiteral("c")}));
    EXPECT_GT(array->revision(), before);

    int removeAtCalls = 0;
    int removeAllCalls = 0;
    array->removeAt(7, [&](std::optional<QString>) { ++removeAtCalls; });
    array->removeAll([&](QList<QString> removed) {
        EXPECT_EQ(removed.size(), 2);
        ++removeAllCalls;
    });
    EXPECT_TRUE(array->isEmpty());
    ASSERT_TRUE(waitUntil([&] { return removeAllCalls == 1; }));
    EXPECT_EQ(removeAtCalls, 0) << "out of range: no change and no completion";
}

TEST(SynchronizedArray, CountedRemovalsActOnlyInRangeButAlwaysComplete)
{
    auto array = Array::create(abc());
    int calls = 0;
    array->removeFirstCount(5, [&] { ++calls; });
    EXPECT_EQ(array->count(), 3);
    array->removeLastCount(-1, [&] { ++calls; });
    EXPECT_EQ(array->count(), 3);
    array->keepFirst(4);
    EXPECT_EQ(array->count(), 3);
    array->keepFirst(2);
    EXPECT_EQ(array->snapshot(), (QList<QString>{QStringLiteral("a"), QStringLiteral("b")}));
    array->removeFirstCount(2, [&] { ++calls; });
    EXPECT_TRUE(array->isEmpty());
    ASSERT_TRUE(waitUntil([&] { return calls == 3; }));

    auto other = Array::create(abc());
    other->removeFirstCount(3);
    EXPECT_TRUE(other->isEmpty());
}

TEST(SynchronizedArray, OutOfRangeIndicesChangeNothing)
{
    auto array = Array::create(abc());
    EXPECT_FALSE(array->at(5).has_value());
    EXPECT_FALSE(array->at(-1).has_value());
    array->set(5, QStringLiteral("x"));
    array->set(0, std::nullopt);
    EXPECT_EQ(array->snapshot(), abc());
    array->set(1, QStringLiteral("B"));
    EXPECT_EQ(array->at(1), QStringLiteral("B"));

    int calls = 0;
    array->insert(QStringLiteral("x"), 4, [&] { ++calls; });
    array->removeAt(3, [&](std::optional<QString>) { ++calls; });
    array->insert(QStringLiteral("end"), 3, [&] { ++calls; });
    std::optional<QString> removed;
    array->removeAt(0, [&](std::optional<QString> r) {
        removed = r;
        ++calls;
    });
    ASSERT_TRUE(waitUntil([&] { return calls >= 2; }));
    vantel::test::spinEventLoop(std::chrono::milliseconds(30));
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(removed, QStringLiteral("a"));
    EXPECT_EQ(array->snapshot(), (QList<QString>{QStringLiteral("B"), QStringLiteral("c"), QStringLiteral("end")}));
}

TEST(SynchronizedArray, DerivedArraysAreNewAndIndependent)
{
    auto array = Array::create(abc());
    auto two = array->prefix(2);
    EXPECT_EQ(two->snapshot(), (QList<QString>{QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_TRUE(array->prefix(-1)->isEmpty());
    EXPECT_TRUE(array->prefix(4)->isEmpty());
    EXPECT_EQ(array->prefix(3)->count(), 3);

    auto filtered = array->filtered([](const QString& s) { return s != QLatin1String("b"); });
    auto sorted = array->sorted([](const QString& l, const QString& r) { return l > r; });
    EXPECT_EQ(sorted->snapshot(), (QList<QString>{QStringLiteral("c"), QStringLiteral("b"), QStringLiteral("a")}));
    EXPECT_EQ(sorted->label(), QStringLiteral("net.tarnwick.SynchronizedArray"));

    array->append(QStringLiteral("d"));
    array->removeFirst();
    EXPECT_EQ(two->count(), 2);
    EXPECT_EQ(filtered->snapshot(), (QList<QString>{QStringLiteral("a"), QStringLiteral("c")}));
    EXPECT_EQ(sorted->count(), 3);
}

TEST(SynchronizedArray, EqualityIsSetEquality)
{
    auto ab = Array::create({QStringLiteral("a"), QStringLiteral("b")});
    auto baa = Array::create({QStringLiteral("b"), QStringLiteral("a"), QStringLiteral("a")});
    auto a = Array::create({QStringLiteral("a")});
    EXPECT_TRUE(ab->isEqual(*baa));
    EXPECT_FALSE(a->isEqual(*ab));
    EXPECT_TRUE(ab->isEqual(*ab));
}

TEST(SynchronizedArray, ReadsOnEmptyAndFullArrays)
{
    auto empty = Array::create();
    EXPECT_TRUE(empty->allSatisfy([](const QString&) { return false; }));
    EXPECT_FALSE(empty->firstItem([](const QString&) { return true; }).has_value());
    EXPECT_FALSE(empty->first().has_value());

    auto array = Array::create({QStringLiteral("apple"), QStringLiteral("kiwi"), QStringLiteral("avocado")});
    const auto startsWithA = [](const QString& s) { return s.startsWith(QLatin1Char('a')); };
    EXPECT_EQ(array->firstItem(startsWithA), QStringLiteral("apple"));
    EXPECT_EQ(array->lastItem(startsWithA), QStringLiteral("avocado"));
    EXPECT_EQ(array->firstIndex([](const QString& s) { return s == QLatin1String("kiwi"); }), 1);
    EXPECT_TRUE(array->containsItem(startsWithA));
    EXPECT_FALSE(array->allSatisfy(startsWithA));
    EXPECT_TRUE(array->contains(QStringLiteral("kiwi")));
    EXPECT_EQ(array->map([](const QString& s) { return s.size(); }), (QList<qsizetype>{5, 4, 7}));
    EXPECT_EQ(array->compactMap([](const QString& s) -> std::optional<QString> {
        return s.size() > 4 ? std::optional<QString>(s) : std::nullopt;
    }), (QList<QString>{QStringLiteral("apple"), QStringLiteral("avocado")}));
    EXPECT_EQ(array->reduce(qsizetype(0), [](qsizetype sum, const QString& s) { return sum + s.size(); }), 16);
    EXPECT_EQ(array->reduceInto(QString(), [](QString& acc, const QString& s) { acc += s.at(0); }), QStringLiteral("aka"));
    const auto range = array->indices();
    EXPECT_EQ(std::ranges::distance(range), 3);
}

TEST(SynchronizedArray, RemoveAllWhereHandsBackTheRemovedInOrder)
{
    auto array = Array::create({QStringLiteral("a1"), QStringLiteral("b"), QStringLiteral("a2"), QStringLiteral("a3")});
    QList<QString> removed;
    bool done = false;
    array->removeAllWhere([](const QString& s) { return s.startsWith(QLatin1Char('a')); },
                          [&](QList<QString> r) {
                              removed = r;
                              done = true;
                          });
    EXPECT_EQ(array->snapshot(), (QList<QString>{QStringLiteral("b")}));
    ASSERT_TRUE(waitUntil([&] { return done; }));
    EXPECT_EQ(removed, (QList<QString>{QStringLiteral("a1"), QStringLiteral("a2"), QStringLiteral("a3")}));

    QList<QString> all;
    done = false;
    array->remove(QStringLiteral("zzz"));
    array->removeAll([&](QList<QString> r) {
        all = r;
        done = true;
    });
    ASSERT_TRUE(waitUntil([&] { return done; }));
    EXPECT_EQ(all, (QList<QString>{QStringLiteral("b")}));
}

TEST(SynchronizedArray, CompletionsRunOnTheMainThreadInWriteOrder)
{
    auto array = Array::create();
    QList<int> order;
    bool allOnMain = true;
    std::thread writer([&] {
        for (int i = 0; i < 20; ++i)
            array->append(QString::number(i), [&order, &allOnMain, i] {
                allOnMain = allOnMain && platform::MainQueue::isMainThread();
                order.append(i);
            });
    });
    writer.join();
    ASSERT_TRUE(waitUntil([&] { return order.size() == 20; }));
    EXPECT_TRUE(allOnMain);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(order.at(i), i);
}

TEST(SynchronizedArray, IterationWalksASnapshotWhileOthersWrite)
{
    auto array = Array::create(abc());
    const QList<QString> snapshot = array->makeIterator();
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        while (!stop)
            array->append(QStringLiteral("more"));
    });
    QList<QString> seen;
    for (const QString& element : snapshot) {
        seen.append(element);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    stop = true;
    writer.join();
    EXPECT_EQ(seen, abc());
}

TEST(SynchronizedArray, ConcurrentReadersAndWritersKeepEveryElement)
{
    auto array = Array::create();
    constexpr int writers = 4;
    constexpr int perWriter = 250;
    std::vector<std::thread> threads;
    std::atomic<bool> readersStop{false};
    for (int w = 0; w < writers; ++w)
        threads.emplace_back([&, w] {
            for (int i = 0; i < perWriter; ++i) {
                array->append(QStringLiteral("%1-%2").arg(w).arg(i));
                // Read-your-writes from this thread.
                EXPECT_TRUE(array->contains(QStringLiteral("%1-%2").arg(w).arg(i)));
            }
        });
    std::thread reader([&] {
        qsizetype previous = 0;
        while (!readersStop) {
            const qsizetype now = array->count();
            EXPECT_GE(now, previous);
            previous = now;
        }
    });
    for (auto& t : threads)
        t.join();
    readersStop = true;
    reader.join();
    EXPECT_EQ(array->count(), writers * perWriter);
    vantel::test::spinEventLoop(std::chrono::milliseconds(20));
}
