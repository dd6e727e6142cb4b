#include "DatastoreTestSupport.h"

#include "datastore/DatastorageResultCode.h"
#include "datastore/spotlight/ProxySpotlightQueryFS.h"
#include "hotkeys/KeyCombo.h"
#include "model/ExecutionServices.h"
#include "model/TableViewItemChangedNotifyObject.h"
#include "spotlight/SpotlightTestSupport.h"

#include <QFile>

using namespace vantel;

class EditingTest : public test::DatastoreTest {
protected:
    TableViewItemPtr addApp(const QString& path)
    {
        auto entry = TableViewItem::initForPath(path, QStringLiteral("App"), ListviewItemType::application,
                                                ListviewItemSource::spotlight);
        entry->setIsFoundBySpotlight(true);
        store->allData()->append(entry);
        return entry;
    }

    int hotkeyAnnouncements(const std::function<void()>& action)
    {
        int count = 0;
        auto token = platform::NotificationCenter::defaultCenter().addObserver(
            QStringLiteral("tableViewItemChanged"), [&](const platform::Notification& n) {
                const auto* object = std::any_cast<TableViewItemChangedNotifyObject>(&n.object);
                if (object && object->reason == TableViewItemChangeReason::hotkeyChanged)
                    ++count;
            });
        action();
        return count;
    }
};

TEST_F(EditingTest, ResultCodesKeepTheirNumbers)
{
    EXPECT_EQ(toUInt(DatastorageResultCode::done), 0u);
    EXPECT_EQ(toUInt(DatastorageResultCode::notIdle), 1u);
    EXPECT_EQ(toUInt(DatastorageResultCode::urlInvalid), 2u);
    EXPECT_EQ(toUInt(DatastorageResultCode::entryExists), 3u);
    EXPECT_EQ(toUInt(DatastorageResultCode::titleEmpty), 4u);
    EXPECT_EQ(toUInt(DatastorageResultCode::nothingChanged), 5u);
    EXPECT_EQ(toUInt(DatastorageResultCode::pathEmptyOrAccessDenied), 6u);
}

TEST_F(EditingTest, AddRefusesASecondEntryWithTheSamePathInAnyCase)
{
    auto first = TableViewItem::initForPath(QStringLiteral("/Apps/Editor.desktop"), QStringLiteral("Editor"),
                                            ListviewItemType::application, ListviewItemSource::other);
    auto second = TableViewItem::initForPath(QStringLiteral("/apps/EDITOR.desktop"), QStringLiteral("Other"),
                                             ListviewItemType::application, ListviewItemSource::other);
    EXPECT_EQ(store->addToAllData(first), DatastorageResultCode::done);
    EXPECT_EQ(store->addToAllData(second), DatastorageResultCode::entryExists);
    EXPECT_EQ(store->allData()->count(), 1);

    // Entries without a path are not tested for duplicates.
    auto blank1 = TableViewItem::initForURL(QString(), QStringLiteral("a"), QString());
    auto blank2 = TableViewItem::initForURL(QString(), QStringLiteral("b"), QString());
    EXPECT_EQ(store->addToAllData(blank1), DatastorageResultCode::done);
    EXPECT_EQ(store->addToAllData(blank2), DatastorageResultCode::done);
    EXPECT_EQ(store->allData()->count(), 3);
}

TEST_F(EditingTest, RemoveClearsTheHotkeyAndTrashesOncePerPath)
{
    auto entry = addApp(QStringLiteral("/Apps/Mail.desktop"));
    entry->setHotkey(KeyCombo::withCarbonModifiers(Key::m, KeyCombo::commandKey));

    EXPECT_FALSE(store->removeFromAllData(QString()));
    EXPECT_FALSE(store->removeFromAllData(QStringLiteral("/Apps/Nothing.desktop")));
    EXPECT_TRUE(log.messages().contains(
        QStringLiteral("Unable to remove from allData - Entry not found! : /Apps/Nothing.desktop")));

    EXPECT_EQ(hotkeyAnnouncements([&] { EXPECT_TRUE(store->removeFromAllData(QStringLiteral("/apps/mail.DESKTOP"))); }), 1);
    EXPECT_TRUE(store->allData()->isEmpty());
    EXPECT_EQ(store->trashData(), QList<TableViewItemPtr>{entry});
    EXPECT_FALSE(entry->hotkey());
    EXPECT_FALSE(entry->isFoundBySpotlight());

    // The same path again: the newer entry takes the older one's place.
    auto again = addApp(QStringLiteral("/Apps/Mail.desktop"));
    again->setHotkey(KeyCombo::withCarbonModifiers(Key::m, KeyCombo::commandKey));
    EXPECT_EQ(hotkeyAnnouncements([&] { EXPECT_TRUE(store->removeFromAllData(QStringLiteral("/Apps/Mail.desktop"))); }), 1);
    EXPECT_TRUE(store->allData()->isEmpty());
    EXPECT_EQ(store->trashData(), QList<TableViewItemPtr>{again});
    EXPECT_FALSE(again->hotkey());
    EXPECT_FALSE(again->isFoundBySpotlight());
}

