#include "platform/ui/WindowHost.h"

#include "platform/NotificationCenter.h"
#include "platform/ui/UiTestSupport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QTimer>
#include <QWindow>

using namespace vantel;
using namespace vantel::platform;
using vantel::test::RecordingViewController;

TEST(WindowHostTest, DrivesTheLifeCycleAndPostsWillCloseBeforeTheWindowGoes)
{
    RecordingViewController controller;
    WindowHost window;
    window.setContentViewController(&controller);

    QStringList seen;
    ObserverToken token = NotificationCenter::defaultCenter().addObserver(
        WindowHost::willCloseNotification, [&](const Notification& note) {
            auto* object = std::any_cast<QObject*>(note.object);
            seen << QStringLiteral("willClose %1 %2")
                        .arg(object == &window ? "window" : "other", window.isVisible() ? "shown" : "hidden");
        });
    QObject::connect(&window, &WindowHost::windowDidClose, [&] { seen << QStringLiteral("didClose"); });

    window.showWindow();
    EXPECT_TRUE(window.isShown());
    EXPECT_EQ(controller.appearanceState(), ViewControllerBase::AppearanceState::viewDidAppear);
    const WId native = window.internalWinId();
    EXPECT_TRUE(window.close());
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(seen, (QStringList{"willClose window shown", "didClose"}));
    EXPECT_EQ(controller.calls, (QStringList{"viewDidLoad", "viewWillAppear hidden", "viewDidAppear shown",
                                             "viewWillDisappear shown", "viewDidDisappear hidden"}));

    // Shown again, it is the same window with the same content, and the
    // same native window: making one at each show kept memory each time.
    window.showWindow();
    EXPECT_EQ(controller.appearanceState(), ViewControllerBase::AppearanceState::viewDidAppear);
    EXPECT_EQ(controller.view()->window(), &window);
    EXPECT_EQ(window.internalWinId(), native);
    // A close the window system asks for still closes it, through the content.
    window.windowHandle()->close();
    EXPECT_FALSE(window.isShown());
    EXPECT_EQ(controller.calls.last(), QStringLiteral("viewDidDisappear hidden"));
}

TEST(WindowHostTest, ReplacingTheContentOfAShownWindowSwapsAppearances)
{
    RecordingViewController first;
    RecordingViewController second;
    WindowHost window;
    window.setContentViewController(&first);
    window.showWindow();
    window.setContentViewController(&second);
    EXPECT_EQ(first.calls.mid(3), (QStringList{"viewWillDisappear shown", "viewDidDisappear hidden"}));
    EXPECT_EQ(first.view()->parentWidget(), nullptr);
    EXPECT_EQ(second.calls, (QStringList{"viewDidLoad", "viewWillAppear hidden", "viewDidAppear shown"}));
    window.setContentViewController(nullptr);
    EXPECT_EQ(second.view()->parentWidget(), nullptr);
    window.close();
}

TEST(WindowHostTest, ARefusedCloseKeepsTheWindow)
{
    WindowHost window;
    bool allow = false;
    window.setShouldCloseHandler([&] { return allow; });
    int notes = 0;
    ObserverToken token = NotificationCenter::defaultCenter().addObserver(
        WindowHost::willCloseNotification, [&](const Notification&) { ++notes; });
    window.showWindow();
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(notes, 0);
    allow = true;
    EXPECT_TRUE(window.close());
    EXPECT_EQ(notes, 1);
}

TEST(WindowHostTest, AModalRunEndsWhenTheWindowCloses)
{
    WindowHost window;
    QTimer::singleShot(50, &window, [&] {
        EXPECT_TRUE(window.isRunningModal());
        EXPECT_TRUE(window.isModalPanel());
        QTest::keyClick(&window, Qt::Key_Escape);
    });
    EXPECT_EQ(window.runModal(), 0);
    EXPECT_FALSE(window.isRunningModal());
    EXPECT_FALSE(window.isVisible());

    QTimer::singleShot(50, &window, [&] { window.stopModal(7); });
    EXPECT_EQ(window.runModal(), 7);
    // Stopped, not closed: the window is still there until closed.
    EXPECT_TRUE(window.isVisible());
    window.close();
}

TEST(WindowHostTest, SheetsAreWindowModalOverThePresentersWindow)
{
    auto presenter = std::make_shared<RecordingViewController>();
    auto sheet = std::make_shared<RecordingViewController>();
    WindowHost window;
    window.setContentViewController(presenter.get());
    window.showWindow();
    presenter->presentAsSheet(sheet);
    ASSERT_TRUE(sheet->hasWindow());
    QWidget* sheetWindow = sheet->view()->window();
    EXPECT_EQ(sheetWindow->parentWidget(), &window);
    EXPECT_EQ(sheetWindow->windowModality(), Qt::WindowModal);
    EXPECT_EQ(sheet->presentingViewController(), presenter.get());
    EXPECT_EQ(sheet->appearanceState(), ViewControllerBase::AppearanceState::viewDidAppear);

    sheet->dismiss();
    EXPECT_FALSE(sheet->hasWindow());
    EXPECT_EQ(sheet->presentingViewController(), nullptr);
    EXPECT_EQ(sheet->calls.last(), QStringLiteral("viewDidDisappear hidden"));
    window.close();
}
