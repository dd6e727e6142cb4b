#include "DatastoreTestSupport.h"

#include "datastore/ProxyTags.h"

using namespace vantel;

class ProxyTagsTest : public test::DatastoreTest {
protected:
    QStringList tagEntryNames() const
    {
        QStringList result;
        for (const auto& entry : store->allData()->snapshot())
            if (entry->itemType() == ListviewItemType::tag)
                result.append(entry->name());
        return result;
    }
    TableViewItemPtr tagEntry(const QString& name) const
    {
        for (const auto& entry : store->allData()->snapshot())
            if (entry->itemType() == ListviewItemType::tag && entry->name() == name)
                return entry;
        return nullptr;
    }
};

TEST_F(ProxyTagsTest, DisabledProxyChangesNothing)
{
    addURL(QStringLiteral("a"), {QStringLiteral("Work")});
    store->proxyTags().initialize();
    store->rebuildData(DataStorageRebuildReason::datastorageInitialize);
    ASSERT_TRUE(posted.contains(QStringLiteral("visibleTagsRebuildNeeded")));
    EXPECT_TRUE(tagEntryNames().isEmpty());
}

TEST_F(ProxyTagsTest, FollowsTheVisibleTags)
{
    auto a = addURL(QStringLiteral("a"), {QStringLiteral("Work")});
    addURL(QStringLiteral("b"), {QStringLiteral("Home")});
    // Another kind of entry that happens to carry a tag entry's name.
    auto impostor = addURL(QStringLiteral("Tag [Work]"));
    store->setEnableDataProxies(true);

    store->rebuildData(DataStorageRebuildReason::datastorageInitialize);
    EXPECT_EQ(tagEntryNames(), (QStringList{QStringLiteral("Tag [Home]"), QStringLiteral("Tag [Work]")}));
    const auto work = tagEntry(QStringLiteral("Tag [Work]"));
    ASSERT_TRUE(work);
    EXPECT_EQ(work->path(), QStringLiteral("Work"));
    EXPECT_EQ(work->itemSource(), ListviewItemSource::tags);
    EXPECT_FALSE(impostor->isFoundByTags());

    // The entries show in the main list after the next rebuild.
    store->rebuildData(DataStorageRebuildReason::userInitiatedRequest);
    EXPECT_TRUE(store->currentData()->contains(work));
    EXPECT_FALSE(store->currentDataConfig()->contains(work));

    // A counter change refreshes and keeps the entry object.
    addURL(QStringLiteral("c"), {QStringLiteral("Work")});
    store->rebuildData(DataStorageRebuildReason::tableViewPopup);
    EXPECT_EQ(tagEntry(QStringLiteral("Tag [Work]")), work);

    // A tag that stops being visible loses its entry.
    store->allData()->removeAllWhere([](const TableViewItemPtr& e) { return e->name() == QStringLiteral("c"); });
    a->setIsVisible(false);
    store->rebuildData(DataStorageRebuildReason::tableViewPopup);
    EXPECT_EQ(tagEntryNames(), QStringList{QStringLiteral("Tag [Home]")});
    EXPECT_TRUE(store->allData()->contains(impostor));
}

TEST_F(ProxyTagsTest, RenamedTagGetsANewEntry)
{
    addURL(QStringLiteral("a"), {QStringLiteral("Office")});
    store->setEnableDataProxies(true);
    store->rebuildData(DataStorageRebuildReason::datastorageInitialize);
    ASSERT_EQ(tagEntryNames(), QStringList{QStringLiteral("Tag [Office]")});

    config().setNeverRemindMeRenameTagDialog(true);
    ASSERT_TRUE(tags().renameTag(QStringLiteral("Office"), QStringLiteral("Work")));
    EXPECT_EQ(tagEntryNames(), QStringList{QStringLiteral("Tag [Work]")});
}

TEST(TagManagerCatalogueTest, IconNamesAndSymbolRepair)
{
    DataStorage store;
    TagManager& manager = store.tagManager();
    ASSERT_EQ(manager.iconNames().size(), 143);
    EXPECT_EQ(manager.iconNames().first(), QStringLiteral("icon_tags"));
    EXPECT_EQ(manager.iconNames().last(), QStringLiteral("icon_ai_brain"));
    EXPECT_FALSE(manager.iconNames().contains(QStringLiteral("icon_folder")));
    EXPECT_EQ(manager.iconNames().filter(QStringLiteral("icon_folder_")).size(), 18);

    manager.validateTagSymbols(); // empty list: nothing to do
    auto folder = iconTag::create(QStringLiteral("a"), QStringLiteral("icon_folder"));
    auto empty = iconTag::create(QStringLiteral("b"), QString());
    auto fine = iconTag::create(QStringLiteral("c"), QStringLiteral("icon_3D"));
    manager.allAvailableTags()->appendContentsOf(QList<iconTagPtr>{folder, empty, fine});
    manager.validateTagSymbols();
    EXPECT_EQ(folder->tagSymbol(), QStringLiteral("icon_tags"));
    EXPECT_EQ(empty->tagSymbol(), QStringLiteral("icon_tags"));
    EXPECT_EQ(fine->tagSymbol(), QStringLiteral("icon_3D"));
}
