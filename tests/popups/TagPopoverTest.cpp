#include "Announcements.h"
#include "PopupsProbe.h"

#include "config/SystemConfiguration.h"
#include "datastore/DataStorage.h"
#include "datastore/TagManager.h"
#include "graphics/widgets/DrawnButtonDelete.h"
#include "graphics/widgets/DrawnColorCircle.h"
#include "graphics/widgets/SwatchColors.h"
#include "hotkeys/HotKey.h"
#include "hotkeys/HotKeyCenter.h"
#include "hotkeys/HotKeyManager.h"
#include "hotkeys/ModifierFlags.h"
#include "hotkeys/ui/RecordView.h"
#include "model/ExecutionServices.h"
#include "platform/DialogProvider.h"
#include "platform/Log.h"
#include "platform/ScriptedDialogProvider.h"
#include "platform/ui/PopoverHost.h"
#include "popups/ColorSlider.h"
#include "popups/IconChooseCollectionView.h"
#include "popups/TagIconModel.h"
#include "popups/TagPopupManager.h"
#include "popups/TagPopupViewController.h"
#include "shell/AppDelegate.h"
#include "support/ShownTexts.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

using namespace vantel;
using R = IconTagChangeReason;
using Reasons = QList<std::optional<IconTagChangeReason>>;

namespace {

const platform::Color red{1, 0, 0, 1};
const QString tagName = QStringLiteral("Work");

KeyCombo ctrlShiftK()
{
    return *KeyCombo::withCarbonModifiers(Key::k, ModifierFlags::carbonCommand | ModifierFlags::carbonShift);
}

class RecordingServices : public ExecutionServices {
public:
    void openURLString(const QString&, const std::optional<QVariantList>&) override {}
    void readVolumeAttributes(const QUrl&) override {}
    void openPath(const QString&, const std::optional<QVariantList>&, const QString&) override {}
    void launchAllEntriesOfTag(const QString& name) override { launchedTags.append(name); }
    bool selectFile(const QString&) override { return false; }
    bool isApplicationRunning(const QString&) override { return false; }

    QStringList launchedTags;
};

// The most common opaque colour of an image.
QColor dominantColour(const QImage& source)
{
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    QHash<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) == 255)
                ++counts[image.pixel(x, y)];
    QRgb best = 0;
    int bestCount = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > bestCount) {
            best = it.key();
            bestCount = it.value();
        }
    return QColor::fromRgba(best);
}

class TagPopoverTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Recorders read keys through the compiled US layout.
        qunsetenv("DISPLAY");
        Configuration& config = AppDelegate::shared().config();
        config.setDebugLogging(true);
        config.setSaveInProgress(false);
        config.setNeverRemindMeRemoveTagDialog(false);
        dialogs = std::make_shared<platform::ScriptedDialogProvider>();
        platform::DialogProvider::setShared(dialogs);
        services = std::make_shared<RecordingServices>();
        ExecutionServices::setShared(services);

        tag = iconTag::create(tagName, QStringLiteral("icon_folder_home"));
        tag->setColor(red);
        tag->setHotkey(ctrlShiftK());
        TagManager::shared().allAvailableTags()->append(tag);

        window.resize(520, 560);
        anchor = new QPushButton(tagName, &window);
        anchor->setGeometry(400, 200, 100, 22);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        manager = std::make_unique<TagPopupManager>();
        pausesBefore = HotKeyManager::shared().hotkeysPaused();
    }

    void TearDown() override
    {
        manager.reset();
        EXPECT_EQ(HotKeyManager::shared().hotkeysPaused(), pausesBefore) << "a pause was left behind";
        TagManager::shared().allAvailableTags()->removeAll();
        HotKeyCenter::shared().unregisterAll();
        ExecutionServices::setShared(nullptr);
        platform::DialogProvider::setShared(nullptr);
        AppDelegate::shared().config().setDebugLogging(false);
    }

    void show(const QString& name = tagName)
    {
        const QRect row(anchor->mapToGlobal(QPoint(0, 0)), anchor->size());
        manager->showPopover(anchor, row, name, name, 3);
    }

    TagPopupViewController& controller() { return *manager->sectionViewPopupViewController(); }
    platform::PopoverHost& popover() { return *manager->sectionViewPopover(); }
    QWidget* grid() { return controller().stackViews().at(TagPopupViewController::iconChooserSection); }

    void clickRow(int row)
    {
        IconChooseCollectionView& view = *controller().iconChooseCollectionView();
        view.scrollTo(view.model()->index(row, 0));
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.visualRect(view.model()->index(row, 0)).center());
    }

    bool press(RecordView& recorder, int key, quint32 keycode, Qt::KeyboardModifiers modifiers)
    {
        QKeyEvent event(QEvent::KeyPress, key, modifiers, keycode, 0, 0, QString());
        QApplication::sendEvent(&recorder, &event);
        return event.isAccepted();
    }

    std::shared_ptr<platform::ScriptedDialogProvider> dialogs;
    std::shared_ptr<RecordingServices> services;
    iconTagPtr tag;
    QWidget window;
    QPushButton* anchor = nullptr;
    std::unique_ptr<TagPopupManager> manager;
    bool pausesBefore = false;
};

} // namespace

