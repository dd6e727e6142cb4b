#include "datastore/spotlight/ProxySpotlightQueryFS.h"

#include "../DatastoreTestSupport.h"
#include "SpotlightTestSupport.h"
#include "model/TableViewItemChangedNotifyObject.h"

#include <gtest/gtest.h>

#include <QFile>

using namespace vantel;
using namespace vantel::test;
using namespace std::chrono_literals;

namespace {

using FSResults = SpotlightQueryFS::FSResultArray;

class ProxySpotlightQueryFSTest : public DatastoreTest {
protected:
    void SetUp() override
    {
        DatastoreTest::SetUp();
        folder = makeTempDir(QStringLiteral("proxy-apps"));
        proxy = dynamic_cast<ProxySpotlightQueryFS*>(store->proxySpotlightQueryFSAllApps().get());
        ASSERT_NE(proxy, nullptr);
    }

    QString app(const QString& file, const QString& name)
    {
        const QString path = folder + QStringLiteral("/") + file;
        writeDesktopFile(path, name);
        return path;
    }

    static FSResults::Ptr results(const QList<SpotlightFSResult>& list) { return FSResults::create(list); }

    TableViewItemPtr addApplication(const QString& path, const QString& name, ListviewItemSource source)
    {
        auto entry = TableViewItem::initForPath(path, name, ListviewItemType::application, source);
        store->allData()->append(entry);
        return entry;
    }

    int rebuilds() const { return int(posted.count(QStringLiteral("dataStorageRebuildIsFinished"))); }

    QString folder;
    ProxySpotlightQueryFS* proxy = nullptr;
};

} // namespace

TEST_F(ProxySpotlightQueryFSTest, AddedResultsAreVerifiedRestoredOrCreated)
{
    const QString mixedPath = app(QStringLiteral("Mixed.desktop"), QStringLiteral("Mixed"));
    const QString trashedPath = app(QStringLiteral("trashed.desktop"), QStringLiteral("Trashed"));
    const QString newPath = app(QStringLiteral("new.desktop"), QStringLiteral("New"));

    // Known under the same path in other letter case.
    const auto mixed = addApplication(mixedPath, QStringLiteral("Old Name"), ListviewItemSource::other);
    const QDateTime launched = QDateTime(QDate(2026, 12, 9), QTime(18, 0), Qt::UTC);
    mixed->setLastUsedDate(launched);
    // Removed earlier, with fields the user set.
    const auto trashed = addApplication(trashedPath, QStringLiteral("Trashed Then"), ListviewItemSource::spotlight);
    trashed->setTags({QStringLiteral("Work")});
    trashed->setComment(QStringLiteral("kept"));
    ASSERT_TRUE(store->removeFromAllData(trashedPath));

    int nameChanges = 0;
    auto changes = platform::NotificationCenter::defaultCenter().addObserver(
        QStringLiteral("tableViewItemChanged"), [&](const platform::Notification& n) {
            if (const auto* info = std::any_cast<TableViewItemChangedNotifyObject>(&n.object))
                nameChanges += info->reason == TableViewItemChangeReason::nameChanged ? 1 : 0;
        });

    const QDateTime used = QDateTime(QDate(2024, 5, 6), QTime(7, 8), Qt::UTC);
    proxy->mergeAddedResults(results({
        {mixedPath.toLower(), QStringLiteral("Mixed"), launched.addDays(-2)},
        {trashedPath, QStringLiteral("Trashed Now"), used},
        {newPath, QStringLiteral("New"), std::nullopt},
        {folder + QStringLiteral("/nameless.desktop"), std::nullopt, std::nullopt},
    }));

    const auto all = store->allData()->snapshot();
    ASSERT_EQ(all.size(), 3);
    EXPECT_EQ(all.at(0), mixed) << "verified, not added again";
    EXPECT_EQ(mixed->name(), QStringLiteral("Mixed"));
    EXPECT_EQ(mixed->nameLowercased(), QStringLiteral("mixed"));
    EXPECT_EQ(mixed->itemSource(), ListviewItemSource::spotlight);
    EXPECT_TRUE(mixed->isFoundBySpotlight());
    EXPECT_EQ(mixed->lastUsedDate(), launched) << "a result's older date (the history as the scan read it) stays out";

    EXPECT_EQ(all.at(1), trashed) << "back from the trash, the same entry";
    EXPECT_TRUE(store->trashData().isEmpty());
    EXPECT_EQ(trashed->name(), QStringLiteral("Trashed Now"));
    EXPECT_EQ(trashed->tags(), QStringList{QStringLiteral("Work")});
    EXPECT_EQ(trashed->comment(), QStringLiteral("kept"));
    EXPECT_EQ(trashed->lastUsedDate(), used);
    EXPECT_TRUE(trashed->isFoundBySpotlight());

    const auto created = all.at(2);
    EXPECT_EQ(created->path(), newPath);
    EXPECT_EQ(created->name(), QStringLiteral("New"));
    EXPECT_EQ(created->itemType(), ListviewItemType::application);
    EXPECT_EQ(created->itemSource(), ListviewItemSource::spotlight);
    EXPECT_TRUE(created->isFoundBySpotlight());
    EXPECT_FALSE(created->lastUsedDate().has_value());

    EXPECT_EQ(nameChanges, 2);
    EXPECT_EQ(rebuilds(), 1) << "the first merge rebuilds at once";
    EXPECT_TRUE(log.messages().contains(QStringLiteral("Not available in Database, will be added: ") + trashedPath
                                        + QStringLiteral(" - LastUsed: 2024-05-06 07:08:00 +0000")));
}

