#include "shell/ui/DefaultVantelViewController.h"
#include "shell/ui/DefaultVantelWindowController.h"

#include "platform/NotificationCenter.h"
#include "platform/ui/UiTestSupport.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QTimer>
#include <QVariant>

using namespace vantel;
using State = defaultVantelMainViewControllerState;

TEST(DefaultVantelWindowControllerTest, ShowsItsViewControllerAndTellsWhoseWindowCloses)
{
    auto content = std::make_shared<DefaultVantelViewController>();
    DefaultVantelWindowController controller;
    controller.windowKind = VantelWindowEnum::info;
    controller.setContentViewController(content);
    EXPECT_EQ(content->currentState(), State::viewDidLoad);
    EXPECT_FALSE(controller.isWindowOpen());

    controller.showWindow(false);
    EXPECT_TRUE(controller.isWindowOpen());
    EXPECT_EQ(content->currentState(), State::viewDidAppear);
    EXPECT_TRUE(content->hasWindow());

    WindowController* closing = nullptr;
    auto token = platform::NotificationCenter::defaultCenter().addObserver(
        platform::WindowHost::willCloseNotification, [&](const platform::Notification& note) {
            auto* window = std::any_cast<QObject*>(note.object);
            closing = dynamic_cast<WindowController*>(
                window->property(WindowController::windowControllerProperty).value<QObject*>());
        });
    controller.cancel();
    EXPECT_EQ(closing, &controller);
    ASSERT_TRUE(closing->windowKind.has_value());
    EXPECT_EQ(*closing->windowKind, VantelWindowEnum::info);
    EXPECT_FALSE(controller.isWindowOpen());
    EXPECT_EQ(content->currentState(), State::viewWillDisappear);
}

TEST(DefaultVantelWindowControllerTest, AModalRunReturnsWhenTheWindowCloses)
{
    DefaultVantelWindowController controller;
    controller.setContentViewController(std::make_shared<DefaultVantelViewController>());
    bool wasOpen = false;
    QTimer::singleShot(30, controller.window(), [&] {
        wasOpen = controller.isWindowOpen() && controller.window()->isRunningModal();
        controller.close();
    });
    controller.showWindow(true);
    EXPECT_TRUE(wasOpen);
    EXPECT_FALSE(controller.isWindowOpen());
    EXPECT_FALSE(controller.window()->isRunningModal());
}
