#include "DatastoreTestSupport.h"

#include "hotkeys/KeyCombo.h"
#include "model/IconTagChangedNotifyObject.h"

using namespace vantel;

class TagEditingTest : public test::DatastoreTest {
protected:
    iconTagPtr addTag(const QString& name)
    {
        auto t = iconTag::create(name, QStringLiteral("icon_tags"));
        tags().allAvailableTags()->append(t);
        return t;
    }
    QStringList tagNames() const
    {
        QStringList result;
        for (const auto& t : store->tagManager().allAvailableTags()->snapshot())
            result.append(t->tagName());
        return result;
    }
};

TEST_F(TagEditingTest, RenameMovesSubTagsAndEveryEntry)
{
    addTag(QStringLiteral("Office"));
    addTag(QStringLiteral("Office|Tools"));
    addTag(QStringLiteral("Officer"));
    auto a = addURL(QStringLiteral("a"), {QStringLiteral("Office")});
    auto b = addURL(QStringLiteral("b"), {QStringLiteral("Office|Tools"), QStringLiteral("Officer")});
    dialogs->queueAlertResponse(0);

    EXPECT_TRUE(tags().renameTag(QStringLiteral("Office"), QStringLiteral(" Work ")));

    ASSERT_EQ(dialogs->alerts().size(), 1);
    const auto alert = dialogs->alerts().first();
    EXPECT_EQ(alert.messageText, QStringLiteral("Should the selected entry be renamed?"));
    EXPECT_EQ(alert.informativeText, QStringLiteral("Current name:\n'Office'\n\nNew name:\n'Work'"));
    EXPECT_EQ(alert.buttons, (QStringList{QStringLiteral("OK"), QStringLiteral("Cancel")}));
    EXPECT_TRUE(alert.showsSuppressionButton);

    EXPECT_EQ(tagNames(), (QStringList{QStringLiteral("Work"), QStringLiteral("Work|Tools"), QStringLiteral("Officer")}));
    EXPECT_EQ(a->tags(), QStringList{QStringLiteral("Work")});
    EXPECT_EQ(b->tags(), (QStringList{QStringLiteral("Work|Tools"), QStringLiteral("Officer")}));
    EXPECT_TRUE(log.messages().contains(QStringLiteral("-> RebuildData - Request initiated: Tag renamed")));
    EXPECT_TRUE(posted.contains(QStringLiteral("dataStorageRebuildIsFinished")));
}

TEST_F(TagEditingTest, RenameToTheSameNameAsksNothing)
{
    addTag(QStringLiteral("Office"));
    EXPECT_FALSE(tags().renameTag(QStringLiteral("Office"), QStringLiteral("  Office ")));
    EXPECT_FALSE(tags().renameTag(QString(), QStringLiteral("Work")));
    EXPECT_FALSE(tags().renameTag(QStringLiteral("Office"), QStringLiteral(" | ")));
    EXPECT_TRUE(dialogs->alerts().isEmpty());
}

TEST_F(TagEditingTest, SuppressionIsStoredWhicheverButtonEndedTheAlert)
{
    addTag(QStringLiteral("Office"));
    auto entry = addURL(QStringLiteral("a"), {QStringLiteral("Office")});
    dialogs->queueAlertResponse(1, true); // Cancel, box ticked

    EXPECT_FALSE(tags().renameTag(QStringLiteral("Office"), QStringLiteral("Work")));
    EXPECT_EQ(tagNames(), QStringList{QStringLiteral("Office")});
    EXPECT_EQ(entry->tags(), QStringList{QStringLiteral("Office")});
    EXPECT_TRUE(config().neverRemindMeRenameTagDialog());

    EXPECT_TRUE(tags().renameTag(QStringLiteral("Office"), QStringLiteral("Work")));
    EXPECT_EQ(dialogs->alerts().size(), 1) << "not asked again";
    EXPECT_EQ(entry->tags(), QStringList{QStringLiteral("Work")});

    // OK with the box unticked clears the flag again.
    config().setNeverRemindMeRemoveTagDialog(false);
    dialogs->queueAlertResponse(0, false);
    EXPECT_TRUE(tags().confirmDeleteTag(QStringLiteral("Work")));
    EXPECT_FALSE(config().neverRemindMeRemoveTagDialog());
    EXPECT_EQ(dialogs->alerts().last().informativeText, QStringLiteral("The entry 'Work' will be deleted."));
    EXPECT_EQ(dialogs->alerts().last().messageText, QStringLiteral("Should the selected entry be deleted?"));
}