TEST_F(TagPopoverTest, ShowsTheTagBesideItsRowWithTheGridHidden)
{
    show();
    ASSERT_TRUE(manager->isShown());
    TagPopupViewController& c = controller();
    EXPECT_EQ(popover().contentViewController(), &c);
    EXPECT_EQ(c.popover(), &popover());
    EXPECT_FALSE(popover().animates());
    EXPECT_EQ(popover().behavior(), platform::PopoverHost::Behavior::transient);
    EXPECT_EQ(c.currentIconTag(), tag);
    EXPECT_EQ(c.index(), 3);
    EXPECT_TRUE(c.isVisible());
    EXPECT_LE(popover().geometry().right(), anchor->mapToGlobal(QPoint(0, 0)).x()); // left of the row

    EXPECT_EQ(c.lblTagName()->text(), tagName);
    EXPECT_EQ(c.hotkey()->keyCombo(), ctrlShiftK());
    EXPECT_FALSE(c.hotkeyLaunchAll()->keyCombo().has_value());
    EXPECT_EQ(c.hotkey()->delegate(), &c);
    EXPECT_EQ(c.hotkeyLaunchAll()->delegate(), &c);
    EXPECT_EQ(c.tintColor(), red);
    EXPECT_EQ(c.imageTagSymbol()->accessibleName(), TagIconModel::spokenName(QStringLiteral("icon_folder_home")));
    EXPECT_EQ(dominantColour(c.imageTagSymbol()->pixmap().toImage()), QColor(255, 0, 0));

    // Ten swatches in the system colours' order.
    const QList<DrawnColorCircle*> circles = c.colorCircles();
    ASSERT_EQ(circles.size(), 10);
    const QList<SystemColor> order{SystemColor::red,    SystemColor::green, SystemColor::blue, SystemColor::yellow,
                                   SystemColor::orange, SystemColor::pink,  SystemColor::gray, SystemColor::teal,
                                   SystemColor::brown,  SystemColor::purple};
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(circles.at(i)->color(), systemColor(order.at(i))) << i;
        EXPECT_EQ(circles.at(i)->delegate(), &c);
    }

    // The grid: every symbol of the catalogue in the tag's colour, hidden.
    ASSERT_EQ(c.iconChooseCollectionView()->model()->rowCount(), 143);
    EXPECT_EQ(c.iconModel()->imageName(0), TagManager::shared().iconNames().first());
    EXPECT_EQ(c.iconModel()->tintColor(), QColor(255, 0, 0));
    const int side = int(std::lround(SystemConfiguration::shared().sidebarIconSize()));
    EXPECT_EQ(c.iconChooseCollectionView()->itemSize(), QSize(side, side));
    EXPECT_TRUE(grid()->isHidden());
    EXPECT_EQ(popover().contentSize().height(), TagPopupViewController::expandedHeight - grid()->height());
    EXPECT_GT(grid()->height(), 3 * side);

    ColorSlider* slider = c.colorSlider();
    EXPECT_FALSE(slider->isContinuous());
    EXPECT_DOUBLE_EQ(slider->knobHeight(), 16);
    EXPECT_TRUE(slider->isEnabled());
}

TEST_F(TagPopoverTest, HotkeysStayPausedForAnotherHolderAfterClosing)
{
    HotKeyManager& hotkeys = HotKeyManager::shared();
    show();
    EXPECT_TRUE(hotkeys.hotkeysPaused());
    manager->close();
    EXPECT_FALSE(controller().isVisible());
    EXPECT_EQ(hotkeys.hotkeysPaused(), pausesBefore);

    // A settings pane holds a pause across a showing of the popover.
    hotkeys.pauseHotkeys();
    show();
    show(); // shown again for the same row: still one pause of its own
    manager->close();
    EXPECT_TRUE(hotkeys.hotkeysPaused());
    hotkeys.resumeHotkeys();
    EXPECT_EQ(hotkeys.hotkeysPaused(), pausesBefore);
}

