#include "platform/ui/PopoverHost.h"

#include "platform/ui/UiTestSupport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWindow>

using namespace vantel;
using namespace vantel::platform;
using vantel::test::RecordingViewController;
using vantel::test::TwoScreens;

namespace {

const QRect area(0, 30, 1280, 770);

class RecordingDelegate : public PopoverHostDelegate {
public:
    QStringList calls;
    bool allowClose = true;
    bool allowDetach = true;

    void popoverWillShow(PopoverHost&) override { calls << QStringLiteral("willShow"); }
    void popoverDidShow(PopoverHost&) override { calls << QStringLiteral("didShow"); }
    bool popoverShouldDetach(PopoverHost&) override
    {
        calls << QStringLiteral("shouldDetach");
        return allowDetach;
    }
    void popoverDidDetach(PopoverHost&) override { calls << QStringLiteral("didDetach"); }
    bool popoverShouldClose(PopoverHost&) override
    {
        calls << QStringLiteral("shouldClose");
        return allowClose;
    }
    void popoverWillClose(PopoverHost&) override { calls << QStringLiteral("willClose"); }
    void popoverDidClose(PopoverHost&) override { calls << QStringLiteral("didClose"); }
};

QWidget* fixedContent(QSize size)
{
    auto* content = new QWidget();
    content->setFixedSize(size);
    return content;
}

} // namespace

TEST(PopoverPlacementTest, SitsCentredOnThePreferredEdge)
{
    const QSize size(200, 100);
    const QRect anchor(600, 300, 40, 20);

    const auto below = PopoverHost::place(size, anchor, PopoverHost::below, area);
    EXPECT_EQ(below.edge, PopoverHost::below);
    EXPECT_EQ(below.frame, QRect(520, 320 + PopoverHost::anchorGap, 200, 100));

    const auto above = PopoverHost::place(size, anchor, PopoverHost::above, area);
    EXPECT_EQ(above.edge, PopoverHost::above);
    EXPECT_EQ(above.frame, QRect(520, 300 - PopoverHost::anchorGap - 100, 200, 100));

    const auto left = PopoverHost::place(size, anchor, PopoverHost::left, area);
    EXPECT_EQ(left.edge, PopoverHost::left);
    EXPECT_EQ(left.frame, QRect(600 - PopoverHost::anchorGap - 200, 260, 200, 100));

    const auto right = PopoverHost::place(size, anchor, PopoverHost::right, area);
    EXPECT_EQ(right.edge, PopoverHost::right);
    EXPECT_EQ(right.frame, QRect(640 + PopoverHost::anchorGap, 260, 200, 100));
}

TEST(PopoverPlacementTest, FlipsToTheOtherSideWhenThePreferredOneIsTooSmall)
{
    const QSize size(200, 300);
    // Near the bottom: no room below, room above.
    const auto nearBottom = PopoverHost::place(size, QRect(600, 700, 40, 20), PopoverHost::below, area);
    EXPECT_EQ(nearBottom.edge, PopoverHost::above);
    EXPECT_EQ(nearBottom.frame.bottom(), 700 - PopoverHost::anchorGap - 1);

    // Near the top: no room above, so it goes below.
    const auto nearTop = PopoverHost::place(size, QRect(600, 40, 40, 20), PopoverHost::above, area);
    EXPECT_EQ(nearTop.edge, PopoverHost::below);
    EXPECT_EQ(nearTop.frame.top(), 60 + PopoverHost::anchorGap);

    // At the left screen edge, a popover to the left flips to the right.
    const auto atLeftEdge = PopoverHost::place(QSize(200, 100), QRect(10, 300, 40, 20), PopoverHost::left, area);
    EXPECT_EQ(atLeftEdge.edge, PopoverHost::right);
    EXPECT_EQ(atLeftEdge.frame.left(), 50 + PopoverHost::anchorGap);

    // Neither side fits: the roomier side, clamped into the area.
    const auto tooTall = PopoverHost::place(QSize(200, 700), QRect(600, 500, 40, 20), PopoverHost::below, area);
    EXPECT_EQ(tooTall.edge, PopoverHost::above);
    EXPECT_TRUE(area.contains(tooTall.frame)) << tooTall.frame.y();
}

