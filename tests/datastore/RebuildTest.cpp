#include "DatastoreTestSupport.h"

#include "datastore/ProxyTags.h"
#include "hotkeys/KeyCombo.h"
#include "model/IconTagChangedNotifyObject.h"

using namespace vantel;
using namespace std::chrono_literals;

namespace {

const QStringList rebuildNotifications{
    QStringLiteral("currentDataChanged"),
    QStringLiteral("currentDataNotChangedWithLastRequest"),
    QStringLiteral("currentDataFilterRefreshed"),
    QStringLiteral("currentDataConfigChanged"),
    QStringLiteral("currentDataConfigNotChangedWithLastRequest"),
    QStringLiteral("dataStorageRebuildIsFinished"),
    QStringLiteral("validateTagHotkeyNeeded"),
    QStringLiteral("visibleTagsRebuildNeeded"),
    QStringLiteral("visibleTagsUseCounterChanged"),
    QStringLiteral("visibleTagsRedrawNeeded"),
};

QStringList stateLines(const QStringList& messages)
{
    QStringList states;
    const QString prefix = QStringLiteral("changed State of DataStorage to: ");
    for (const QString& line : messages)
        if (line.startsWith(prefix))
            states.append(line.mid(prefix.size()));
    return states;
}

} // namespace

class RebuildTest : public test::DatastoreTest {};

TEST_F(RebuildTest, RefusedRebuildsLogAndPostNothing)
{
    addURL(QStringLiteral("alpha"), {QStringLiteral("Work")});

    store->setState(DatastorageState::changingCurrentData);
    log.clear();
    posted.clear();
    store->rebuildData(DataStorageRebuildReason::tableViewPopup);
    EXPECT_TRUE(log.messages().contains(QStringLiteral("-> RebuildData - Request initiated: TableView-Popup")));
    EXPECT_TRUE(log.messages().contains(QStringLiteral("RebuildData was called while the DataStorage was not idle")));
    EXPECT_TRUE(posted.isEmpty()) << posted.join(u',').toStdString();
    EXPECT_EQ(store->state(), DatastorageState::changingCurrentData);
    EXPECT_FALSE(tag(QStringLiteral("Work"))) << "no validation ran";

    // A save in progress refuses first, whatever the state.
    config().setSaveInProgress(true);
    store->setState(DatastorageState::idle);
    log.clear();
    store->rebuildData(DataStorageRebuildReason::configViewTags);
    config().setSaveInProgress(false);
    EXPECT_TRUE(log.messages().contains(QStringLiteral("RebuildData was called while save was in progress")));
    EXPECT_FALSE(log.messages().contains(QStringLiteral("RebuildData was called while the DataStorage was not idle")));
    EXPECT_TRUE(posted.isEmpty());
    EXPECT_FALSE(tag(QStringLiteral("Work")));
}

TEST_F(RebuildTest, EmptyEntryListEmptiesBothListsAndSaysSo)
{
    auto entry = addURL(QStringLiteral("alpha"));
    store->rebuildData(DataStorageRebuildReason::datastorageInitialize);
    ASSERT_EQ(store->currentData()->count(), 1);
    ASSERT_EQ(store->currentDataConfig()->count(), 1);

    ASSERT_TRUE(store->removeFromAllData(entry->path()));
    posted.clear();
    log.clear();
    store->rebuildData(DataStorageRebuildReason::configViewContent);
    EXPECT_TRUE(log.messages().contains(QStringLiteral("allData was empty!")));
    EXPECT_TRUE(store->currentData()->isEmpty());
    EXPECT_TRUE(store->currentDataConfig()->isEmpty());
    EXPECT_EQ(postedAmong(rebuildNotifications),
              (QStringList{QStringLiteral("currentDataChanged"), QStringLiteral("currentDataConfigChanged")}));
    EXPECT_EQ(store->state(), DatastorageState::idle);
}