TEST_F(TagPopoverTest, ChangeIconTogglesTheGridAndAPickWritesSymbolAndColour)
{
    show();
    TagPopupViewController& c = controller();
    const int g = grid()->height();
    QSignalSpy redraws(manager.get(), &TagPopupManager::redrawSelectedRowsNeeded);

    const int width = popover().contentSize().width();
    c.btnChangeIcon()->click();
    EXPECT_FALSE(grid()->isHidden());
    EXPECT_EQ(popover().contentSize(), QSize(width, TagPopupViewController::expandedHeight));
    EXPECT_EQ(c.view()->width(), width);
    EXPECT_EQ(c.view()->height(), TagPopupViewController::expandedHeight);
    EXPECT_EQ(grid()->height(), g);

    // The colour was changed in this showing: the pick writes it too.
    QTest::mouseClick(c.colorCircles().at(2), Qt::LeftButton); // blue
    vantel::test::Announcements heard;
    const int row = c.iconModel()->rowOf(QStringLiteral("icon_tags")) == 5 ? 6 : 5;
    const QString picked = TagManager::shared().iconNames().at(row);
    clickRow(row);
    EXPECT_EQ(tag->tagSymbol(), picked);
    EXPECT_EQ(tag->color()->toQColor().toRgb(), systemColor(SystemColor::blue));
    EXPECT_EQ(heard.tagReasons, (Reasons{R::symbolChanged}));
    EXPECT_EQ(c.imageTagSymbol()->accessibleName(), QStringLiteral("Symbol %1").arg(row + 1));
    EXPECT_TRUE(c.needsRedraw());
    EXPECT_EQ(redraws.size(), 2);
    EXPECT_TRUE(manager->isShown());

    c.btnChangeIcon()->click();
    EXPECT_TRUE(grid()->isHidden());
    EXPECT_EQ(popover().contentSize().height(), TagPopupViewController::expandedHeight - g);

    // The next showing opens hidden again and starts clean.
    c.btnChangeIcon()->click();
    manager->close();
    show();
    EXPECT_TRUE(grid()->isHidden());
    EXPECT_FALSE(c.needsRedraw());
}

TEST_F(TagPopoverTest, OpensAtItsOwnSizeAfterTheGridWasShownAndEscapeClosedIt)
{
    show();
    TagPopupViewController& c = controller();
    QCoreApplication::processEvents();
    const QSize collapsed = popover().size();
    const QRect launchAll(c.btnLaunchAll()->mapTo(&popover(), QPoint(0, 0)), c.btnLaunchAll()->size());
    const QRect clearColour(c.btnClearColor()->mapTo(&popover(), QPoint(0, 0)), c.btnClearColor()->size());

    c.btnChangeIcon()->click();
    QCoreApplication::processEvents();
    ASSERT_GT(popover().height(), collapsed.height());
    // Escape where the keyboard is after the click: on the button.
    QTest::keyClick(c.btnChangeIcon(), Qt::Key_Escape);
    QCoreApplication::processEvents();
    ASSERT_FALSE(manager->isShown());

    show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(grid()->isHidden());
    EXPECT_EQ(popover().size(), collapsed);
    EXPECT_EQ(c.view()->height(), TagPopupViewController::expandedHeight - grid()->height());
    // Every control where it was: a click meant for one lands on it.
    EXPECT_EQ(QRect(c.btnLaunchAll()->mapTo(&popover(), QPoint(0, 0)), c.btnLaunchAll()->size()), launchAll);
    EXPECT_EQ(QRect(c.btnClearColor()->mapTo(&popover(), QPoint(0, 0)), c.btnClearColor()->size()), clearColour);
    EXPECT_EQ(popover().childAt(launchAll.center()), c.btnLaunchAll());
    EXPECT_TRUE(popover().grab().toImage().save(vantel::test::outputFolder()
                                                + QStringLiteral("/tag-popover-after-change-icon.png")));
}