TEST_F(TagEditingTest, RenameOntoAnExistingTagMerges)
{
    addTag(QStringLiteral("Office"));
    addTag(QStringLiteral("Office|Tools"));
    auto work = addTag(QStringLiteral("Work"));
    work->setTagSymbol(QStringLiteral("icon_code"));
    work->setColor(platform::Color{0, 0, 1, 1});
    auto moved = addURL(QStringLiteral("moved"), {QStringLiteral("Office")});
    auto both = addURL(QStringLiteral("both"), {QStringLiteral("Office"), QStringLiteral("Work")});
    auto sub = addURL(QStringLiteral("sub"), {QStringLiteral("Office|Tools")});
    config().setNeverRemindMeRenameTagDialog(true);

    EXPECT_TRUE(tags().renameTag(QStringLiteral("Office"), QStringLiteral("Work")));
    EXPECT_TRUE(log.messages().contains(QStringLiteral("A Tag with the new name already exists!")));
    EXPECT_EQ(moved->tags(), QStringList{QStringLiteral("Work")});
    EXPECT_EQ(both->tags(), (QStringList{QStringLiteral("Office"), QStringLiteral("Work")}));
    EXPECT_EQ(sub->tags(), QStringList{QStringLiteral("Work|Tools")});
    EXPECT_EQ(tag(QStringLiteral("Work")), work);
    EXPECT_EQ(work->tagSymbol(), QStringLiteral("icon_code"));
    ASSERT_TRUE(tag(QStringLiteral("Work|Tools")));
    // The entry that kept the old name gives it a new record at the rebuild.
    const auto office = tag(QStringLiteral("Office"));
    ASSERT_TRUE(office);
    EXPECT_EQ(office->tagSymbol(), QStringLiteral("icon_tags"));
}

TEST_F(TagEditingTest, AMergeJoinsSubTagsThatExistUnderTheNewNameAndReleasesTheOldHotkeys)
{
    const auto combo = [](Key key) { return KeyCombo::withCarbonModifiers(key, KeyCombo::commandKey); };
    auto office = addTag(QStringLiteral("Office"));
    office->setHotkey(combo(Key::o));
    office->setHotkeyLaunchAll(combo(Key::p));
    auto officeTools = addTag(QStringLiteral("Office|Tools"));
    officeTools->setColor(platform::Color{1, 0, 0, 1});
    officeTools->setTagSymbol(QStringLiteral("icon_code"));
    officeTools->setHotkey(combo(Key::t));
    officeTools->setHotkeyLaunchAll(combo(Key::l));
    addTag(QStringLiteral("Work"));
    auto workTools = addTag(QStringLiteral("Work|Tools"));
    workTools->setHotkey(combo(Key::w));
    auto entry = addURL(QStringLiteral("a"), {QStringLiteral("Office|Tools")});
    config().setNeverRemindMeRenameTagDialog(true);
    QStringList released;
    auto token = platform::NotificationCenter::defaultCenter().addObserver(
        QStringLiteral("iconTagChanged"), [&](const platform::Notification& n) {
            const auto* object = std::any_cast<IconTagChangedNotifyObject>(&n.object);
            if (object && object->reason == IconTagChangeReason::hotkeyChanged)
                released.append(object->tagName);
        });

    EXPECT_TRUE(tags().renameTag(QStringLiteral("Office"), QStringLiteral("Work")));

    EXPECT_EQ(tagNames(), (QStringList{QStringLiteral("Work"), QStringLiteral("Work|Tools")}));
    EXPECT_EQ(tag(QStringLiteral("Work|Tools")), workTools);
    EXPECT_EQ(workTools->hotkey(), combo(Key::w)) << "the target's own setting wins";
    EXPECT_EQ(workTools->hotkeyLaunchAll(), combo(Key::l));
    EXPECT_EQ(workTools->color(), (platform::Color{1, 0, 0, 1}));
    EXPECT_EQ(workTools->tagSymbol(), QStringLiteral("icon_code"));
    EXPECT_EQ(entry->tags(), QStringList{QStringLiteral("Work|Tools")});
    for (const auto& gone : {office, officeTools}) {
        EXPECT_FALSE(gone->hotkey());
        EXPECT_FALSE(gone->hotkeyLaunchAll());
    }
    EXPECT_EQ(released.count(QStringLiteral("Office")), 2);
    EXPECT_EQ(released.count(QStringLiteral("Office|Tools")), 2);
}

