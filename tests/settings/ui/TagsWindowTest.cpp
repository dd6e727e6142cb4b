#include "ConfigWindowTestSupport.h"

#include "datastore/TagManager.h"
#include "hotkeys/HotKey.h"
#include "hotkeys/ui/RecordView.h"
#include "model/iconTag.h"
#include "popups/CustomTextFieldForEditingTags.h"
#include "popups/TagTableView.h"
#include "popups/TagTableViewPopupViewController.h"
#include "graphics/widgets/DrawnColorCircle.h"
#include "platform/ui/PopoverHost.h"
#include "settings/ui/ConfigTagsTableModel.h"
#include "settings/ui/ConfigViewControllerTags.h"
#include "settings/ui/ConfigWindowControllerTags.h"
#include "settings/ui/TableViewCellConfigEditTags.h"
#include "settings/ui/TableViewCellConfigEditTagsHotkeyView.h"
#include "support/TestSupport.h"

#include <QEventLoop>
#include <QKeyEvent>
#include <QPointer>
#include <QTimer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

namespace vantel {
namespace {

using settingsui::ConfigTagsTableModel;

class TagsWindowTest : public test::ConfigWindowFixture {
protected:
    void SetUp() override
    {
        ConfigWindowFixture::SetUp();
        for (const char* name : {"Games", "Office", "Office|Writing"}) {
            auto tag = iconTag::create(QString::fromLatin1(name), store->tagManager().defaultTag);
            tag->setColor(platform::Color::fromQColor(QColor(200, 40, 40)));
            store->tagManager().allAvailableTags()->append(tag);
        }
        auto entry = TableViewItem::initForURL(QStringLiteral("https://doc.example"), QStringLiteral("Doc"), QString(),
                                               ListviewItemSource::other);
        entry->setTags({QStringLiteral("Office|Writing")});
        store->allData()->append(entry);
        window = std::make_unique<settingsui::ConfigWindowControllerTags>(services);
    }
    void TearDown() override
    {
        if (window->isWindowOpen())
            window->close();
        window.reset();
        ConfigWindowFixture::TearDown();
    }
    settingsui::ConfigViewControllerTags& tags()
    {
        return *dynamic_cast<settingsui::ConfigViewControllerTags*>(window->contentViewController().get());
    }
    QStringList names() const
    {
        QStringList list;
        for (const iconTagPtr& tag : store->tagManager().allAvailableTags()->snapshot())
            list << tag->tagName();
        return list;
    }
    void open()
    {
        window->showWindow(false);
        QApplication::setActiveWindow(window->window());
        EXPECT_TRUE(QTest::qWaitForWindowActive(window->window()));
    }

