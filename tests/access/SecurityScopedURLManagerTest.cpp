#include "AccessTestSupport.h"

#include "access/SecurityScopedURLManager.h"
#include "platform/Bookmark.h"

#include <gtest/gtest.h>

#include <thread>

using namespace vantel;
using platform::Bookmark;

namespace {

TEST(SecurityScopedURLManagerTest, EachBeginIsItsOwnRecordAndScope)
{
    const QString folder = test::makeTempDir(QStringLiteral("scopes"));
    const QByteArray data = Bookmark::createBookmarkForPath(folder).value();
    SecurityScopedURLManager manager;
    const int scopesBefore = Bookmark::accessCount();

    const QString first = manager.beginAccess(data, UsedSecurityScopedURLSource::open);
    const QString second = manager.beginAccess(data, UsedSecurityScopedURLSource::thumbnail);
    EXPECT_FALSE(first.isEmpty());
    EXPECT_NE(first, second);
    EXPECT_EQ(first, first.toUpper());
    EXPECT_EQ(first.size(), 36);
    EXPECT_EQ(manager.scopeCount(), 2);
    EXPECT_EQ(Bookmark::accessCount(), scopesBefore + 2);

    EXPECT_TRUE(manager.endAccess(first));
    EXPECT_EQ(manager.scopeCount(), 1);
    EXPECT_EQ(manager.usedSecurityScopedURLs()->first()->identifier, second);
    EXPECT_FALSE(manager.endAccess(first));
    EXPECT_TRUE(manager.endAccess(second));
    EXPECT_EQ(manager.scopeCount(), 0);
    EXPECT_EQ(Bookmark::accessCount(), scopesBefore);
}

TEST(SecurityScopedURLManagerTest, NothingIsBegunWithoutAUsableBookmark)
{
    SecurityScopedURLManager manager;
    EXPECT_TRUE(manager.beginAccess(std::nullopt, UsedSecurityScopedURLSource::open).isEmpty());
    EXPECT_TRUE(manager.beginAccess(QByteArray("garbage"), UsedSecurityScopedURLSource::open).isEmpty());

    const QString folder = test::makeTempDir(QStringLiteral("stale-scope"));
    const QByteArray data = Bookmark::createBookmarkForPath(folder).value();
    // Another folder takes the name while the first still exists elsewhere.
    ASSERT_TRUE(QDir().rename(folder, folder + QStringLiteral("-moved")));
    ASSERT_TRUE(QDir().mkpath(folder));
    EXPECT_TRUE(manager.beginAccess(data, UsedSecurityScopedURLSource::open).isEmpty());

    EXPECT_EQ(manager.scopeCount(), 0);
    EXPECT_FALSE(manager.endAccess(QString()));
    EXPECT_FALSE(manager.endAccess(QStringLiteral("NOT-AN-IDENTIFIER")));
}

TEST(SecurityScopedURLManagerTest, ConcurrentEndsCloseExactlyTheirOwnRecords)
{
    const QString folder = test::makeTempDir(QStringLiteral("concurrent-scopes"));
    const QByteArray data = Bookmark::createBookmarkForPath(folder).value();
    SecurityScopedURLManager manager;
    QStringList identifiers;
    for (int i = 0; i < 64; ++i)
        identifiers.append(manager.beginAccess(data, UsedSecurityScopedURLSource::open));
    const QString keep = manager.beginAccess(data, UsedSecurityScopedURLSource::applicationDelegate);

    std::atomic<int> ended{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < 4; ++t) {
        workers.emplace_back([&, t] {
            for (int i = t; i < identifiers.size(); i += 4)
                if (manager.endAccess(identifiers.at(i)))
                    ++ended;
        });
    }
    for (auto& worker : workers)
        worker.join();
    EXPECT_EQ(ended.load(), 64);
    ASSERT_EQ(manager.scopeCount(), 1);
    EXPECT_EQ(manager.usedSecurityScopedURLs()->first()->identifier, keep);
    EXPECT_TRUE(manager.endAccess(keep));
}

} // namespace
