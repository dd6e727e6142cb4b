// The main view from the keyboard: quick launch, arrows, Return, Escape,
// Ctrl+F and type-to-select, with the focus states they move between.
#include "MainViewTestSupport.h"

#include <QStandardItemModel>

namespace vantel::test {

namespace {

class MainViewKeyboardTest : public MainViewTest {
protected:
    void SetUp() override
    {
        MainViewTest::SetUp();
        fillCatalogue();
        open();
        sidebar().setPopupMenu(&sidebarPopover);
    }

    void focusList()
    {
        list().setFocus();
        ASSERT_TRUE(list().hasFocus());
    }

    // Ctrl goes down (as the monitor sees it), the digit, Ctrl goes up.
    void ctrlDigit(Qt::Key digit, Qt::KeyboardModifiers extra = Qt::NoModifier)
    {
        if (extra.testFlag(Qt::ShiftModifier))
            holdModifier(Qt::Key_Shift);
        if (extra.testFlag(Qt::AltModifier))
            holdModifier(Qt::Key_Alt, extra & Qt::ShiftModifier);
        holdModifier(Qt::Key_Control, extra);
        // What X11 types for Ctrl and a digit: a control character or none.
        key(digit, Qt::ControlModifier | extra, digit == Qt::Key_5 ? QStringLiteral("\x1d") : QString());
        releaseModifier(Qt::Key_Control, Qt::ControlModifier | extra);
        if (extra.testFlag(Qt::AltModifier))
            releaseModifier(Qt::Key_Alt, extra);
        if (extra.testFlag(Qt::ShiftModifier))
            releaseModifier(Qt::Key_Shift, Qt::ShiftModifier);
    }
};

TEST_F(MainViewKeyboardTest, CtrlDigitRunsOneOfTheFirstNineEntriesWithoutHeldFiles)
{
    controller->setServiceManagerValues({QStringLiteral("/tmp/held.txt")});
    const QString second = list().tableModel().entryAt(1)->name();
    ctrlDigit(Qt::Key_2);
    ASSERT_EQ(ranNames(), QStringList{second});
    EXPECT_FALSE(services->opened.first().files.has_value());
}

TEST_F(MainViewKeyboardTest, QuickLaunchBoundsAndWhatIsNoQuickLaunch)
{
    // Three entries in the list.
    ASSERT_TRUE(sidebar().selectItemWithTagName(QStringLiteral("Graphics")));
    ASSERT_EQ(list().tableModel().rowCount(), 3);
    focusList();
    // Index == count: nothing runs, the key is taken (the focus stays).
    ctrlDigit(Qt::Key_4);
    EXPECT_TRUE(ranNames().isEmpty());
    EXPECT_TRUE(list().hasFocus());
    // Beyond: no quick launch; the digit begins a search, and the field,
    // as for any Ctrl key, types nothing.
    ctrlDigit(Qt::Key_5);
    EXPECT_TRUE(ranNames().isEmpty());
    EXPECT_TRUE(search().hasFocus());
    EXPECT_TRUE(search().text().isEmpty());

    focusList();
    ctrlDigit(Qt::Key_0);
    ctrlDigit(Qt::Key_1, Qt::ShiftModifier);
    ctrlDigit(Qt::Key_1, Qt::AltModifier);
    EXPECT_TRUE(ranNames().isEmpty());
    hotkeysPaused = true;
    ctrlDigit(Qt::Key_1);
    EXPECT_TRUE(ranNames().isEmpty());
    hotkeysPaused = false;
    ctrlDigit(Qt::Key_1);
    EXPECT_EQ(ranNames().size(), 1);
}

TEST_F(MainViewKeyboardTest, CtrlOneOnAnEmptyListTakesTheKeyAndRunsNothing)
{
    QTest::keyClicks(&search(), QStringLiteral("no such entry"));
    ASSERT_EQ(list().tableModel().rowCount(), 0);
    ctrlDigit(Qt::Key_1);
    EXPECT_TRUE(ranNames().isEmpty());
}

TEST_F(MainViewKeyboardTest, EscapeClosesPopoverThenClearsTheSearchThenTheView)
{
    QTest::keyClicks(&search(), QStringLiteral("ter"));
    focusList();
    list().selectRow(0);
    entryPopover.shown = true;
    key(Qt::Key_Escape);
    EXPECT_FALSE(entryPopover.shown);
    EXPECT_EQ(search().text(), QStringLiteral("ter"));
    sidebarPopover.shown = true;
    key(Qt::Key_Escape);
    EXPECT_FALSE(sidebarPopover.shown);
    EXPECT_EQ(closeRequests, 0);

    list().selectRow(1);
    key(Qt::Key_Escape);
    EXPECT_TRUE(search().text().isEmpty());
    EXPECT_EQ(shownNames().size(), 8);
    EXPECT_EQ(list().selectedRow(), 0);
    EXPECT_EQ(closeRequests, 0);

    key(Qt::Key_Escape);
    EXPECT_EQ(closeRequests, 1);
    EXPECT_EQ(controller->currentState(), defaultVantelMainViewControllerState::viewWillDisappear);
}

TEST_F(MainViewKeyboardTest, EscapeInTheSearchFieldClearsWithoutSelectingThenCloses)
{
    QTest::keyClicks(&search(), QStringLiteral("ter"));
    list().selectionModel()->clearSelection();
    key(Qt::Key_Escape);
    EXPECT_TRUE(search().text().isEmpty());
    EXPECT_EQ(closeRequests, 0);
    key(Qt::Key_Escape);
    EXPECT_EQ(closeRequests, 1);
}

TEST_F(MainViewKeyboardTest, UpAndDownMoveBetweenSearchAndList)
{
    ASSERT_EQ(list().selectedRow(), 0);
    // A search result that selected row 0: Down goes to row 1.
    key(Qt::Key_Down);
    EXPECT_TRUE(list().hasFocus());
    EXPECT_EQ(focusedControl(), FocusedControl::mainTableView);
    EXPECT_EQ(list().selectedRow(), 1);
    key(Qt::Key_Up);
    EXPECT_EQ(list().selectedRow(), 0);
    EXPECT_TRUE(list().hasFocus());
    key(Qt::Key_Up);
    EXPECT_TRUE(search().hasFocus());
    EXPECT_EQ(focusedControl(), FocusedControl::searchField);
    EXPECT_TRUE(logged(QStringLiteral("setFocus to searchField")));
    key(Qt::Key_Up);
    EXPECT_TRUE(list().hasFocus());
    EXPECT_EQ(list().selectedRow(), 0);
}

TEST_F(MainViewKeyboardTest, LeftAndRightMoveBetweenListAndSidebar)
{
    ASSERT_TRUE(sidebar().selectItemWithTagName(QStringLiteral("Graphics")));
    focusList();
    list().selectRow(2);
    key(Qt::Key_Left);
    EXPECT_TRUE(sidebar().hasFocus());
    EXPECT_EQ(focusedControl(), FocusedControl::sectionView);
    EXPECT_TRUE(logged(QStringLiteral("setFocus to sectionView")));
    key(Qt::Key_Right);
    EXPECT_TRUE(list().hasFocus());
    EXPECT_EQ(focusedControl(), FocusedControl::mainTableView);

    // From an empty search field too; with text the caret moves instead.
    search().setFocus();
    key(Qt::Key_Left);
    EXPECT_TRUE(sidebar().hasFocus());
    search().setFocus();
    QTest::keyClicks(&search(), QStringLiteral("ab"));
    key(Qt::Key_Left);
    EXPECT_TRUE(search().hasFocus());
    EXPECT_EQ(search().cursorPosition(), 1);
}

TEST_F(MainViewKeyboardTest, LeftDoesNothingWhenBothSidebarSectionsAreCollapsed)
{
    sidebar().setHeaderExpanded(SourceListItemContentType::headerCategories, false);
    sidebar().setHeaderExpanded(SourceListItemContentType::headerTags, false);
    focusList();
    key(Qt::Key_Left);
    EXPECT_TRUE(list().hasFocus());
    search().setFocus();
    key(Qt::Key_Left);
    EXPECT_TRUE(search().hasFocus());
    controller->setFocus(FocusedControl::sectionView);
    EXPECT_FALSE(sidebar().hasFocus());
}

TEST_F(MainViewKeyboardTest, CtrlFFocusesTheSearchButCtrlShiftFIsNoCtrlF)
{
    const auto event = [](Qt::KeyboardModifiers modifiers) {
        return QKeyEvent(QEvent::KeyPress, Qt::Key_F, modifiers, QStringLiteral("\x06"));
    };
    EXPECT_TRUE(isCommandF(event(Qt::ControlModifier)));
    EXPECT_TRUE(isCommandF(event(Qt::ControlModifier | Qt::KeypadModifier)));
    EXPECT_FALSE(isCommandF(event(Qt::ControlModifier | Qt::ShiftModifier)));
    EXPECT_FALSE(isCommandF(event(Qt::ControlModifier | Qt::AltModifier)));
    // X11 types Ctrl+F as a control character; it still reads as "f".
    EXPECT_EQ(typedCharacters(event(Qt::ControlModifier)), QStringLiteral("f"));

    focusList();
    key(Qt::Key_F, Qt::ControlModifier, QStringLiteral("\x06"));
    EXPECT_TRUE(search().hasFocus());
    EXPECT_TRUE(search().text().isEmpty());
    sidebar().setFocus();
    key(Qt::Key_F, Qt::ControlModifier, QStringLiteral("f"));
    EXPECT_TRUE(search().hasFocus());
}

TEST_F(MainViewKeyboardTest, ReturnRunsTheSelectedEntryWithTheHeldFiles)
{
    controller->setServiceManagerValues({QStringLiteral("/tmp/held.txt")});
    focusList();
    list().selectRow(3);
    const QString fourth = selectedName();
    key(Qt::Key_Return);
    ASSERT_EQ(ranNames(), QStringList{fourth});
    EXPECT_EQ(*services->opened.first().files, QVariantList{QStringLiteral("/tmp/held.txt")});

    // From the search field: the selected row is drawn focused there.
    services->opened.clear();
    search().setFocus();
    QTest::keyClicks(&search(), QStringLiteral("calc"));
    key(Qt::Key_Enter);
    EXPECT_EQ(ranNames(), QStringList{QStringLiteral("Calculator")});

    // Nothing selected: Return ends the editing into the list instead.
    services->opened.clear();
    search().setFocus();
    list().selectionModel()->clearSelection();
    key(Qt::Key_Return);
    EXPECT_TRUE(ranNames().isEmpty());
    EXPECT_TRUE(list().hasFocus());
}

TEST_F(MainViewKeyboardTest, TypingOverTheListOrSidebarBeginsASearch)
{
    focusList();
    key(Qt::Key_G, Qt::NoModifier, QStringLiteral("g"));
    EXPECT_TRUE(search().hasFocus());
    EXPECT_EQ(search().text(), QStringLiteral("g"));
    EXPECT_EQ(focusedControl(), FocusedControl::searchField);

    // An upper-case A-umlaut is lower-cased first.
    sidebar().setFocus();
    key(Qt::Key_Adiaeresis, Qt::ShiftModifier, QStringLiteral("\u00c4"));
    EXPECT_TRUE(search().hasFocus());
    EXPECT_EQ(search().text(), QStringLiteral("\u00c4"));

    // An e with acute accent, a question mark, a key without text: nothing.
    for (const auto& [k, text] : {std::pair{Qt::Key_Eacute, QStringLiteral("\u00e9")},
                                  std::pair{Qt::Key_Question, QStringLiteral("?")},
                                  std::pair{Qt::Key_F5, QString()}}) {
        focusList();
        key(k, Qt::NoModifier, text);
        EXPECT_TRUE(list().hasFocus()) << text.toStdString();
    }
    EXPECT_EQ(search().text(), QStringLiteral("\u00c4"));
}

TEST_F(MainViewKeyboardTest, NoKeyIsTakenWhileTheViewIsHidden)
{
    close();
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QWidget other;
    other.show();
    QCoreApplication::sendEvent(&other, &escape);
    EXPECT_EQ(closeRequests, 0);
    EXPECT_FALSE(controller->eventMonitorsInstalled());
}

TEST(TableRowSteps, NextAndPreviousRowKeepToTheListsEnds)
{
    QStandardItemModel model;
    QListView view;
    view.setModel(&model);
    selectNextRow(view);
    selectPreviousRow(view);
    EXPECT_FALSE(view.selectionModel()->hasSelection());

    for (int i = 0; i < 3; ++i)
        model.appendRow(new QStandardItem(QString::number(i)));
    const auto selected = [&] { return view.selectionModel()->selectedRows().value(0).row(); };
    selectPreviousRow(view);
    EXPECT_EQ(selected(), 0);
    selectPreviousRow(view);
    EXPECT_EQ(selected(), 0);
    view.selectionModel()->clearSelection();
    selectNextRow(view);
    EXPECT_EQ(selected(), 0);
    selectNextRow(view);
    selectNextRow(view);
    EXPECT_EQ(selected(), 2);
    selectNextRow(view);
    EXPECT_EQ(selected(), 2);
    selectPreviousRow(view);
    EXPECT_EQ(selected(), 1);
}

} // namespace

} // namespace vantel::test
