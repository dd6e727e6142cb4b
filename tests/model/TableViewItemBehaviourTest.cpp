#include "model/TableViewItem.h"

#include "ModelTestSupport.h"
#include "TestSupport.h"
#include "model/StringArrays.h"

#include <gtest/gtest.h>

#include <QFile>

using namespace vantel;
using namespace vantel::test;

namespace {

// Moves the reachability clock by hand.
class ManualClock {
public:
    ManualClock()
    {
        TableViewItem::setClock([this] { return now; });
    }
    ~ManualClock() { TableViewItem::setClock({}); }
    void advance(qint64 ms) { now = now.addMSecs(ms); }
    QDateTime now = QDateTime(QDate(2024, 1, 1), QTime(12, 0), Qt::UTC);
};

} // namespace

TEST(TableViewItemBehaviour, AFileTestIsCachedFromTheThirdQuestionAndRenewedByEachQuestion)
{
    ManualClock clock;
    const QString dir = makeTempDir(QStringLiteral("reachable"));
    const QString path = dir + QStringLiteral("/file.txt");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    auto entry = TableViewItem::initForExternalNonSpotlightObject(path);

    EXPECT_TRUE(entry->isReachable());  // tests the file, no time stamp yet
    EXPECT_FALSE(entry->lastReachableCheckDateTime().has_value());
    QFile::remove(path);
    EXPECT_FALSE(entry->isReachable());  // stale without a time stamp: tests again
    ASSERT_TRUE(QFile(path).open(QIODevice::WriteOnly));
    clock.advance(4000);
    EXPECT_FALSE(entry->isReachable());  // fresh: the cached answer
    QFile::remove(path);
    ASSERT_TRUE(QFile(path).open(QIODevice::WriteOnly));
    EXPECT_FALSE(entry->isReachable());
    for (int i = 0; i < 3; ++i) {
        clock.advance(4900);  // each question renews the cache
        EXPECT_FALSE(entry->isReachable());
    }
    clock.advance(5001);
    EXPECT_TRUE(entry->isReachable());  // stale: the file exists again
}

TEST(TableViewItemBehaviour, EntriesThatNeedNoFileTestAnswerAtOnce)
{
    auto spotlight = TableViewItem::initForSpotlightApp(QStringLiteral("/gone/app.desktop"), QStringLiteral("App"));
    EXPECT_FALSE(spotlight->isReachable());
    spotlight->setIsFoundBySpotlight(true);
    EXPECT_TRUE(spotlight->isReachable());
    EXPECT_FALSE(spotlight->lastReachableCheck() == std::optional<bool>(true));

    auto url = TableViewItem::initForURL(QStringLiteral("nothing"), QStringLiteral("n"), QString());
    EXPECT_TRUE(url->isReachable());
    EXPECT_FALSE(url->lastReachableCheck().has_value());

    auto tag = TableViewItem::initForTag(QStringLiteral("Dev"), QStringLiteral("Tag [Dev]"));
    EXPECT_TRUE(tag->isReachable());
    EXPECT_EQ(tag->lastReachableCheck(), true);
}

TEST(TableViewItemBehaviour, WhatIsStoredInTheConfiguration)
{
    auto plain = TableViewItem::initForSpotlightApp(QStringLiteral("/apps/a.desktop"), QStringLiteral("A"));
    EXPECT_FALSE(plain->shouldSavedToConfig());
    plain->setComment(QStringLiteral("note"));
    EXPECT_TRUE(plain->shouldSavedToConfig());

    auto hidden = TableViewItem::initForSpotlightApp(QStringLiteral("/apps/b.desktop"), QStringLiteral("B"));
    hidden->setIsVisible(false);
    EXPECT_TRUE(hidden->shouldSavedToConfig());

    EXPECT_TRUE(TableViewItem::initForShortcutsURL(QStringLiteral("shortcuts://x"), QStringLiteral("x"), QString())
                    ->shouldSavedToConfig());
    EXPECT_TRUE(TableViewItem::initForURL(QStringLiteral("https://x"), QStringLiteral("x"), QString())->shouldSavedToConfig());
    auto tag = TableViewItem::initForTag(QStringLiteral("T"), QStringLiteral("T"));
    tag->setComment(QStringLiteral("even with data"));
    EXPECT_FALSE(tag->shouldSavedToConfig());
    auto unknown = TableViewItem::initForPath(QStringLiteral("/u"), QStringLiteral("u"), ListviewItemType::unknown,
                                              ListviewItemSource::other);
    EXPECT_FALSE(unknown->shouldSavedToConfig());
}

