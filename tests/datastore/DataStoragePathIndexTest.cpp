#include "datastore/DataStoragePathIndex.h"

#include "DatastoreTestSupport.h"

#include <gtest/gtest.h>

using namespace vantel;

namespace {

TableViewItemPtr urlEntry(const QString& path)
{
    return TableViewItem::initForURL(path, path, QString(), ListviewItemSource::spotlight);
}

class DataStoragePathIndexTest : public test::DatastoreTest {
protected:
    TableViewItemPtr lookup(const QString& path) const { return store->entryForPath(path); }
};

} // namespace

TEST_F(DataStoragePathIndexTest, FollowsEveryWayTheListChanges)
{
    const auto first = urlEntry(QStringLiteral("https://example.org/First"));
    const auto second = urlEntry(QStringLiteral("https://example.org/second"));
    ASSERT_EQ(store->addToAllData(first), DatastorageResultCode::done);
    ASSERT_EQ(store->addToAllData(second), DatastorageResultCode::done);
    EXPECT_EQ(lookup(QStringLiteral("HTTPS://EXAMPLE.ORG/FIRST")), first);
    EXPECT_EQ(store->addToAllData(urlEntry(QStringLiteral("https://example.org/first"))), DatastorageResultCode::entryExists);

    // Trashed, restored, renamed through the store and on the entry.
    ASSERT_TRUE(store->moveEntryToTrash(first->path(), false));
    EXPECT_EQ(lookup(first->path()), nullptr);
    EXPECT_EQ(store->restoreFromTrash(first->path()), first);
    EXPECT_EQ(lookup(first->path()), first);
    second->setPath(QStringLiteral("https://example.org/renamed"));
    EXPECT_EQ(lookup(QStringLiteral("https://example.org/second")), nullptr);
    EXPECT_EQ(lookup(QStringLiteral("https://example.org/renamed")), second);

    // Written straight to the list, past the store.
    const auto direct = urlEntry(QStringLiteral("https://example.org/direct"));
    store->allData()->append(direct);
    EXPECT_EQ(lookup(direct->path()), direct);
    store->allData()->removeAllWhere([&](const TableViewItemPtr& e) { return e == first; });
    EXPECT_EQ(lookup(first->path()), nullptr);
    // One out and one in between two lookups leaves the count as it was.
    const auto swapped = urlEntry(QStringLiteral("https://example.org/swapped"));
    store->allData()->removeAllWhere([&](const TableViewItemPtr& e) { return e == direct; });
    store->allData()->append(swapped);
    EXPECT_EQ(lookup(swapped->path()), swapped);
    EXPECT_EQ(lookup(direct->path()), nullptr);
    store->allData()->append(direct);

    // Two entries of one path: the first in the list answers, and after it
    // leaves, the other.
    const auto twin = urlEntry(QStringLiteral("https://example.org/Direct"));
    store->allData()->append(twin);
    EXPECT_EQ(lookup(direct->path()), direct);
    ASSERT_TRUE(store->moveEntryToTrash(direct->path(), false));
    EXPECT_EQ(lookup(direct->path()), twin);
    EXPECT_EQ(store->entryForPath(QString()), nullptr);
}

TEST_F(DataStoragePathIndexTest, AddingThroughTheStoreNeedsNoRebuild)
{
    store->addToAllData(urlEntry(QStringLiteral("https://example.org/seed")));
    ASSERT_NE(lookup(QStringLiteral("https://example.org/seed")), nullptr);
    const int rebuilds = store->pathIndex().rebuildCount();
    for (int i = 0; i < 200; ++i) {
        const QString path = QStringLiteral("https://example.org/%1").arg(i);
        ASSERT_EQ(lookup(path), nullptr);
        ASSERT_EQ(store->addToAllData(urlEntry(path)), DatastorageResultCode::done);
        if (i % 2 == 0) {
            ASSERT_TRUE(store->moveEntryToTrash(path, false));
        }
    }
    EXPECT_EQ(store->pathIndex().rebuildCount(), rebuilds) << "discovery must stay linear in the list";
    EXPECT_EQ(store->allData()->count(), 101);
    EXPECT_NE(lookup(QStringLiteral("https://example.org/199")), nullptr);
    EXPECT_EQ(lookup(QStringLiteral("https://example.org/198")), nullptr);
}