TEST_F(TagPopoverTest, ColourActionsAreWrittenAtOnceAndClearStoresNone)
{
    show();
    TagPopupViewController& c = controller();
    vantel::test::Announcements heard;

    QTest::mouseClick(c.colorCircles().at(1), Qt::LeftButton);
    EXPECT_EQ(tag->color()->toQColor().toRgb(), systemColor(SystemColor::green));
    EXPECT_EQ(c.iconModel()->tintColor()->toRgb(), systemColor(SystemColor::green));
    EXPECT_EQ(dominantColour(c.imageTagSymbol()->pixmap().toImage()).toRgb(), systemColor(SystemColor::green));

    ColorSlider* slider = c.colorSlider();
    slider->setDoubleValue(slider->maxValue() * 2.0 / 3.0);
    emit slider->triggered();
    EXPECT_EQ(tag->color()->toQColor().toRgb(), QColor(0, 0, 255));

    c.btnClearColor()->click();
    EXPECT_FALSE(tag->color().has_value());
    EXPECT_FALSE(c.tintColor().has_value());
    EXPECT_FALSE(c.iconModel()->tintColor().has_value());
    EXPECT_EQ(heard.tagReasons, (Reasons{R::colorChanged, R::colorChanged, R::colorChanged}));
    EXPECT_EQ(tag->tagSymbol(), QStringLiteral("icon_folder_home"));
    EXPECT_TRUE(manager->isShown());
}

TEST_F(TagPopoverTest, DefaultIconRemovesTheColourToo)
{
    show();
    TagPopupViewController& c = controller();
    vantel::test::Announcements heard;
    c.btnDefaultIcon()->click();
    EXPECT_EQ(tag->tagSymbol(), TagManager::shared().defaultTag);
    EXPECT_FALSE(tag->color().has_value());
    EXPECT_EQ(heard.tagReasons, (Reasons{R::symbolChanged, R::colorChanged}));

    // Already the default: no symbol change, and the colour still goes.
    QTest::mouseClick(c.colorCircles().at(0), Qt::LeftButton);
    heard.tagReasons.clear();
    c.btnDefaultIcon()->click();
    EXPECT_FALSE(tag->color().has_value());
    EXPECT_EQ(heard.tagReasons, (Reasons{R::colorChanged}));
}

TEST_F(TagPopoverTest, BothRecordersStoreTheirHotkeyAndRefuseRegisteredOnes)
{
    show();
    TagPopupViewController& c = controller();
    constexpr quint32 keycodeJ = 44;

    c.hotkeyLaunchAll()->setFocus();
    QTRY_VERIFY(c.hotkeyLaunchAll()->isRecording());
    EXPECT_TRUE(press(*c.hotkeyLaunchAll(), Qt::Key_J, keycodeJ, Qt::ControlModifier | Qt::AltModifier));
    const auto ctrlAltJ = KeyCombo::withCarbonModifiers(Key::j, ModifierFlags::carbonCommand | ModifierFlags::carbonOption);
    EXPECT_EQ(tag->hotkeyLaunchAll(), ctrlAltJ);
    EXPECT_EQ(tag->hotkey(), ctrlShiftK());

    // Cleared from the recorder: the tag has none.
    c.hotkey()->clearAndEndRecording();
    EXPECT_FALSE(tag->hotkey().has_value());

    // A combination any registered hotkey has is not taken.
    const auto doubled = *KeyCombo::withDoubledCarbonModifiers(ModifierFlags::carbonCommand);
    ASSERT_TRUE(HotKeyCenter::shared().registerHotKey(
        HotKey::create(QStringLiteral("other"), doubled, HotKey::ActionQueue::main, {})));
    EXPECT_FALSE(c.acceptsKeyCombo(*c.hotkey(), doubled));
    EXPECT_TRUE(c.acceptsKeyCombo(*c.hotkey(), ctrlShiftK()));
    EXPECT_TRUE(c.mayRecord(*c.hotkey()));
}