TEST_F(ProxySpotlightQueryFSTest, OneMergeKeepsTheResultsOrderAndAddsEachPathOnce)
{
    const QString first = app(QStringLiteral("first.desktop"), QStringLiteral("First"));
    const QString trashedPath = app(QStringLiteral("trashed.desktop"), QStringLiteral("Trashed"));
    const QString last = app(QStringLiteral("last.desktop"), QStringLiteral("Last"));
    addApplication(trashedPath, QStringLiteral("Trashed"), ListviewItemSource::spotlight);
    ASSERT_TRUE(store->moveEntryToTrash(trashedPath, false));

    proxy->mergeAddedResults(results({
        {first, QStringLiteral("First"), std::nullopt},
        {trashedPath, QStringLiteral("Trashed"), std::nullopt},
        {last, QStringLiteral("Last"), std::nullopt},
        {first.toUpper(), QStringLiteral("First Again"), std::nullopt},
    }));
    EXPECT_EQ(names(store->allData()),
              (QStringList{QStringLiteral("First Again"), QStringLiteral("Trashed"), QStringLiteral("Last")}));
    EXPECT_EQ(store->entryForPath(last)->name(), QStringLiteral("Last"));
    EXPECT_TRUE(log.messages().contains(QStringLiteral("Available in Database, will be set to verified: ") + first.toUpper()
                                        + QStringLiteral(" - LastUsed: none")));
}

TEST_F(ProxySpotlightQueryFSTest, OnlyResultsWhoseFileIsGoneAreTrashed)
{
    const QString stays = app(QStringLiteral("stays.desktop"), QStringLiteral("Stays"));
    const QString goes = app(QStringLiteral("goes.desktop"), QStringLiteral("Goes"));
    addApplication(stays, QStringLiteral("Stays"), ListviewItemSource::spotlight);
    addApplication(goes, QStringLiteral("Goes"), ListviewItemSource::spotlight);
    ASSERT_TRUE(QFile::remove(goes));

    // The display name does not matter for a removal.
    proxy->mergeRemovedResults(results({{stays, QStringLiteral("Stays"), std::nullopt}, {goes, std::nullopt, std::nullopt}}));
    EXPECT_EQ(names(store->allData()), QStringList{QStringLiteral("Stays")});
    ASSERT_EQ(store->trashData().size(), 1);
    EXPECT_EQ(store->trashData().first()->path(), goes);
    EXPECT_TRUE(log.messages().contains(QStringLiteral("Remove - Name: ") + goes));
    EXPECT_EQ(rebuilds(), 1);

    // Nothing to move: no request for a rebuild.
    proxy->mergeRemovedResults(results({{stays, QStringLiteral("Stays"), std::nullopt}}));
    EXPECT_EQ(store->rebuildDataTimer(), nullptr);
    EXPECT_EQ(rebuilds(), 1);
}