    std::unique_ptr<settingsui::ConfigWindowControllerTags> window;
};

TEST_F(TagsWindowTest, ListsEveryTagAndPausesHotkeysWhileShown)
{
    open();
    EXPECT_EQ(window->window()->windowTitle(), QStringLiteral("Configuration \u2014 Modify Tags"));
    ASSERT_EQ(tags().model()->rowCount(), 3);
    EXPECT_EQ(tags().tagTableView()->rowHeight(0), 30);
    EXPECT_TRUE(manager->hotkeysPaused());
    const int rebuilds = rebuildCount;
    const QImage image = screenshot(*window->window(), QStringLiteral("tags-window.png"));
    // Every row shows its symbol, tinted in the tag's red.
    QTableView* table = tags().tagTableView();
    for (int row = 0; row < 3; ++row) {
        const QRect cell = table->visualRect(tags().model()->index(row, ConfigTagsTableModel::columnEntry));
        const QRect symbol = settingsui::TableViewCellConfigEditTags::symbolRect(cell);
        int red = 0;
        for (int y = symbol.top(); y <= symbol.bottom(); ++y)
            for (int x = symbol.left(); x <= symbol.right(); ++x) {
                const QColor pixel(image.pixel(table->viewport()->mapTo(window->window(), QPoint(x, y))));
                red += pixel.red() > 150 && pixel.green() < 100 ? 1 : 0;
            }
        EXPECT_GT(red, 10) << "no symbol in row " << row;
    }
    window->close();
    QApplication::processEvents();
    EXPECT_FALSE(manager->hotkeysPaused());
    EXPECT_EQ(rebuildCount, rebuilds + 1) << "closing rebuilds the store";
}

TEST_F(TagsWindowTest, RenamingAsksAndTakesTheSubTagsAlong)
{
    open();
    dialogs->queueAlertResponse(1);
    EXPECT_FALSE(tags().shouldChangeValue(QStringLiteral("Office"), QStringLiteral("Work")));
    EXPECT_EQ(names(), (QStringList{QStringLiteral("Games"), QStringLiteral("Office"), QStringLiteral("Office|Writing")}));

    // Through the name field of the first row's editor.
    QTableView* table = tags().tagTableView();
    table->setCurrentIndex(tags().model()->index(1, ConfigTagsTableModel::columnEntry));
    auto* field = qobject_cast<CustomTextFieldForEditingTags*>(QApplication::focusWidget());
    ASSERT_TRUE(field) << "a click on a name edits it";
    EXPECT_EQ(field->text(), QStringLiteral("Office"));
    field->selectAll();
    QTest::keyClicks(field, QStringLiteral("Work"));
    dialogs->queueAlertResponse(0);
    QTest::keyClick(field, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(names(), (QStringList{QStringLiteral("Games"), QStringLiteral("Work"), QStringLiteral("Work|Writing")}));
    EXPECT_EQ(store->allData()->first().value()->tags(), QStringList{QStringLiteral("Work|Writing")});
    EXPECT_EQ(tags().model()->data(tags().model()->index(1, 0)).toString(), QStringLiteral("Work"));
}

// An alert as the desktop shows one: a nested loop runs until the user
// answers OK, and whatever happens meanwhile (here `whileShown`) happens.
class NestedLoopAlerts final : public platform::DialogProvider {
public:
    platform::AlertResponse runAlert(const platform::AlertRequest& request) override
    {
        Q_UNUSED(request)
        if (whileShown)
            QTimer::singleShot(0, whileShown);
        QEventLoop loop;
        QTimer::singleShot(50, &loop, &QEventLoop::quit);
        loop.exec();
        ++shown;
        return {0, false};
    }
    platform::OpenPanelResponse runOpenPanel(const platform::OpenPanelRequest& request) override
    {
        Q_UNUSED(request)
        return {};
    }
    std::function<void()> whileShown;
    int shown = 0;
};

TEST_F(TagsWindowTest, ARenameKeepsItsNamesWhateverHappensWhileTheAlertAsks)
{
    auto alerts = std::make_shared<NestedLoopAlerts>();
    platform::DialogProvider::setShared(alerts);
    // The caller's strings change while the alert is up.
    QString before = QStringLiteral("Office");
    QString after = QStringLiteral("Work");
    alerts->whileShown = [&] {
        before = QStringLiteral("Elsewhere");
        after.clear();
    };
    EXPECT_TRUE(store->tagManager().renameTag(before, after));
    EXPECT_EQ(names(), (QStringList{QStringLiteral("Games"), QStringLiteral("Work"), QStringLiteral("Work|Writing")}));

    // The name field is gone when the alert returns (its editor was closed).
    open();
    QTableView* table = tags().tagTableView();
    table->setCurrentIndex(tags().model()->index(0, ConfigTagsTableModel::columnEntry));
    QPointer<CustomTextFieldForEditingTags> field =
        qobject_cast<CustomTextFieldForEditingTags*>(QApplication::focusWidget());
    ASSERT_TRUE(field);
    alerts->whileShown = [field] { delete field.data(); };
    field->selectAll();
    QTest::keyClicks(field, QStringLiteral("Play"));
    QTest::keyClick(field, Qt::Key_Return);
    QApplication::processEvents();
    platform::DialogProvider::setShared(dialogs);
    EXPECT_EQ(alerts->shown, 2);
    EXPECT_TRUE(field.isNull());
    EXPECT_EQ(names(), (QStringList{QStringLiteral("Play"), QStringLiteral("Work"), QStringLiteral("Work|Writing")}));
}

TEST_F(TagsWindowTest, DeletingAsksAndNothingGoesWithoutASelection)
{
    open();
    tags().configRemoveTag();
    EXPECT_EQ(dialogs->alerts().size(), 0);
    tags().tagTableView()->selectRow(0);
    dialogs->queueAlertResponse(1);
    tags().configRemoveTag();
    EXPECT_EQ(tags().model()->rowCount(), 3);
    dialogs->queueAlertResponse(0);
    tags().removeButton()->click();
    EXPECT_EQ(names(), (QStringList{QStringLiteral("Office"), QStringLiteral("Office|Writing")}));
    EXPECT_EQ(tags().model()->rowCount(), 2);
}

TEST_F(TagsWindowTest, ARecordedTagHotkeyIsStoredUnlessTaken)
{
    open();
    const iconTagPtr games = store->tagManager().allAvailableTags()->at(0).value();
    const auto taken = KeyCombo::withCarbonModifiers(Key::t, KeyCombo::commandKey | KeyCombo::optionKey);
    const auto free = KeyCombo::withCarbonModifiers(Key::g, KeyCombo::commandKey | KeyCombo::optionKey);
    ASSERT_TRUE(taken && free);
    const auto other = HotKey::create(QStringLiteral("other"), *taken, HotKey::ActionQueue::main, {});
    ASSERT_TRUE(center->registerHotKey(other));

    settingsui::ConfigTagHotkeyRecording recording(games, settingsui::TagHotkeyField::hotkey, center.get());
    RecordView recorder;
    EXPECT_TRUE(recording.mayRecord(recorder));
    EXPECT_FALSE(recording.acceptsKeyCombo(recorder, *taken));
    EXPECT_FALSE(recorder.refusal().isEmpty()) << "refused without a word";
    EXPECT_TRUE(recording.acceptsKeyCombo(recorder, *free));
    recording.keyComboChanged(recorder, *free);
    EXPECT_EQ(games->hotkey(), free);
    EXPECT_FALSE(games->hotkeyLaunchAll());

    // Recorded through the cell's own recorder, for the launch-all key.
    QTableView* table = tags().tagTableView();
    table->setCurrentIndex(tags().model()->index(0, ConfigTagsTableModel::columnHotkeyLaunchAll));
    auto* editor = qobject_cast<RecordView*>(QApplication::focusWidget());
    ASSERT_TRUE(editor);
    ASSERT_TRUE(editor->isRecording());
    // As X delivers it: "l" is key code 46.
    QKeyEvent press(QEvent::KeyPress, Qt::Key_L, Qt::ControlModifier | Qt::AltModifier, 46, 0, 0, QStringLiteral("l"));
    QApplication::sendEvent(editor, &press);
    EXPECT_TRUE(games->hotkeyLaunchAll());
    editor->clearAndEndRecording();
    EXPECT_FALSE(games->hotkeyLaunchAll()) << "clearing stores none";
}

// The symbol's place in the window, in the window's coordinates.
QPoint symbolInWindow(settingsui::ConfigViewControllerTags& tags, int row)
{
    QTableView* table = tags.tagTableView();
    const QRect cell = table->visualRect(tags.model()->index(row, ConfigTagsTableModel::columnEntry));
    return table->viewport()->mapTo(table->window(), settingsui::TableViewCellConfigEditTags::symbolRect(cell).center());
}

TEST_F(TagsWindowTest, TheSymbolPopoverEditsTheRowsTagAndTheNameStopsAt70)
{
    open();
    window->window()->move(420, 40); // room at the symbol's left
    QTest::mouseClick(window->window()->windowHandle(), Qt::LeftButton, {}, symbolInWindow(tags(), 1));
    platform::PopoverHost* popover = tags().popupMenu()->popover();
    ASSERT_TRUE(popover && popover->isShown());
    TagTableViewPopupViewController* content = tags().popupMenu()->tagTableViewPopupViewController();
    EXPECT_EQ(content->currentIconTag(), store->tagManager().allAvailableTags()->at(1).value());
    EXPECT_LT(popover->geometry().right(), window->window()->mapToGlobal(symbolInWindow(tags(), 1)).x());
    QSignalSpy redrawn(tags().model(), &QAbstractItemModel::dataChanged);
    popover->close();
    EXPECT_GE(redrawn.size(), 1) << "the row keeps its old symbol";

    QApplication::setActiveWindow(window->window());
    tags().tagTableView()->setCurrentIndex(tags().model()->index(0, ConfigTagsTableModel::columnEntry));
    auto* field = qobject_cast<CustomTextFieldForEditingTags*>(QApplication::focusWidget());
    ASSERT_TRUE(field);
    field->selectAll();
    QTest::keyClicks(field, QString(80, QLatin1Char('n')));
    EXPECT_EQ(field->text(), QString(70, QLatin1Char('n')));
}

TEST_F(TagsWindowTest, RunModallyItSitsOverItsWindowAndItsPopoverStillAnswers)
{
    QWidget data; // the data window it is opened from
    data.setGeometry(40, 30, 760, 560);
    data.show();
    QApplication::setActiveWindow(&data);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&data));
    const iconTagPtr games = store->tagManager().allAvailableTags()->at(0).value();
    QTimer::singleShot(0, [&] {
        QWidget* tagsWindow = window->window();
        EXPECT_LE((tagsWindow->geometry().center() - data.geometry().center()).manhattanLength(), 4);
        EXPECT_EQ(tagsWindow->windowHandle()->transientParent(), data.windowHandle()) << "not kept above it";
        QTest::mouseClick(tagsWindow->windowHandle(), Qt::LeftButton, {}, symbolInWindow(tags(), 0));
        platform::PopoverHost* popover = tags().popupMenu()->popover();
        if (!popover || !popover->isShown()) {
            ADD_FAILURE() << "no popover";
            window->close();
            return;
        }
        // A click on a swatch and Escape reach the popover through the modal run.
        DrawnColorCircle* swatch = tags().popupMenu()->tagTableViewPopupViewController()->colorCircles().at(5);
        const QPoint at = swatch->mapTo(popover, swatch->rect().center());
        QTest::mousePress(popover->windowHandle(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(popover->windowHandle(), Qt::LeftButton, {}, at);
        EXPECT_TRUE(games->color() && games->color()->toQColor().rgb() == swatch->color()->rgb());
        QTest::keyClick(popover->windowHandle(), Qt::Key_Escape);
        EXPECT_FALSE(popover->isShown());
        window->close();
    });
    window->showWindow(true);
    EXPECT_FALSE(window->window()->isRunningModal());
}

} // namespace
} // namespace vantel