TEST(TableViewItemBehaviour, KindsAndDrops)
{
    const QString dir = makeTempDir(QStringLiteral("kinds"));
    auto folder = TableViewItem::initForExternalNonSpotlightObject(dir);
    EXPECT_FALSE(folder->acceptsDrop());
    EXPECT_TRUE(folder->isPhysicalEntry());
    EXPECT_TRUE(folder->lastModifiedDate().has_value());
    auto url = TableViewItem::initForURL(QStringLiteral("https://x"), QStringLiteral("x"), QString());
    EXPECT_TRUE(url->acceptsDrop());
    EXPECT_FALSE(url->isPhysicalEntry());
    EXPECT_FALSE(url->lastModifiedDate().has_value());
    auto goneFile = TableViewItem::initForPath(dir + QStringLiteral("/gone"), QStringLiteral("g"), ListviewItemType::file,
                                               ListviewItemSource::other);
    EXPECT_FALSE(goneFile->acceptsDrop());
    EXPECT_FALSE(goneFile->lastModifiedDate().has_value());
    EXPECT_FALSE(goneFile->showInFinder());
    EXPECT_FALSE(TableViewItem::initForTag(QStringLiteral("t"), QStringLiteral("t"))->acceptsDrop());
}

TEST(TableViewItemBehaviour, RenamingATagOnAnEntry)
{
    auto entry = TableViewItem::initForSpotlightApp(QStringLiteral("/apps/a.desktop"), QStringLiteral("A"));
    entry->setTags({QStringLiteral("a"), QStringLiteral("b")});
    EntryRecorder recorder(QStringLiteral("tableViewItemChanged"));
    entry->renameTag(QStringLiteral("a"), QStringLiteral("b"));
    EXPECT_EQ(entry->tags(), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
    entry->renameTag(QString(), QStringLiteral("x"));
    entry->renameTag(QStringLiteral("A"), QStringLiteral("x"));
    EXPECT_TRUE(recorder.objects.isEmpty());

    entry->setTags({QStringLiteral("a"), QStringLiteral("c")});
    recorder.objects.clear();
    entry->renameTag(QStringLiteral("a"), QStringLiteral("b"));
    EXPECT_EQ(entry->tags(), (QStringList{QStringLiteral("b"), QStringLiteral("c")}));
    ASSERT_EQ(recorder.objects.size(), 1);
    EXPECT_EQ(recorder.objects.first().reason, TableViewItemChangeReason::tagChanged);

    entry->setTags({QStringLiteral("a"), QStringLiteral("c"), QStringLiteral("a")});
    recorder.objects.clear();
    entry->renameTag(QStringLiteral("a"), QStringLiteral("z"));
    EXPECT_EQ(entry->tags(), (QStringList{QStringLiteral("z"), QStringLiteral("c")}));
    EXPECT_EQ(recorder.objects.size(), 2);  // the second "a" no longer changes the set
}

TEST(TableViewItemBehaviour, DeletingATagPostsOncePerRemainingTagPlusOne)
{
    auto entry = TableViewItem::initForSpotlightApp(QStringLiteral("/apps/a.desktop"), QStringLiteral("A"));
    entry->setTags({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    EntryRecorder recorder(QStringLiteral("tableViewItemChanged"));
    entry->deleteTag(QStringLiteral("x"));
    entry->deleteTag(QString());
    EXPECT_TRUE(recorder.objects.isEmpty());
    entry->deleteTag(QStringLiteral("b"));
    EXPECT_EQ(entry->tags(), (QStringList{QStringLiteral("a"), QStringLiteral("c")}));
    EXPECT_EQ(recorder.objects.size(), 3);
}

TEST(StringArrays, UniquedAndSameElements)
{
    EXPECT_EQ(uniqued({QStringLiteral("b"), QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("A")}),
              (QStringList{QStringLiteral("b"), QStringLiteral("a"), QStringLiteral("A")}));
    EXPECT_TRUE(containsSameElements({QStringLiteral("a"), QStringLiteral("b")},
                                     {QStringLiteral("b"), QStringLiteral("a"), QStringLiteral("a")}));
    EXPECT_FALSE(containsSameElements({QStringLiteral("a")}, {QStringLiteral("A")}));
    EXPECT_TRUE(containsSameElements({}, {}));
}
