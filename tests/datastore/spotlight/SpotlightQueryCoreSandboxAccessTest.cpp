#include "datastore/spotlight/SpotlightQueryCoreSandboxAccess.h"

#include "platform/Bookmark.h"
#include "platform/Log.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>

using namespace vantel;
using platform::Bookmark;

namespace {

// Answers every folder as one that needs its bookmark, as a folder outside
// the readable places would.
class BookmarkedFolders : public SpotlightQueryCoreSandboxAccess {
protected:
    SandboxFileAccess::HasAccessResult hasAccess(const QUrl& url) override
    {
        SandboxFileAccess::HasAccessResult answer;
        answer.granted = true;
        answer.bookmarkNeeded = true;
        answer.bookmarkData = Bookmark::createBookmark(url);
        return answer;
    }
};

class SpotlightQueryCoreSandboxAccessTest : public ::testing::Test {
protected:
    void SetUp() override { platform::Log::setDebugLogging(true); }
    void TearDown() override { platform::Log::setDebugLogging(false); }

    QStringList lines() const
    {
        QStringList result;
        for (const auto& record : log.records())
            if (record.category == QStringLiteral("spotlightQueryCoreSandboxAccess"))
                result << record.message;
        return result;
    }

    platform::Log::CaptureSink log;
};

} // namespace

TEST_F(SpotlightQueryCoreSandboxAccessTest, AReadableFolderOpensNoAccess)
{
    const QString folder = vantel::test::makeTempDir(QStringLiteral("access-readable"));
    const int before = Bookmark::accessCount();
    SpotlightQueryCoreSandboxAccess access;
    const QUrl url = QUrl::fromLocalFile(folder);
    access.checkAccess(url);
    EXPECT_EQ(Bookmark::accessCount(), before);
    EXPECT_TRUE(access.securityBookmarks()->isEmpty());
    EXPECT_EQ(lines(), QStringList{QStringLiteral("-> Access possible without Bookmark: [") + url.toString()
                                   + QStringLiteral("]")});

    log.clear();
    const QUrl missing = QUrl::fromLocalFile(folder + QStringLiteral("/gone"));
    access.checkAccess(missing);
    EXPECT_EQ(lines(), QStringList{QStringLiteral("-> Unreachable: [") + missing.toString() + QStringLiteral("]")});
}

TEST_F(SpotlightQueryCoreSandboxAccessTest, EachFolderKeepsOneOpenAccessUntilCleared)
{
    const QString first = vantel::test::makeTempDir(QStringLiteral("access-first"));
    const QString second = vantel::test::makeTempDir(QStringLiteral("access-second"));
    const int before = Bookmark::accessCount();
    {
        BookmarkedFolders access;
        access.checkAccess(QUrl::fromLocalFile(first));
        EXPECT_EQ(Bookmark::accessCount(), before + 1);
        // Checked again: the earlier access ends, one stays open.
        access.checkAccess(QUrl::fromLocalFile(first));
        EXPECT_EQ(Bookmark::accessCount(), before + 1);
        EXPECT_EQ(access.securityBookmarks()->count(), 1);
        EXPECT_EQ(access.securityBookmarks()->value(QUrl::fromLocalFile(first)), Bookmark::canonicalFileURL(first));

        access.checkAccess(QUrl::fromLocalFile(second));
        EXPECT_EQ(Bookmark::accessCount(), before + 2);
        access.clearSecurityBookmarks();
        EXPECT_EQ(Bookmark::accessCount(), before);
        EXPECT_TRUE(access.securityBookmarks()->isEmpty());
        access.clearSecurityBookmarks(); // nothing left: no change
        EXPECT_EQ(Bookmark::accessCount(), before);

        access.checkAccess(QUrl::fromLocalFile(second));
        EXPECT_EQ(Bookmark::accessCount(), before + 1);
    }
    EXPECT_EQ(Bookmark::accessCount(), before) << "the checker ends its accesses when it goes";
}

TEST_F(SpotlightQueryCoreSandboxAccessTest, AStaleBookmarkOpensNothingAndSaysNothing)
{
    const QString folder = vantel::test::makeTempDir(QStringLiteral("access-stale"));
    // The path names another folder than the one the bookmark was made for.
    class StaleFolder : public SpotlightQueryCoreSandboxAccess {
    public:
        QByteArray data;
    protected:
        SandboxFileAccess::HasAccessResult hasAccess(const QUrl&) override { return {true, true, data}; }
    } access;
    access.data = Bookmark::createBookmarkForPath(folder).value();
    ASSERT_TRUE(QDir().rename(folder, folder + QStringLiteral("-old")));
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(Bookmark::resolveBookmark(access.data).stale);

    const int before = Bookmark::accessCount();
    access.checkAccess(QUrl::fromLocalFile(folder));
    EXPECT_EQ(Bookmark::accessCount(), before);
    EXPECT_TRUE(access.securityBookmarks()->isEmpty());
    EXPECT_TRUE(lines().isEmpty()) << lines().join(u'\n').toStdString();
}