TEST_F(RebuildTest, RunningRebuildPostsInOrderAndWalksTheStates)
{
    addURL(QStringLiteral("alpha"), {QStringLiteral("Work")});
    addURL(QStringLiteral("beta"), {QStringLiteral("Work"), QStringLiteral("Home")});
    log.clear();
    posted.clear();

    store->rebuildData(DataStorageRebuildReason::datastorageInitialize);

    EXPECT_EQ(postedAmong(rebuildNotifications),
              (QStringList{QStringLiteral("currentDataChanged"), QStringLiteral("currentDataFilterRefreshed"),
                           QStringLiteral("currentDataConfigChanged"), QStringLiteral("dataStorageRebuildIsFinished"),
                           QStringLiteral("visibleTagsRebuildNeeded")}));
    EXPECT_EQ(stateLines(log.messages()),
              (QStringList{QStringLiteral("validateData"), QStringLiteral("rebuildData"),
                           QStringLiteral("changingCurrentData"), QStringLiteral("idle"),
                           QStringLiteral("changingCurrentDataConfig"), QStringLiteral("idle"), QStringLiteral("idle")}));
    // Tags became visible during validation, before any list was posted.
    ASSERT_FALSE(posted.isEmpty());
    EXPECT_EQ(posted.first(), QStringLiteral("iconTagChanged"));
    EXPECT_EQ(store->state(), DatastorageState::idle);

    // The same once more: nothing changed anywhere.
    posted.clear();
    log.clear();
    store->rebuildData(DataStorageRebuildReason::userInitiatedRequest);
    EXPECT_EQ(postedAmong(rebuildNotifications),
              (QStringList{QStringLiteral("currentDataNotChangedWithLastRequest"),
                           QStringLiteral("currentDataFilterRefreshed"),
                           QStringLiteral("currentDataConfigNotChangedWithLastRequest"),
                           QStringLiteral("dataStorageRebuildIsFinished")}));
    EXPECT_TRUE(log.messages().contains(QStringLiteral("-> visibleTags have not changed!")));
}

TEST_F(RebuildTest, TagManagerAnswersByKindOfChange)
{
    auto alpha = addURL(QStringLiteral("alpha"), {QStringLiteral("Work")});
    auto beta = addURL(QStringLiteral("beta"), {QStringLiteral("Home")});
    store->rebuildData(DataStorageRebuildReason::datastorageInitialize);
    const QStringList tagNotifications = rebuildNotifications.mid(6);

    // A counter change: counter, then redraw.
    addURL(QStringLiteral("gamma"), {QStringLiteral("Work")});
    posted.clear();
    store->rebuildData(DataStorageRebuildReason::tableViewPopup);
    EXPECT_EQ(postedAmong(tagNotifications),
              (QStringList{QStringLiteral("visibleTagsUseCounterChanged"), QStringLiteral("visibleTagsRedrawNeeded")}));

    // A colour alone: redraw only.
    tag(QStringLiteral("Home"))->setColor(platform::Color{1, 0, 0, 1});
    posted.clear();
    store->rebuildData(DataStorageRebuildReason::tableViewPopup);
    EXPECT_EQ(postedAmong(tagNotifications), QStringList{QStringLiteral("visibleTagsRedrawNeeded")});

    // A symbol alone: nothing.
    tag(QStringLiteral("Home"))->setTagSymbol(QStringLiteral("icon_code"));
    posted.clear();
    store->rebuildData(DataStorageRebuildReason::tableViewPopup);
    EXPECT_TRUE(postedAmong(tagNotifications).isEmpty());

    // A hotkey and a counter change together: the hotkey goes first.
    tag(QStringLiteral("Work"))->setHotkey(KeyCombo::withCarbonModifiers(Key::w, KeyCombo::commandKey));
    addURL(QStringLiteral("delta"), {QStringLiteral("Work")});
    posted.clear();
    store->rebuildData(DataStorageRebuildReason::tableViewPopup);
    EXPECT_EQ(postedAmong(tagNotifications),
              (QStringList{QStringLiteral("validateTagHotkeyNeeded"), QStringLiteral("visibleTagsUseCounterChanged"),
                           QStringLiteral("visibleTagsRedrawNeeded")}));

    // A tag that stops being visible: rebuild only, though counters changed too.
    beta->setIsVisible(false);
    alpha->setIsVisible(false);
    posted.clear();
    store->rebuildData(DataStorageRebuildReason::tableViewPopup);
    EXPECT_EQ(postedAmong(tagNotifications), QStringList{QStringLiteral("visibleTagsRebuildNeeded")});
    QStringList visible;
    for (const auto& t : tags().allVisibleTags()->snapshot())
        visible.append(t->tagName());
    EXPECT_EQ(visible, QStringList{QStringLiteral("Work")});
}