TEST(PopoverPlacementTest, StaysInsideTheScreenAlongTheEdge)
{
    // A tray icon in the top-right corner: the popover slides left.
    const auto corner = PopoverHost::place(QSize(700, 500), QRect(1250, 4, 22, 22), PopoverHost::below, area);
    EXPECT_EQ(corner.edge, PopoverHost::below);
    EXPECT_EQ(corner.frame.right(), area.right());
    EXPECT_EQ(corner.frame.top(), 30);

    const auto leftCorner = PopoverHost::place(QSize(700, 500), QRect(2, 4, 22, 22), PopoverHost::below, area);
    EXPECT_EQ(leftCorner.frame.left(), 0);

    // Wider than the screen (a large scale factor): cut to the screen's width.
    const auto wide = PopoverHost::place(QSize(2000, 100), QRect(600, 300, 40, 20), PopoverHost::below, area);
    EXPECT_EQ(wide.frame.left(), area.left());
    EXPECT_EQ(wide.frame.width(), area.width());
    EXPECT_TRUE(area.contains(wide.frame));
    // Larger both ways: the whole free area, nothing past it.
    const auto huge = PopoverHost::place(QSize(2000, 2000), QRect(1250, 4, 22, 22), PopoverHost::below, area);
    EXPECT_EQ(huge.frame, area);
}