TEST_F(TagEditingTest, APlainRenameJoinsASubTagThatExistsUnderTheNewName)
{
    addTag(QStringLiteral("Office"));
    addTag(QStringLiteral("Office|Tools"))->setColor(platform::Color{0, 1, 0, 1});
    auto workTools = addTag(QStringLiteral("Work|Tools"));
    config().setNeverRemindMeRenameTagDialog(true);

    EXPECT_TRUE(tags().renameTag(QStringLiteral("Office"), QStringLiteral("Work")));
    EXPECT_EQ(tagNames(), (QStringList{QStringLiteral("Work"), QStringLiteral("Work|Tools")}));
    EXPECT_EQ(tag(QStringLiteral("Work|Tools")), workTools);
    EXPECT_EQ(workTools->color(), (platform::Color{0, 1, 0, 1}));
}

TEST_F(TagEditingTest, MergingIntoATagBelowTheOldOneLeavesTheTargetInPlace)
{
    addTag(QStringLiteral("A"));
    addTag(QStringLiteral("A|B"));
    addTag(QStringLiteral("A|C"));
    auto onA = addURL(QStringLiteral("onA"), {QStringLiteral("A")});
    auto onB = addURL(QStringLiteral("onB"), {QStringLiteral("A|B")});
    auto onC = addURL(QStringLiteral("onC"), {QStringLiteral("A|C")});
    config().setNeverRemindMeRenameTagDialog(true);

    EXPECT_TRUE(tags().renameTag(QStringLiteral("A"), QStringLiteral("A|B")));
    EXPECT_EQ(onA->tags(), QStringList{QStringLiteral("A|B")});
    EXPECT_EQ(onB->tags(), QStringList{QStringLiteral("A|B")});
    EXPECT_EQ(onC->tags(), QStringList{QStringLiteral("A|B|C")});
    EXPECT_FALSE(tag(QStringLiteral("A|B|B")));
}

TEST_F(TagEditingTest, DeleteRemovesOnlyTheExactTag)
{
    auto office = addTag(QStringLiteral("Office"));
    office->setHotkey(KeyCombo::withCarbonModifiers(Key::o, KeyCombo::commandKey));
    office->setHotkeyLaunchAll(KeyCombo::withCarbonModifiers(Key::o, KeyCombo::optionKey));
    addTag(QStringLiteral("Office|Tools"));
    auto entry = addURL(QStringLiteral("a"), {QStringLiteral("Office"), QStringLiteral("Office|Tools")});
    dialogs->queueAlertResponse(0);

    EXPECT_FALSE(tags().deleteTagAtIndex(2)) << "index equal to the count";
    EXPECT_TRUE(dialogs->alerts().isEmpty());
    EXPECT_TRUE(tags().deleteTagAtIndex(0));
    EXPECT_EQ(dialogs->alerts().size(), 1);
    EXPECT_FALSE(office->hotkey());
    EXPECT_FALSE(office->hotkeyLaunchAll());
    EXPECT_EQ(tagNames(), QStringList{QStringLiteral("Office|Tools")});
    EXPECT_EQ(entry->tags(), QStringList{QStringLiteral("Office|Tools")});
    EXPECT_TRUE(log.messages().contains(QStringLiteral("-> RebuildData - Request initiated: Tag deleted")));
}

TEST_F(TagEditingTest, DeletingAnUnknownNameStillCleansTheEntries)
{
    auto entry = addURL(QStringLiteral("a"), {QStringLiteral("Ghost"), QStringLiteral("Kept")});
    posted.clear();
    EXPECT_FALSE(tags().deleteTag(QStringLiteral("Ghost")));
    EXPECT_EQ(entry->tags(), QStringList{QStringLiteral("Kept")});
    EXPECT_TRUE(posted.contains(QStringLiteral("dataStorageRebuildIsFinished")));
    EXPECT_FALSE(tags().deleteTag(QString()));
}

TEST_F(TagEditingTest, ObserversMayReadTheEntriesWhileTagsChange)
{
    addTag(QStringLiteral("Office"));
    for (int i = 0; i < 20; ++i)
        addURL(QStringLiteral("e%1").arg(i), {QStringLiteral("Office")});
    config().setNeverRemindMeRenameTagDialog(true);
    int reads = 0;
    // An observer that reads the list again and writes to it: with the
    // renames inside a read of the list this would wait on itself.
    auto token = platform::NotificationCenter::defaultCenter().addObserver(
        QStringLiteral("tableViewItemChanged"), [&](const platform::Notification&) {
            reads += int(store->allData()->count() > 0);
            store->allData()->append(TableViewItem::initForURL(QString(), QString(), QString()));
            (void)store->allData()->count();
        });
    EXPECT_TRUE(tags().renameTag(QStringLiteral("Office"), QStringLiteral("Work")));
    EXPECT_GE(reads, 20);
    EXPECT_TRUE(tags().deleteTag(QStringLiteral("Work")));
    EXPECT_GE(reads, 40);
}