TEST_F(RebuildTest, ValidationRecountsTags)
{
    auto hidden = addURL(QStringLiteral("hidden"), {QStringLiteral("Secret")}, false);
    for (const char* name : {"one", "two", "three"})
        addURL(QString::fromLatin1(name), {QStringLiteral("Team")});
    // Stored without normalising: still shows and counts its tag.
    addURL(QStringLiteral("sloppy"), {QStringLiteral(" Dev | Tools ")});

    store->rebuildData(DataStorageRebuildReason::datastorageInitialize);

    const auto secret = tag(QStringLiteral("Secret"));
    ASSERT_TRUE(secret);
    EXPECT_EQ(secret->tagSymbol(), QStringLiteral("icon_tags"));
    EXPECT_TRUE(secret->tagUsed());
    EXPECT_FALSE(secret->tagVisible());
    EXPECT_EQ(secret->tagUseCounter(), 0);

    const auto team = tag(QStringLiteral("Team"));
    ASSERT_TRUE(team);
    EXPECT_TRUE(team->tagVisible());
    EXPECT_EQ(team->tagUseCounter(), 3);

    const auto dev = tag(QStringLiteral("Dev|Tools"));
    ASSERT_TRUE(dev);
    EXPECT_TRUE(dev->tagVisible());
    EXPECT_EQ(dev->tagUseCounter(), 1);
    EXPECT_EQ(store->allData()->at(4).value()->tags(), QStringList{QStringLiteral("Dev|Tools")}) << "stored normalised";
    EXPECT_EQ(tags().allAvailableTags()->count(), 3);
    // The main view's tag filter finds what the tag counted.
    store->filterCurrentData().filterByTag(QStringLiteral("Dev|Tools"));
    EXPECT_EQ(currentNames(), QStringList{QStringLiteral("sloppy")});

    // A tag no entry carries any more keeps its record but is unused.
    hidden->setTags({});
    store->rebuildData(DataStorageRebuildReason::tableViewPopup);
    EXPECT_FALSE(secret->tagUsed());
    EXPECT_EQ(tags().allAvailableTags()->count(), 3);
}

TEST_F(RebuildTest, ATagRecordStoredUnnormalisedKeepsItsSettings)
{
    auto sloppy = iconTag::create(QStringLiteral("Dev"), QStringLiteral("icon_code"));
    sloppy->setTagName(QStringLiteral(" Dev | Tools "));
    sloppy->setColor(platform::Color{1, 0, 0, 1});
    // A second unnormalised record of the same tag: merged into the first.
    auto twin = iconTag::create(QStringLiteral("Dev"), QStringLiteral("icon_tags"));
    twin->setTagName(QStringLiteral("Dev |Tools"));
    twin->setHotkey(KeyCombo::withCarbonModifiers(Key::d, KeyCombo::commandKey));
    tags().allAvailableTags()->append(sloppy);
    tags().allAvailableTags()->append(twin);
    addURL(QStringLiteral("tool"), {QStringLiteral(" Dev | Tools ")});

    store->rebuildData(DataStorageRebuildReason::datastorageInitialize);

    EXPECT_EQ(tags().allAvailableTags()->snapshot(), QList<iconTagPtr>{sloppy});
    EXPECT_EQ(sloppy->tagName(), QStringLiteral("Dev|Tools"));
    EXPECT_EQ(sloppy->tagSymbol(), QStringLiteral("icon_code"));
    EXPECT_EQ(sloppy->color(), (platform::Color{1, 0, 0, 1}));
    EXPECT_EQ(sloppy->hotkey(), KeyCombo::withCarbonModifiers(Key::d, KeyCombo::commandKey));
    EXPECT_FALSE(twin->hotkey()) << "released by the record that left";
    EXPECT_TRUE(sloppy->tagVisible());
    EXPECT_EQ(sloppy->tagUseCounter(), 1);
}