TEST_F(TagPopoverTest, UnknownTagShowsUnfilledAndOnlyTints)
{
    show();
    manager->close();
    HotKeyManager& hotkeys = HotKeyManager::shared();
    show(QStringLiteral("Nowhere"));
    TagPopupViewController& c = controller();
    EXPECT_TRUE(c.isVisible());
    EXPECT_FALSE(c.currentIconTag());
    EXPECT_EQ(hotkeys.hotkeysPaused(), pausesBefore);
    EXPECT_FALSE(c.hotkey()->keyCombo().has_value()) << "the last tag's hotkey stays on show";

    QSignalSpy redraws(manager.get(), &TagPopupManager::redrawSelectedRowsNeeded);
    vantel::test::Announcements heard;
    QTest::mouseClick(c.colorCircles().at(1), Qt::LeftButton);
    EXPECT_EQ(c.tintColor()->toQColor().toRgb(), systemColor(SystemColor::green));
    EXPECT_EQ(c.iconModel()->tintColor()->toRgb(), systemColor(SystemColor::green));
    EXPECT_EQ(redraws.size(), 1);
    c.didSelectIcon(4);
    c.btnDefaultIconClick();
    EXPECT_TRUE(heard.tagReasons.isEmpty());
    EXPECT_EQ(tag->tagSymbol(), QStringLiteral("icon_folder_home"));
    EXPECT_EQ(tag->color(), red);
}

TEST_F(TagPopoverTest, LaunchAllOpensTheEntriesAfterThePopoverClosed)
{
    show();
    bool closedFirst = false;
    QObject::connect(&popover(), &platform::PopoverHost::didClose, [&] { closedFirst = services->launchedTags.isEmpty(); });
    controller().btnLaunchAll()->click();
    EXPECT_FALSE(manager->isShown());
    EXPECT_TRUE(closedFirst);
    EXPECT_TRUE(services->launchedTags.isEmpty());
    QTRY_COMPARE(services->launchedTags, QStringList{tagName});
}

TEST_F(TagPopoverTest, DeleteAsksAndOnlyAConfirmationDeletesAndRebuilds)
{
    platform::Log::CaptureSink log;
    show();
    TagPopupViewController& c = controller();

    dialogs->queueAlertResponse(1); // Cancel
    QTest::mouseClick(c.btnDeleteTag(), Qt::LeftButton);
    ASSERT_EQ(dialogs->alerts().size(), 1);
    const platform::AlertRequest asked = dialogs->alerts().first();
    EXPECT_EQ(asked.messageText, QStringLiteral("Should the selected entry be deleted?"));
    EXPECT_EQ(asked.informativeText, QStringLiteral("The entry 'Work' will be deleted."));
    EXPECT_EQ(asked.buttons, (QStringList{QStringLiteral("OK"), QStringLiteral("Cancel")}));
    EXPECT_TRUE(asked.showsSuppressionButton);
    EXPECT_TRUE(TagManager::shared().tagForName(tagName));
    EXPECT_TRUE(manager->isShown());
    EXPECT_FALSE(c.needsRebuild());

    dialogs->queueAlertResponse(0); // OK
    QTest::mouseClick(c.btnDeleteTag(), Qt::LeftButton);
    EXPECT_FALSE(TagManager::shared().tagForName(tagName));
    EXPECT_TRUE(c.needsRebuild());
    EXPECT_TRUE(log.messages().contains(QStringLiteral("-> RebuildData - Request initiated: Section-View Popup")));
    EXPECT_FALSE(manager->isShown());
}

TEST_F(TagPopoverTest, RendersEveryControl)
{
    tag->setHotkeyLaunchAll(KeyCombo::withCarbonModifiers(Key::l, ModifierFlags::carbonCommand | ModifierFlags::carbonOption));
    show();
    TagPopupViewController& c = controller();
    EXPECT_TRUE(popover().grab().toImage().save(vantel::test::outputFolder() + QStringLiteral("/tag-popover.png")));
    c.btnChangeIcon()->click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(
        popover().grab().toImage().save(vantel::test::outputFolder() + QStringLiteral("/tag-popover-icons.png")));

    const QStringList english = test::englishLeftInGerman(c.view());
    EXPECT_TRUE(english.isEmpty()) << english.join(u'\n').toStdString();

    // No control is cut off or outside the content.
    const QRect content = c.view()->rect();
    for (QWidget* child : c.view()->findChildren<QWidget*>()) {
        if (!child->isVisibleTo(c.view()))
            continue;
        const QRect inContent(child->mapTo(c.view(), QPoint(0, 0)), child->size());
        EXPECT_TRUE(content.contains(inContent)) << child->objectName().toStdString();
        if (auto* label = qobject_cast<QLabel*>(child); label && !label->wordWrap()) {
            EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
        }
        if (auto* button = qobject_cast<QPushButton*>(child)) {
            EXPECT_GE(button->width(), button->sizeHint().width()) << button->text().toStdString();
        }
    }
    EXPECT_EQ(&TagPopupManager::shared(), &TagPopupManager::shared());
}
