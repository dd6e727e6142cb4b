// What a row of the entry list shows, in both layouts, by entry, settings,
// held modifier keys, selection and search text.
#include "EntryListTestSupport.h"

#include "hotkeys/KeyCombo.h"
#include "mainwindow/TableViewCellMainWindow.h"

namespace vantel::test {

namespace {

using Contents = TableViewCellContents;

class TableViewCellTest : public EntryListTest {
protected:
    Contents contents(const TableViewItemPtr& entry, int row = 0,
                      CellSelection selection = CellSelection::notSelected) const
    {
        return view->cell().contentsFor(entry, row, selection);
    }
};

TEST_F(TableViewCellTest, ATagEntryShowsItsActionAndTheBadgeExactlyWhenAClickOpensAll)
{
    const auto office = addTagEntry(QStringLiteral("Office"));

    Contents shown = contents(office);
    EXPECT_TRUE(shown.isTag);
    EXPECT_FALSE(shown.showsBadge);
    EXPECT_EQ(shown.secondLine, Contents::SecondLine::tagAction);
    EXPECT_EQ(shown.secondLineText, QStringLiteral("Switch to Tag [Office]"));

    // Alt turns the setting round while it is held.
    view->cell().setModifierKeys(false, true, false, false);
    shown = contents(office);
    EXPECT_TRUE(shown.showsBadge);
    EXPECT_EQ(shown.secondLineText, QStringLiteral("Launch all entries with Tag [Office]"));

    config().setSelectingTagsInMainWindowLaunchAll(true);
    EXPECT_FALSE(contents(office).showsBadge);
    view->cell().setModifierKeys(false, false, false, false);
    shown = contents(office);
    EXPECT_TRUE(shown.showsBadge);
    EXPECT_EQ(shown.secondLineText, QStringLiteral("Launch all entries with Tag [Office]"));
    EXPECT_TRUE(shown.tags.isEmpty());
}

TEST_F(TableViewCellTest, CtrlAloneShowsTheQuickLaunchNumbersOfTheFirstNineRows)
{
    const auto gimp = addApplication(QStringLiteral("Gimp"));
    const auto combo = KeyCombo::withCarbonModifiers(Key::g, KeyCombo::commandKey | KeyCombo::shiftKey);
    ASSERT_TRUE(combo);
    gimp->setHotkey(combo);
    const auto anki = addApplication(QStringLiteral("Anki"));

    EXPECT_EQ(contents(gimp, 0).hotkeyTitle, Contents::HotkeyTitle::hotkey);
    EXPECT_EQ(contents(gimp, 0).hotkeyText, combo->displayString());
    EXPECT_EQ(contents(anki, 0).hotkeyTitle, Contents::HotkeyTitle::hidden);

    // Command is Ctrl.
    view->cell().setModifierKeys(false, false, true, false);
    for (int row = 0; row <= 8; ++row) {
        const Contents shown = contents(anki, row);
        EXPECT_EQ(shown.hotkeyTitle, Contents::HotkeyTitle::quickLaunchNumber);
        EXPECT_EQ(shown.hotkeyText, QString::number(row + 1));
    }
    EXPECT_EQ(contents(gimp, 9).hotkeyTitle, Contents::HotkeyTitle::hotkey);
    EXPECT_EQ(contents(anki, 9).hotkeyTitle, Contents::HotkeyTitle::hidden);

    // With Shift (or Alt, or Super) too the hotkeys are back.
    view->cell().setModifierKeys(false, false, true, true);
    EXPECT_EQ(contents(gimp, 0).hotkeyTitle, Contents::HotkeyTitle::hotkey);
    view->cell().setModifierKeys(true, false, true, false);
    EXPECT_EQ(contents(anki, 3).hotkeyTitle, Contents::HotkeyTitle::hidden);
}

TEST_F(TableViewCellTest, TheFocusedSelectionShowsTheReturnHintInsteadOfTheHotkey)
{
    const auto gimp = addApplication(QStringLiteral("Gimp"));
    gimp->setHotkey(KeyCombo::withCarbonModifiers(Key::g, KeyCombo::commandKey));
    config().setHotkeyBorder(true);

    const Contents focused = contents(gimp, 0, CellSelection::selectedAndFocused);
    EXPECT_EQ(focused.hotkeyTitle, Contents::HotkeyTitle::returnHint);
    EXPECT_EQ(focused.hotkeyText, QStringLiteral("\u21A9\uFE0E"));
    EXPECT_FALSE(focused.hotkeyBordered);
    // Even over the quick-launch number.
    view->cell().setModifierKeys(false, false, true, false);
    EXPECT_EQ(contents(gimp, 0, CellSelection::selectedAndFocused).hotkeyTitle, Contents::HotkeyTitle::returnHint);
    view->cell().setModifierKeys(false, false, false, false);

    const Contents unfocused = contents(gimp, 0, CellSelection::selectedWithoutFocus);
    EXPECT_EQ(unfocused.hotkeyTitle, Contents::HotkeyTitle::hotkey);
    EXPECT_TRUE(unfocused.hotkeyBordered);
}

TEST_F(TableViewCellTest, TheSearchTextIsUnderlinedAtItsFirstOccurrenceOnly)
{
    using Cell = TableViewCellMainWindow;
    EXPECT_EQ(Cell::mark(QStringLiteral("Terminal Terminal"), QStringLiteral("term")), (TextMark{0, 4}));
    EXPECT_EQ(Cell::mark(QStringLiteral("Gimp"), QStringLiteral("office")), std::nullopt);
    EXPECT_EQ(Cell::mark(QStringLiteral("Gimp"), QString()), std::nullopt);
    // Lower-casing "İ" gives two characters: the mark stays on the text's own.
    EXPECT_EQ(Cell::mark(QStringLiteral("İstanbul Airport"), QStringLiteral("airport")), (TextMark{9, 7}));

    const auto gimp = addApplication(QStringLiteral("Gimp Gimp"));
    gimp->setTags({QStringLiteral("Graphics")});
    gimp->setComment(QStringLiteral("Edits images with gimp"));
    store->filterCurrentData().searchStringFromSearchField = QStringLiteral("GIMP");
    Contents shown = contents(gimp);
    EXPECT_EQ(shown.nameMark, (TextMark{0, 4}));
    EXPECT_EQ(shown.secondLineMark, (TextMark{18, 4}));
    // A match in the tags alone leaves the name unmarked.
    store->filterCurrentData().searchStringFromSearchField = QStringLiteral("graph");
    shown = contents(gimp);
    EXPECT_EQ(shown.nameMark, std::nullopt);
    EXPECT_EQ(shown.tags, QStringList{"Graphics"});
}

TEST_F(TableViewCellTest, TheSecondLineIsTheCommentThenThePathByTheSetting)
{
    const auto gimp = addApplication(QStringLiteral("Gimp"), QStringLiteral("/apps/gimp.desktop"));
    Contents shown = contents(gimp);
    EXPECT_EQ(shown.secondLine, Contents::SecondLine::path);
    EXPECT_EQ(shown.secondLineText, QStringLiteral("/apps/gimp.desktop"));

    config().setShowPathInMainView(false);
    EXPECT_EQ(contents(gimp).secondLine, Contents::SecondLine::hidden);

    gimp->setComment(QStringLiteral("Image editor"));
    config().setShowPathInMainView(true);
    shown = contents(gimp);
    EXPECT_EQ(shown.secondLine, Contents::SecondLine::comment);
    EXPECT_EQ(shown.secondLineText, QStringLiteral("Image editor"));
}

TEST_F(TableViewCellTest, ARunningApplicationShowsItsMarkerTintedWhenSelected)
{
    const auto gimp = addApplication(QStringLiteral("Gimp"), QStringLiteral("/apps/gimp.desktop"));
    EXPECT_FALSE(contents(gimp).isRunning);
    services->running.insert(QStringLiteral("/apps/gimp.desktop"));
    EXPECT_TRUE(contents(gimp).isRunning);
    EXPECT_FALSE(contents(gimp).runningMarkerTinted);
    EXPECT_TRUE(contents(gimp, 0, CellSelection::selectedWithoutFocus).runningMarkerTinted);
}

} // namespace

} // namespace vantel::test