TEST_F(RebuildTest, VisibilityAnnouncementsOfATag)
{
    addURL(QStringLiteral("one"), {QStringLiteral("Team")});
    addURL(QStringLiteral("two"), {QStringLiteral("Team")});
    int visibilityChanges = 0;
    auto token = platform::NotificationCenter::defaultCenter().addObserver(
        QStringLiteral("iconTagChanged"), [&](const platform::Notification& n) {
            const auto* object = std::any_cast<IconTagChangedNotifyObject>(&n.object);
            if (object && object->tagName == QStringLiteral("Team") && object->reason == IconTagChangeReason::visibilityChanged)
                ++visibilityChanges;
        });

    store->rebuildData(DataStorageRebuildReason::datastorageInitialize);
    EXPECT_EQ(visibilityChanges, 1) << "invisible before: shown once";

    visibilityChanges = 0;
    store->rebuildData(DataStorageRebuildReason::datastorageInitialize);
    EXPECT_EQ(visibilityChanges, 2) << "visible before: hidden in the reset and shown again";
}

TEST_F(RebuildTest, AVanishedDiscoveredApplicationIsTrashedUnlessItCarriesUserData)
{
    addURL(QStringLiteral("anchor"));
    auto bare = addMissingApplication(QStringLiteral("Gone"), ListviewItemSource::spotlight);
    auto discovered = addMissingApplication(QStringLiteral("Tagged"), ListviewItemSource::spotlight);
    discovered->setHotkey(KeyCombo::withCarbonModifiers(Key::g, KeyCombo::commandKey));
    discovered->setTags({QStringLiteral("Apps")});
    auto favourite = addMissingApplication(QStringLiteral("Liked"), ListviewItemSource::spotlight);
    favourite->setIsFavorite(true);
    auto userAdded = addMissingApplication(QStringLiteral("Mine"), ListviewItemSource::other);
    userAdded->setTags({QStringLiteral("Own")});

    store->rebuildData(DataStorageRebuildReason::datastorageInitialize);

    ASSERT_TRUE(test::waitUntil([&] { return store->allData()->count() == 4; }));
    EXPECT_FALSE(store->allData()->contains(bare));
    EXPECT_EQ(store->trashData(), QList<TableViewItemPtr>{bare});
    for (const auto& kept : {discovered, favourite, userAdded}) {
        EXPECT_TRUE(store->allData()->contains(kept)) << kept->name().toStdString();
        EXPECT_TRUE(kept->shouldSavedToConfig()) << kept->name().toStdString();
        EXPECT_FALSE(store->currentData()->contains(kept)) << "unreachable entries are not shown";
    }
    EXPECT_TRUE(discovered->hotkey().has_value());
    for (const QString& name : {QStringLiteral("Apps"), QStringLiteral("Own")}) {
        const auto kept = tag(name);
        ASSERT_TRUE(kept) << name.toStdString();
        EXPECT_TRUE(kept->tagUsed());
        EXPECT_FALSE(kept->tagVisible());
    }
}