TEST_F(EditingTest, AVanishedApplicationWithUserDataStaysAndComesBackWhole)
{
    const QString folder = test::makeTempDir(QStringLiteral("vanishing-apps"));
    const QString path = folder + QStringLiteral("/mail.desktop");
    const QString barePath = folder + QStringLiteral("/bare.desktop");
    test::writeDesktopFile(path, QStringLiteral("Mail"));
    test::writeDesktopFile(barePath, QStringLiteral("Bare"));
    auto* discovery = dynamic_cast<ProxySpotlightQueryFS*>(store->proxySpotlightQueryFSAllApps().get());
    ASSERT_NE(discovery, nullptr);
    discovery->mergeAddedResults(SpotlightQueryFS::FSResultArray::create(
        {{path, QStringLiteral("Mail"), std::nullopt}, {barePath, QStringLiteral("Bare"), std::nullopt}}));
    const auto entry = store->entryForPath(path);
    ASSERT_TRUE(entry);
    entry->setTags({QStringLiteral("Work")});
    entry->setHotkey(KeyCombo::withCarbonModifiers(Key::m, KeyCombo::commandKey));
    store->rebuildData(DataStorageRebuildReason::tableViewPopup);
    ASSERT_TRUE(store->currentData()->contains(entry));

    // Gone for a moment, as in a package upgrade.
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QFile::remove(barePath));
    EXPECT_EQ(hotkeyAnnouncements([&] {
                  discovery->mergeRemovedResults(SpotlightQueryFS::FSResultArray::create(
                      {{path, std::nullopt, std::nullopt}, {barePath, std::nullopt, std::nullopt}}));
              }),
              0);
    store->rebuildData(DataStorageRebuildReason::spotlightDatabaseUpdated);
    EXPECT_EQ(store->allData()->snapshot(), QList<TableViewItemPtr>{entry}) << "only the bare entry is trashed";
    ASSERT_EQ(store->trashData().size(), 1);
    EXPECT_EQ(store->trashData().first()->path(), barePath);
    EXPECT_FALSE(store->currentData()->contains(entry));
    EXPECT_TRUE(entry->shouldSavedToConfig());

    test::writeDesktopFile(path, QStringLiteral("Mail"));
    discovery->mergeAddedResults(SpotlightQueryFS::FSResultArray::create({{path, QStringLiteral("Mail"), std::nullopt}}));
    store->rebuildData(DataStorageRebuildReason::spotlightDatabaseUpdated);
    EXPECT_EQ(store->allData()->snapshot(), QList<TableViewItemPtr>{entry});
    EXPECT_EQ(entry->tags(), QStringList{QStringLiteral("Work")});
    EXPECT_TRUE(entry->hotkey());
    EXPECT_TRUE(store->currentData()->contains(entry));
}

TEST_F(EditingTest, RestoreFromTrash)
{
    auto entry = addApp(QStringLiteral("/Apps/Mail.desktop"));
    ASSERT_TRUE(store->removeFromAllData(entry->path()));

    EXPECT_EQ(store->restoreFromTrash(QString()), nullptr);
    EXPECT_EQ(store->restoreFromTrash(QStringLiteral("/Apps/Other.desktop")), nullptr);
    EXPECT_EQ(store->restoreFromTrash(QStringLiteral("/APPS/mail.desktop")), entry);
    EXPECT_TRUE(store->trashData().isEmpty());
    EXPECT_EQ(store->allData()->snapshot(), QList<TableViewItemPtr>{entry});

    // Back in the list already: nothing restored, but the trash entry goes.
    ASSERT_TRUE(store->moveEntryToTrash(entry->path(), false));
    auto replacement = addApp(QStringLiteral("/Apps/Mail.desktop"));
    EXPECT_EQ(store->restoreFromTrash(entry->path()), nullptr);
    EXPECT_TRUE(store->trashData().isEmpty());
    EXPECT_EQ(store->allData()->snapshot(), QList<TableViewItemPtr>{replacement});
}

