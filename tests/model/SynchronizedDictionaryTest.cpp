#include "model/SynchronizedDictionary.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QSet>

#include <atomic>
#include <thread>

using namespace vantel;
using vantel::test::spinEventLoop;
using vantel::test::waitUntil;

namespace {

using Dictionary = SynchronizedDictionary<QString, QByteArray>;

struct CountingDelegate : SynchronizedDictionaryDelegate {
    void dictionaryChanged() override
    {
        onMain = onMain && platform::MainQueue::isMainThread();
        ++calls;
    }
    int calls = 0;
    bool onMain = true;
};

} // namespace

TEST(SynchronizedDictionary, ValuesAreSeenRightAfterTheWrite)
{
    auto dictionary = Dictionary::create();
    EXPECT_FALSE(dictionary->value(QStringLiteral("absent")).has_value());
    dictionary->setValue(QByteArray("data"), QStringLiteral("file:///a"));
    EXPECT_EQ(dictionary->value(QStringLiteral("file:///a")), QByteArray("data"));
    dictionary->setValue(QByteArray("new"), QStringLiteral("file:///a"));
    EXPECT_EQ(dictionary->value(QStringLiteral("file:///a")), QByteArray("new"));
    EXPECT_EQ(dictionary->label(), QStringLiteral("Dictionary Barrier Queue"));
}

TEST(SynchronizedDictionary, TheDelegateHearsOncePerWriteOnTheMainThread)
{
    auto dictionary = Dictionary::create();
    auto delegate = std::make_shared<CountingDelegate>();
    dictionary->setDelegate(delegate);

    dictionary->setValue(QByteArray("x"), QStringLiteral("k"));
    dictionary->setValue(std::nullopt, QStringLiteral("k"));  // a nil value removes the key
    EXPECT_FALSE(dictionary->value(QStringLiteral("k")).has_value());
    ASSERT_TRUE(waitUntil([&] { return delegate->calls == 2; }));

    dictionary->removeAll();  // also on an empty dictionary
    ASSERT_TRUE(waitUntil([&] { return delegate->calls == 3; }));
    spinEventLoop(std::chrono::milliseconds(30));
    EXPECT_EQ(delegate->calls, 3);
    EXPECT_TRUE(delegate->onMain);

    std::thread writer([&] { dictionary->setValue(QByteArray("y"), QStringLiteral("other")); });
    writer.join();
    ASSERT_TRUE(waitUntil([&] { return delegate->calls == 4; }));
    EXPECT_TRUE(delegate->onMain);
}

TEST(SynchronizedDictionary, AGoneDelegateOrNoneIsNotCalled)
{
    auto dictionary = Dictionary::create();
    dictionary->setValue(QByteArray("x"), QStringLiteral("k"));  // no delegate at all
    {
        auto delegate = std::make_shared<CountingDelegate>();
        dictionary->setDelegate(delegate);
    }
    dictionary->setValue(QByteArray("y"), QStringLiteral("k"));
    spinEventLoop(std::chrono::milliseconds(30));
    EXPECT_EQ(dictionary->value(QStringLiteral("k")), QByteArray("y"));
}

TEST(SynchronizedDictionary, ForEachVisitsEveryPairInOneRead)
{
    auto dictionary = Dictionary::create();
    int visits = 0;
    dictionary->forEach([&](const QString&, const QByteArray&) { ++visits; });
    EXPECT_EQ(visits, 0);
    EXPECT_TRUE(dictionary->isEmpty());

    for (int i = 0; i < 10; ++i)
        dictionary->setValue(QByteArray::number(i), QString::number(i));
    QSet<QString> keys;
    dictionary->forEach([&](const QString& key, const QByteArray& value) {
        EXPECT_EQ(key.toLatin1(), value);
        keys.insert(key);
    });
    EXPECT_EQ(keys.size(), 10);
    EXPECT_EQ(dictionary->count(), 10);

    QSet<QString> stepped;
    for (qsizetype i = dictionary->startIndex(); i != dictionary->endIndex(); i = dictionary->indexAfter(i))
        stepped.insert(dictionary->at(i)->first);
    EXPECT_EQ(stepped, keys);
    EXPECT_FALSE(dictionary->at(10).has_value());
}

TEST(SynchronizedDictionary, WritesFromAnyThreadEachTellTheDelegateOnceOnTheMainThread)
{
    auto delegate = std::make_shared<CountingDelegate>();
    {
        auto dictionary = Dictionary::create();
        dictionary->setDelegate(delegate);
        std::thread writer([dictionary] {
            for (int i = 0; i < 200; ++i)
                dictionary->setValue(QByteArray("v"), QString::number(i));
        });
        writer.join();
        EXPECT_EQ(dictionary->count(), 200);  // waits for every write
    }
    ASSERT_TRUE(waitUntil([&] { return delegate->calls == 200; }));
    EXPECT_TRUE(delegate->onMain);

    // On the main thread the delegate hears of each write before it returns.
    auto direct = std::make_shared<CountingDelegate>();
    auto dictionary = Dictionary::create();
    dictionary->setDelegate(direct);
    dictionary->setValue(QByteArray("v"), QStringLiteral("k"));
    EXPECT_EQ(direct->calls, 1);
}