TEST_F(RebuildTest, DiscoveryMergesRebuildFirstAtOnceThenAfterTheLastOfABurst)
{
    addURL(QStringLiteral("alpha"));
    store->setRebuildDataTimerInterval(150ms);
    int rebuilds = 0;
    auto token = platform::NotificationCenter::defaultCenter().addObserver(
        QStringLiteral("dataStorageRebuildIsFinished"), [&](const platform::Notification&) { ++rebuilds; });

    store->databaseUpdateFinished();
    EXPECT_EQ(rebuilds, 1);
    EXPECT_FALSE(store->firstDataCollection());

    store->databaseUpdateFinished();
    EXPECT_EQ(rebuilds, 1) << "later merges never rebuild at once";
    test::spinEventLoop(75ms);
    store->databaseUpdateFinished();
    test::spinEventLoop(100ms);
    EXPECT_EQ(rebuilds, 1) << "the second merge pushed the rebuild back";
    EXPECT_TRUE(test::waitUntil([&] { return rebuilds == 2; }));
    test::spinEventLoop(250ms);
    EXPECT_EQ(rebuilds, 2);
    EXPECT_TRUE(log.messages().contains(QStringLiteral("-> RebuildData - Request initiated: Spotlight Database updated")));
}

TEST_F(RebuildTest, FirstRunPresetsOnlyWithoutTagsOnAFirstLaunch)
{
    ASSERT_FALSE(config().launchedBefore()) << "the test home is fresh";
    int presets = 0;
    store->setFirstRunPresets([&] { ++presets; });

    store->databaseUpdateFinished(); // empty store: no rebuild, no tags
    EXPECT_EQ(presets, 1);

    tags().allAvailableTags()->append(iconTag::create(QStringLiteral("Work"), QStringLiteral("icon_tags")));
    store->databaseUpdateFinished();
    EXPECT_EQ(presets, 1);
}

namespace {

class RecordingProxy : public DataProxy {
public:
    RecordingProxy(QString name, QStringList& calls) : name_(std::move(name)), calls_(calls) {}
    bool initialized() const override { return initialized_; }
    void initialize() override
    {
        initialized_ = true;
        calls_.append(name_ + QStringLiteral(".initialize"));
    }
    bool enabled() const override { return enabled_; }
    void setEnabled(bool enabled) override
    {
        enabled_ = enabled;
        calls_.append(name_ + (enabled ? QStringLiteral(".on") : QStringLiteral(".off")));
    }

private:
    QString name_;
    QStringList& calls_;
    bool initialized_ = false;
    bool enabled_ = false;
};

} // namespace

TEST_F(RebuildTest, ProxySwitchInitialisesOnceAndPassesTheValueOnInOrder)
{
    QStringList calls;
    store->setProxySpotlightQueryFSAllApps(std::make_shared<RecordingProxy>(QStringLiteral("discovery"), calls));
    store->setProxyLastUsedApps(std::make_shared<RecordingProxy>(QStringLiteral("recent"), calls));
    EXPECT_FALSE(store->proxyTags().initialized());

    store->setEnableDataProxies(true);
    EXPECT_EQ(calls, (QStringList{QStringLiteral("discovery.initialize"), QStringLiteral("recent.initialize"),
                                  QStringLiteral("discovery.on"), QStringLiteral("recent.on")}));
    EXPECT_TRUE(store->proxyTags().initialized());
    EXPECT_TRUE(store->proxyTags().enabled());

    calls.clear();
    store->setEnableDataProxies(true);
    store->setEnableDataProxies(false);
    EXPECT_EQ(calls, (QStringList{QStringLiteral("discovery.on"), QStringLiteral("recent.on"),
                                  QStringLiteral("discovery.off"), QStringLiteral("recent.off")}));
    EXPECT_FALSE(store->proxyTags().enabled());
    EXPECT_EQ(log.messages().count(QStringLiteral("Proxy: Tags enabled: true")), 1) << "only a change is logged";
}