TEST(PopoverHostTest, ShowsOnTheAnchorsScreen)
{
    TwoScreens screens;
    PopoverHost popover;
    popover.setContentWidget(fixedContent(QSize(300, 200)));
    // A tray icon at the top right of the right-hand screen.
    const QRect tray(3170, 4, 22, 22);
    popover.showRelativeTo(tray, PopoverHost::below);
    ASSERT_TRUE(popover.isShown());
    const QRect frame = popover.geometry();
    EXPECT_EQ(frame.size(), QSize(302, 202)); // content plus border
    EXPECT_EQ(frame.right(), TwoScreens::rightFrame.right());
    EXPECT_EQ(frame.top(), 30);
    EXPECT_TRUE(popover.windowFlags().testFlag(Qt::Tool));
    EXPECT_TRUE(popover.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(popover.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE((popover.windowFlags() & Qt::WindowType_Mask) == Qt::Popup);
    popover.close();
    EXPECT_FALSE(popover.isShown());
}

TEST(PopoverHostTest, ContentSizeComesFromTheContentOrIsGiven)
{
    PopoverHost popover;
    auto* content = new QLabel(QStringLiteral("Some text in a popover"));
    popover.setContentWidget(content);
    EXPECT_EQ(popover.contentSize(), content->sizeHint());
    popover.setContentSize(QSize(420, 240));
    popover.showRelativeTo(QRect(100, 100, 10, 10), PopoverHost::below);
    EXPECT_EQ(popover.size(), QSize(422, 242));
    popover.close();

    RecordingViewController controller;
    controller.setPreferredContentSize(QSize(333, 222));
    PopoverHost second;
    second.setContentViewController(&controller);
    EXPECT_EQ(second.contentSize(), QSize(333, 222));
}

// Shown again, the popover is the same native window: making one at each
// show kept a little memory every time the main view was toggled.
TEST(PopoverHostTest, ShowingAgainReusesTheNativeWindow)
{
    RecordingViewController controller;
    PopoverHost popover;
    popover.setContentViewController(&controller);
    popover.showRelativeTo(QRect(100, 100, 10, 10), PopoverHost::below);
    const WId first = popover.internalWinId();
    EXPECT_TRUE(popover.close());
    EXPECT_FALSE(popover.isVisible());
    popover.showRelativeTo(QRect(100, 100, 10, 10), PopoverHost::below);
    EXPECT_EQ(popover.internalWinId(), first);
    // A close the window system asks for still closes it, through the content.
    popover.windowHandle()->close();
    EXPECT_FALSE(popover.isShown());
    EXPECT_EQ(controller.calls.last(), QStringLiteral("viewDidDisappear hidden"));
}

TEST(PopoverHostTest, DrivesTheContentsLifeCycleInOrder)
{
    RecordingViewController controller;
    RecordingDelegate delegate;
    {
        PopoverHost popover;
        popover.setDelegate(&delegate);
        popover.setContentViewController(&controller);
        EXPECT_EQ(controller.calls, QStringList{QStringLiteral("viewDidLoad")});

        popover.showRelativeTo(QRect(100, 100, 10, 10), PopoverHost::below);
        EXPECT_EQ(controller.appearanceState(), ViewControllerBase::AppearanceState::viewDidAppear);
        popover.close();
        EXPECT_EQ(controller.appearanceState(), ViewControllerBase::AppearanceState::viewWillDisappear);
        EXPECT_EQ(controller.calls,
                  (QStringList{"viewDidLoad", "viewWillAppear hidden", "viewDidAppear shown", "viewWillDisappear shown",
                               "viewDidDisappear hidden"}));
        EXPECT_EQ(delegate.calls, (QStringList{"willShow", "didShow", "willClose", "didClose"}));
    }
    // The popover gave the view back to its controller.
    ASSERT_TRUE(controller.isViewLoaded());
    EXPECT_EQ(controller.view()->parentWidget(), nullptr);
}

TEST(PopoverHostTest, APressOutsideClosesItAndAPressInsideDoesNot)
{
    QWidget elsewhere;
    elsewhere.setGeometry(700, 500, 200, 100);
    elsewhere.show();

    PopoverHost popover;
    auto* content = new QWidget();
    content->setFixedSize(200, 100);
    auto* button = new QPushButton(QStringLiteral("Inside"), content);
    popover.setContentWidget(content);
    RecordingDelegate delegate;
    popover.setDelegate(&delegate);
    QSignalSpy closed(&popover, &PopoverHost::didClose);

    popover.showRelativeTo(QRect(100, 50, 10, 10), PopoverHost::below);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(popover.isShown());
    QTest::mouseClick(&popover, Qt::LeftButton, {}, QPoint(190, 90));
    EXPECT_TRUE(popover.isShown());

    // A modal dialog asked from the popover (a file dialog, an alert) is
    // answered without losing the popover, parent or not.
    {
        QDialog dialog;
        dialog.setWindowModality(Qt::ApplicationModal);
        dialog.setGeometry(400, 400, 200, 100);
        dialog.show();
        QTest::mouseClick(&dialog, Qt::LeftButton, {}, QPoint(20, 20));
        EXPECT_TRUE(popover.isShown());
    }
    // So is an item of a menu popped up from it, even one without a parent.
    {
        QMenu menu;
        QAction* item = menu.addAction(QStringLiteral("Add File or Folder"));
        QSignalSpy chosen(item, &QAction::triggered);
        menu.popup(QPoint(120, 60));
        ASSERT_TRUE(menu.isVisible());
        QTest::mouseClick(&menu, Qt::LeftButton, {}, menu.actionGeometry(item).center());
        EXPECT_TRUE(popover.isShown());
        EXPECT_EQ(chosen.count(), 1);
    }

    QTest::mousePress(&elsewhere, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_FALSE(popover.isShown());
    EXPECT_EQ(closed.count(), 1);
    EXPECT_TRUE(delegate.calls.contains(QStringLiteral("shouldClose")));
    QTest::mouseRelease(&elsewhere, Qt::LeftButton, {}, QPoint(10, 10));

    // Application-defined behaviour leaves it open.
    popover.setBehavior(PopoverHost::Behavior::applicationDefined);
    popover.showRelativeTo(QRect(100, 50, 10, 10), PopoverHost::below);
    QTest::mouseClick(&elsewhere, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(popover.isShown());
    popover.close();

    // A delegate may refuse.
    popover.setBehavior(PopoverHost::Behavior::transient);
    delegate.allowClose = false;
    popover.showRelativeTo(QRect(100, 50, 10, 10), PopoverHost::below);
    QTest::mouseClick(&elsewhere, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(popover.isShown());
    popover.close(); // a plain close does not ask
    EXPECT_FALSE(popover.isShown());
}

TEST(PopoverHostTest, NestedPopoversCloseFromTheInnermostOutwards)
{
    QWidget elsewhere;
    elsewhere.setGeometry(900, 600, 200, 100);
    elsewhere.show();

    PopoverHost parent;
    auto* parentContent = new QWidget();
    parentContent->setFixedSize(300, 200);
    auto* opener = new QPushButton(QStringLiteral("Colour"), parentContent);
    opener->setGeometry(10, 10, 100, 30);
    parent.setContentWidget(parentContent);
    parent.showRelativeTo(QRect(100, 50, 10, 10), PopoverHost::below);

    // The child is a separate window, not a Qt child of the parent: only the
    // anchor ties it to the parent.
    PopoverHost child;
    auto* childContent = new QWidget();
    childContent->setFixedSize(150, 100);
    auto* swatch = new QPushButton(QStringLiteral("Red"), childContent);
    child.setContentWidget(childContent);
    child.showRelativeTo(opener, QRect(), PopoverHost::right);
    ASSERT_TRUE(child.isShown());
    EXPECT_EQ(child.shownEdge(), PopoverHost::right);

    // A press in the child keeps both.
    QTest::mouseClick(swatch, Qt::LeftButton);
    EXPECT_TRUE(child.isShown());
    EXPECT_TRUE(parent.isShown());

    // A press in the parent closes the child only.
    QTest::mouseClick(&parent, Qt::LeftButton, {}, QPoint(250, 150));
    EXPECT_FALSE(child.isShown());
    EXPECT_TRUE(parent.isShown());

    // A grandchild made as a Qt child of the child's content counts too.
    child.showRelativeTo(opener, QRect(), PopoverHost::right);
    PopoverHost grandChild(childContent);
    grandChild.setContentWidget(fixedContent(QSize(80, 60)));
    grandChild.showRelativeTo(QRect(child.geometry().right(), child.geometry().top(), 1, 1), PopoverHost::right);
    QTest::mouseClick(&grandChild, Qt::LeftButton, {}, QPoint(40, 30));
    EXPECT_TRUE(grandChild.isShown());
    EXPECT_TRUE(child.isShown());
    EXPECT_TRUE(parent.isShown());

    // A press outside closes them all.
    QTest::mouseClick(&elsewhere, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_FALSE(grandChild.isShown());
    EXPECT_FALSE(child.isShown());
    EXPECT_FALSE(parent.isShown());
}

TEST(PopoverHostTest, EscapeClosesItUnlessTheContentTakesIt)
{
    PopoverHost popover;
    auto* content = new QWidget();
    auto* layout = new QVBoxLayout(content);
    auto* field = new QLineEdit();
    layout->addWidget(field);
    popover.setContentWidget(content);
    popover.showRelativeTo(QRect(100, 50, 10, 10), PopoverHost::below);
    QTest::keyClick(&popover, Qt::Key_Escape, Qt::ShiftModifier);
    EXPECT_TRUE(popover.isShown());
    QTest::keyClick(field, Qt::Key_A);
    EXPECT_TRUE(popover.isShown());
    QTest::keyClick(field, Qt::Key_Escape);
    EXPECT_FALSE(popover.isShown());
}

TEST(PopoverHostTest, ClosingGivesTheKeyboardBackToTheWindowItWasOpenedFrom)
{
    QWidget owner;
    owner.setGeometry(400, 100, 400, 300);
    auto* list = new QLineEdit(&owner);
    owner.show();
    owner.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&owner));

    PopoverHost popover;
    popover.setContentWidget(fixedContent(QSize(200, 100)));
    popover.showRelativeTo(list, QRect(), PopoverHost::left);
    popover.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&popover));
    popover.close();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&owner));

    // A popover that never had the keyboard takes nothing away on closing.
    QWidget other;
    other.setGeometry(0, 500, 100, 100);
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    popover.showRelativeTo(list, QRect(), PopoverHost::left);
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    popover.close();
    test::spinEventLoop(std::chrono::milliseconds(50));
    EXPECT_EQ(QApplication::activeWindow(), &other);
}