TEST_F(EditingTest, SetAndAppendTags)
{
    auto entry = addApp(QStringLiteral("/Apps/Mail.desktop"));
    entry->setTags({QStringLiteral("Old"), QStringLiteral("Older")});

    EXPECT_FALSE(store->setTag(entry->path(), QString()));
    EXPECT_FALSE(store->setTag(QString(), QStringLiteral("Work")));
    EXPECT_FALSE(store->setTag(QStringLiteral("/Apps/None.desktop"), QStringLiteral("Work")));
    EXPECT_TRUE(store->setTag(QStringLiteral("/apps/mail.desktop"), QStringLiteral("Work")));
    EXPECT_EQ(entry->tags(), QStringList{QStringLiteral("Work")});

    EXPECT_TRUE(store->appendTag(entry->path(), QStringLiteral("Home")));
    EXPECT_EQ(entry->tags(), (QStringList{QStringLiteral("Work"), QStringLiteral("Home")}));

    int announcements = 0;
    auto token = platform::NotificationCenter::defaultCenter().addObserver(
        QStringLiteral("tableViewItemChanged"), [&](const platform::Notification&) { ++announcements; });
    EXPECT_FALSE(store->appendTag(entry->path(), QStringLiteral("Home")));
    EXPECT_FALSE(store->appendTag(entry->path(), QStringLiteral(" Home ")));
    EXPECT_EQ(announcements, 0);
    EXPECT_FALSE(store->appendTag(QStringLiteral("/Apps/None.desktop"), QStringLiteral("Home")));
    EXPECT_TRUE(log.messages().contains(QStringLiteral("append Tag failed - Entry not found! : /Apps/None.desktop")));
}

TEST_F(EditingTest, CategoryQueriesSeeOnlyVisibleReachableEntries)
{
    auto url = addURL(QStringLiteral("site"));
    url->setIsFavorite(true);
    EXPECT_TRUE(store->allDataContainsURLs());
    EXPECT_TRUE(store->allDataContainsFavorites());
    EXPECT_FALSE(store->allDataContainsFiles());
    EXPECT_FALSE(store->allDataContainsFolders());
    EXPECT_FALSE(store->allDataContainsShortcuts());

    url->setIsVisible(false);
    EXPECT_FALSE(store->allDataContainsURLs());
    EXPECT_FALSE(store->allDataContainsFavorites());

    const QString folder = test::makeTempDir(QStringLiteral("category-folder"));
    const auto missing = TableViewItem::initForPath(folder + QStringLiteral("/missing.txt"), QStringLiteral("File"),
                                                    ListviewItemType::file, ListviewItemSource::other);
    const auto folderEntry = TableViewItem::initForPath(folder, QStringLiteral("Folder"), ListviewItemType::folder,
                                                        ListviewItemSource::other);
    store->allData()->append(missing);
    store->allData()->append(folderEntry);
    EXPECT_TRUE(store->allDataContainsFolders());
    EXPECT_FALSE(store->allDataContainsFiles()) << "the file does not exist";

    // An unreachable entry stands for no category, a reachable one for each of its own.
    missing->setIsFavorite(true);
    EXPECT_FALSE(store->allDataContainsFavorites());
    folderEntry->setIsFavorite(true);
    const DataStorage::Categories present = store->allDataCategories();
    EXPECT_TRUE(present.favorites);
    EXPECT_TRUE(present.folders);
    EXPECT_FALSE(present.files || present.urls || present.shortcuts);
}

TEST_F(EditingTest, LaunchAllEntriesOfATagGoesToTheInstalledOpener)
{
    struct Recorder final : ExecutionServices {
        void openURLString(const QString&, const std::optional<QVariantList>&) override {}
        void readVolumeAttributes(const QUrl&) override {}
        void openPath(const QString&, const std::optional<QVariantList>&, const QString&) override {}
        void launchAllEntriesOfTag(const QString& tagName) override { tags << tagName; }
        bool selectFile(const QString&) override { return false; }
        bool isApplicationRunning(const QString&) override { return false; }
        QStringList tags;
    };
    store->launchAllEntriesOfTag(QStringLiteral("Work")); // nothing installed: dropped quietly
    auto recorder = std::make_shared<Recorder>();
    ExecutionServices::setShared(recorder);
    store->launchAllEntriesOfTag(QStringLiteral("Work"));
    ExecutionServices::setShared(nullptr);
    EXPECT_EQ(recorder->tags, QStringList{QStringLiteral("Work")});
}