TEST_F(ProxySpotlightQueryFSTest, ResultsArrivingWhileTheStoreIsBusyAreMergedLater)
{
    addURL(QStringLiteral("Keeps the list non-empty"));
    const QString first = app(QStringLiteral("first.desktop"), QStringLiteral("First"));
    const QString gone = app(QStringLiteral("gone.desktop"), QStringLiteral("Gone"));
    addApplication(gone, QStringLiteral("Gone"), ListviewItemSource::spotlight);
    ASSERT_TRUE(QFile::remove(gone));

    // Kept while busy, merged after the next rebuild.
    proxy->setPendingRetryInterval(std::chrono::hours(1));
    store->setState(DatastorageState::changingAllData);
    proxy->mergeRemovedResults(results({{gone, QStringLiteral("Gone"), std::nullopt}}));
    proxy->mergeAddedResults(results({{first, QStringLiteral("First"), std::nullopt}}));
    EXPECT_TRUE(log.messages().contains(QStringLiteral("Unable to add items - Database was not idle!")));
    EXPECT_TRUE(log.messages().contains(QStringLiteral("Unable to remove items - Database was not idle!")));
    EXPECT_TRUE(proxy->hasPendingResults());
    EXPECT_EQ(store->allData()->count(), 2);

    store->setState(DatastorageState::idle);
    store->rebuildData(DataStorageRebuildReason::importData);
    EXPECT_TRUE(proxy->hasPendingResults()) << "not inside the rebuild's notification";
    ASSERT_TRUE(waitUntil([&] { return !proxy->hasPendingResults(); }));
    EXPECT_EQ(names(store->allData()), (QStringList{QStringLiteral("Keeps the list non-empty"), QStringLiteral("First")}));
    EXPECT_EQ(store->trashData().size(), 1);

    // Without a rebuild, the retry timer takes them in once the store is idle.
    const QString second = app(QStringLiteral("second.desktop"), QStringLiteral("Second"));
    proxy->setPendingRetryInterval(20ms);
    store->setState(DatastorageState::rebuildData);
    proxy->mergeAddedResults(results({{second, QStringLiteral("Second"), std::nullopt}}));
    spinEventLoop(100ms);
    EXPECT_TRUE(proxy->hasPendingResults()) << "still busy: still kept";
    store->setState(DatastorageState::idle);
    ASSERT_TRUE(waitUntil([&] { return !proxy->hasPendingResults(); }));
    EXPECT_TRUE(store->entryForPath(second));

    // A removal reported after an addition that was kept cancels it.
    store->setState(DatastorageState::changingAllData);
    const QString brief = folder + QStringLiteral("/brief.desktop");
    proxy->mergeAddedResults(results({{brief, QStringLiteral("Brief"), std::nullopt}}));
    proxy->mergeRemovedResults(results({{brief, QStringLiteral("Brief"), std::nullopt}}));
    store->setState(DatastorageState::idle);
    ASSERT_TRUE(waitUntil([&] { return !proxy->hasPendingResults(); }));
    EXPECT_FALSE(store->entryForPath(brief));
}

TEST_F(ProxySpotlightQueryFSTest, TheCompleteListMarksTheEntriesItFinds)
{
    const QString found = app(QStringLiteral("Found.desktop"), QStringLiteral("Found"));
    const auto entry = addApplication(found, QStringLiteral("Found"), ListviewItemSource::other);
    const auto other = addURL(QStringLiteral("Elsewhere"));
    other->setIsFoundBySpotlight(true);

    proxy->storeCompleteResults(results({{QStringLiteral("/z/last.desktop"), QStringLiteral("Last"), std::nullopt},
                                         {found.toLower(), QStringLiteral("Found"), std::nullopt},
                                         {QString(), QStringLiteral("Empty"), std::nullopt},
                                         {std::nullopt, QStringLiteral("None"), std::nullopt}}));
    EXPECT_TRUE(entry->isFoundBySpotlight());
    EXPECT_EQ(entry->itemSource(), ListviewItemSource::spotlight);
    EXPECT_FALSE(other->isFoundBySpotlight());
    QStringList expected{QStringLiteral("/z/last.desktop"), found.toLower(), QString()};
    expected.sort();
    EXPECT_EQ(proxy->spotlightResultComplete(), expected);
}