TEST(PopoverHostTest, DraggingTheBackgroundDetachesADetachablePopover)
{
    QWidget elsewhere;
    elsewhere.setGeometry(900, 600, 200, 100);
    elsewhere.show();

    RecordingViewController controller;
    RecordingDelegate delegate;
    PopoverHost popover;
    popover.setDelegate(&delegate);
    popover.setContentViewController(&controller);
    popover.showRelativeTo(QRect(300, 50, 10, 10), PopoverHost::below);

    // Not detachable: a drag does nothing.
    QTest::mousePress(&popover, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(&popover, QPoint(60, 60));
    QTest::mouseRelease(&popover, Qt::LeftButton, {}, QPoint(60, 60));
    EXPECT_FALSE(popover.isDetached());

    popover.setDetachable(true);
    const QRect before = popover.geometry();
    QTest::mousePress(&popover, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(&popover, QPoint(60, 60));
    EXPECT_TRUE(popover.isDetached());
    EXPECT_TRUE(popover.isShown());
    EXPECT_TRUE(popover.isVisible());
    QTest::mouseRelease(&popover, Qt::LeftButton, {}, QPoint(60, 60));
    EXPECT_EQ(delegate.calls.mid(2, 2), (QStringList{"shouldDetach", "didDetach"}));
    // A normal window with a close button only, the content without the border.
    const Qt::WindowFlags flags = popover.windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Window);
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(popover.size(), before.size() - QSize(2, 2));
    EXPECT_EQ(controller.appearanceState(), ViewControllerBase::AppearanceState::viewDidAppear);

    // Outside presses and Escape leave a detached popover alone.
    QTest::mouseClick(&elsewhere, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::keyClick(&popover, Qt::Key_Escape);
    EXPECT_TRUE(popover.isShown());

    // Its close button closes it; it is not destroyed and shows as a popover again.
    popover.close();
    EXPECT_FALSE(popover.isShown());
    EXPECT_FALSE(popover.isDetached());
    popover.showRelativeTo(QRect(300, 50, 10, 10), PopoverHost::below);
    EXPECT_TRUE(popover.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(popover.geometry().size(), before.size());
    popover.close();

    // A delegate may refuse the detach.
    delegate.allowDetach = false;
    popover.showRelativeTo(QRect(300, 50, 10, 10), PopoverHost::below);
    QTest::mousePress(&popover, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(&popover, QPoint(60, 60));
    QTest::mouseRelease(&popover, Qt::LeftButton, {}, QPoint(60, 60));
    EXPECT_FALSE(popover.isDetached());
    popover.close();
}

TEST(PopoverHostTest, KeepsItsActiveColoursUntilDetached)
{
    // A popover is drawn as the window it will be once it has the focus,
    // also after the program's colours change; detached it greys like any
    // window that lost the focus.
    const QPalette original = QApplication::palette();
    const auto appColours = [](QColor active, QColor inactive) {
        QPalette colours = QApplication::palette();
        colours.setColor(QPalette::Active, QPalette::Highlight, active);
        colours.setColor(QPalette::Inactive, QPalette::Highlight, inactive);
        return colours;
    };
    QApplication::setPalette(appColours(Qt::blue, Qt::gray));
    PopoverHost popover;
    auto* content = fixedContent(QSize(100, 60));
    popover.setContentWidget(content);
    popover.setDetachable(true);
    popover.showRelativeTo(QRect(100, 50, 10, 10), PopoverHost::below);
    const auto highlight = [&](QPalette::ColorGroup group) { return content->palette().color(group, QPalette::Highlight); };
    EXPECT_EQ(highlight(QPalette::Inactive), QColor(Qt::blue));

    QApplication::setPalette(appColours(Qt::red, Qt::darkGray));
    EXPECT_EQ(highlight(QPalette::Active), QColor(Qt::red));
    EXPECT_EQ(highlight(QPalette::Inactive), QColor(Qt::red));

    ASSERT_TRUE(popover.detach());
    EXPECT_EQ(highlight(QPalette::Active), QColor(Qt::red));
    EXPECT_EQ(highlight(QPalette::Inactive), QColor(Qt::darkGray));
    popover.close();

    // Colours changed while it was closed count from its next show.
    QApplication::setPalette(appColours(Qt::green, Qt::gray));
    popover.showRelativeTo(QRect(100, 50, 10, 10), PopoverHost::below);
    EXPECT_EQ(highlight(QPalette::Inactive), QColor(Qt::green));
    popover.close();
    QApplication::setPalette(original);
}

TEST(PopoverHostTest, FadesInWhenAnimated)
{
    PopoverHost popover;
    popover.setContentWidget(fixedContent(QSize(100, 60)));
    popover.setAnimates(true);
    popover.showRelativeTo(QRect(100, 50, 10, 10), PopoverHost::below);
    EXPECT_TRUE(popover.isShown());
    EXPECT_TRUE(test::waitUntil([&] { return popover.windowOpacity() > 0.99; }));
    popover.close();
    EXPECT_FALSE(popover.isShown());
}

TEST(PopoverHostTest, PictureOfAPopover)
{
    PopoverHost popover;
    auto* content = new QWidget();
    auto* form = new QFormLayout(content);
    form->setContentsMargins(12, 12, 12, 12);
    form->addRow(QStringLiteral("Title:"), new QLineEdit(QStringLiteral("Terminal")));
    form->addRow(QStringLiteral("Comment:"), new QLineEdit(QStringLiteral("Opens a shell")));
    auto* done = new QPushButton(QStringLiteral("Done"));
    form->addRow(QString(), done);
    popover.setContentWidget(content);
    popover.showRelativeTo(QRect(200, 40, 22, 22), PopoverHost::below);
    const QImage image = popover.grab().toImage();
    EXPECT_EQ(image.size(), popover.size() * popover.devicePixelRatioF());
    // The border is drawn in the palette's mid colour.
    EXPECT_EQ(image.pixelColor(0, image.height() / 2).rgb(), popover.palette().color(QPalette::Mid).rgb());
    EXPECT_TRUE(image.save(test::outputFolder() + QStringLiteral("/popover.png")));
    popover.close();
}
