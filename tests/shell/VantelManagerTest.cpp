#include "ShellFakes.h"

#include "config/ExportImportManager.h"
#include "shell/AppDelegate.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace vantel;
using namespace vantel::test;

namespace {

class VantelManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        VantelWindowEnum::reset();
        WindowSystem::setShared(windows);
        Configuration& config = AppDelegate::shared().config();
        config.setWindowViewStyle(0);
        config.setMainWindowWidth(MainWindowWidth::with700);
        config.setMainWindowHeight(MainWindowHeight::height70);
        config.setMainPopoverAnimated(false);
        VantelWindowEnum::registerWindowController(VantelWindowEnum::main, [this] { return mainWindow; });
        VantelWindowEnum::registerViewController(VantelWindowEnum::main, [this] { return mainView; });
    }

    void TearDown() override
    {
        AppDelegate::shared().config().setWindowViewStyle(0);
        VantelWindowEnum::reset();
        WindowSystem::setShared(nullptr);
        test::spinEventLoop(std::chrono::milliseconds(0));
    }

    VantelManager& manager() { return VantelManager::shared(); }
    FakePopover& popover() { return *windows->popover; }

    // The state with only its own log line.
    QString stateLine()
    {
        logs.clear();
        manager().mainWindowState();
        const QStringList lines = logs.messages();
        return lines.isEmpty() ? QString() : lines.last();
    }

    std::shared_ptr<FakeWindowSystem> windows = std::make_shared<FakeWindowSystem>();
    std::shared_ptr<FakeWindow> mainWindow = std::make_shared<FakeWindow>();
    std::shared_ptr<FakeMainView> mainView = std::make_shared<FakeMainView>();
    LogCapture logs;
};

} // namespace

TEST_F(VantelManagerTest, TheStatesAndTheirLogLines)
{
    EXPECT_EQ(manager().mainWindowState(), VantelManager::NotYetAppeared);
    EXPECT_EQ(stateLine(), QStringLiteral("currentState-Check for MainViewController -> ViewController is currently not visible"));

    manager().mainWindowShow();
    EXPECT_EQ(manager().mainWindowState(), VantelManager::Popover);
    EXPECT_EQ(stateLine(), QStringLiteral("isVisible-Check for MainWindow -> MainWindow is currently visible as Popover"));

    popover().detach();
    EXPECT_EQ(manager().mainWindowState(), VantelManager::DetachedPopover);
    EXPECT_EQ(stateLine(),
              QStringLiteral("isVisible-Check for MainWindow -> MainWindow is currently visible as detached Popover"));

    manager().closeMainWindow();
    // Gone, but a view that has gone stays in viewWillDisappear: state 1.
    EXPECT_EQ(manager().mainWindowState(), VantelManager::NotYetAppeared);

    AppDelegate::shared().config().setWindowViewStyle(1);
    manager().mainWindowShow();
    EXPECT_EQ(manager().mainWindowState(), VantelManager::Window);
    EXPECT_EQ(stateLine(), QStringLiteral("isVisible-Check for MainWindow -> MainWindow is currently visible as Window"));

    // Appeared, but neither host shows it (a host hid it behind our back).
    mainWindow->open = false;
    EXPECT_EQ(manager().mainWindowState(), VantelManager::NotVisible);
    EXPECT_EQ(stateLine(), QStringLiteral("isVisible-Check for MainWindow -> MainWindow is currently not visible"));
}

TEST_F(VantelManagerTest, WithoutAMainViewControllerNothingShowsAndItIsNotRetried)
{
    int made = 0;
    VantelWindowEnum::registerViewController(VantelWindowEnum::main, [&made] {
        ++made;
        return std::shared_ptr<ViewController>();
    });
    EXPECT_EQ(manager().mainWindowState(), VantelManager::NotCreated);
    EXPECT_TRUE(logs.contains(QStringLiteral("Failed to instantiate MainViewController")));
    EXPECT_TRUE(logs.contains(QStringLiteral("currentState-Check for MainViewController -> viewControllerMain is not instantiated!")));

    logs.clear();
    manager().applicationLostFocus();
    EXPECT_EQ(logs.messages().last(), QStringLiteral("applicationLostFocus - aborted because ViewController is not instantiated"));

    manager().switchMainWindow();
    EXPECT_TRUE(logs.contains(QStringLiteral("!! mainWindowShow -> viewControllerMain is invalid!")));
    EXPECT_FALSE(popover().shown);
    EXPECT_FALSE(mainWindow->open);
    EXPECT_EQ(made, 1);
}

TEST_F(VantelManagerTest, SwitchShowsThenCloses)
{
    manager().switchMainWindow();
    EXPECT_TRUE(popover().shown);
    EXPECT_TRUE(logs.contains(QStringLiteral("-> switchMainWindow")));
    EXPECT_TRUE(logs.contains(QStringLiteral("<- mainWindowShow")));
    manager().switchMainWindow();
    EXPECT_FALSE(popover().shown);
    EXPECT_TRUE(logs.contains(QStringLiteral("closeMainWindow -> close Popover")));

    // A detached popover is closed by the switch too.
    manager().switchMainWindow();
    popover().detach();
    manager().switchMainWindow();
    EXPECT_FALSE(popover().shown);

    AppDelegate::shared().config().setWindowViewStyle(1);
    manager().switchMainWindow();
    EXPECT_TRUE(mainWindow->open);
    manager().switchMainWindow();
    EXPECT_FALSE(mainWindow->open);
    EXPECT_TRUE(logs.contains(QStringLiteral("closeMainWindow -> close Window")));
}

TEST_F(VantelManagerTest, ThePopoverHangsUnderTheStatusItem)
{
    const QRect tray(1200, 4, 22, 22);
    manager().setStatusItemAnchorProvider([tray] { return tray; });
    AppDelegate::shared().config().setMainPopoverAnimated(true);
    manager().mainWindowShow();
    ASSERT_TRUE(popover().shown);
    EXPECT_EQ(popover().anchor, tray);
    EXPECT_EQ(popover().edge, 0);
    EXPECT_TRUE(popover().animates);
    EXPECT_TRUE(popover().transient);
    EXPECT_EQ(popover().content, std::static_pointer_cast<ViewController>(mainView));
    // 700 wide, 70 % of the 800-point screen.
    EXPECT_EQ(popover().contentSize, QSize(700, 560));
    EXPECT_EQ(manager().popover().get(), windows->popover.get());
    EXPECT_EQ(windows->popoversMade, 1);
    const QStringList lines = logs.messages();
    const qsizetype start = lines.indexOf(QStringLiteral("-> showMainWindowAsPopover"));
    ASSERT_GE(start, 0);
    EXPECT_EQ(lines.at(start + 1), QStringLiteral("   checking contentViewController"));
    EXPECT_TRUE(lines.at(start + 2).startsWith(QStringLiteral("   new assigned contentViewController: <MainViewController: 0x")));
    EXPECT_EQ(lines.at(start + 3), QStringLiteral("   Calculated Size: (700, 560)"));
    EXPECT_EQ(lines.at(start + 4), QStringLiteral("   Will show Popover relativ to: {{1200, 4}, {22, 22}}"));
    EXPECT_EQ(lines.at(start + 5), QStringLiteral("popoverWillShow"));
    EXPECT_EQ(lines.at(start + 6), QStringLiteral("popoverDidShow"));
    EXPECT_EQ(lines.last(), QStringLiteral("<- mainWindowShow"));

    // The second time the content is already in place.
    manager().closeMainWindow();
    logs.clear();
    manager().mainWindowShow();
    EXPECT_EQ(logs.messagesStartingWith(QStringLiteral("   assigned contentViewController: <MainViewController: 0x")).size(), 1);
    EXPECT_TRUE(logs.messagesStartingWith(QStringLiteral("   new assigned")).isEmpty());
}

TEST_F(VantelManagerTest, WithoutATrayRectangleThePopoverHangsAtThePointersScreenCorner)
{
    windows->pointer = QPoint(2000, 500);
    manager().mainWindowShow();
    ASSERT_TRUE(popover().shown);
    // The top-right corner of the right screen's free area.
    EXPECT_EQ(popover().anchor.topLeft(), QPoint(3199, 30));
    EXPECT_EQ(popover().contentSize, QSize(700, 756)); // 70 % of 1080

    // A tray that reports an empty rectangle counts as one that says nothing.
    manager().closeMainWindow();
    manager().setStatusItemAnchorProvider([] { return QRect(0, 0, 0, 0); });
    windows->pointer = QPoint(10, 700);
    manager().mainWindowShow();
    ASSERT_TRUE(popover().shown);
    EXPECT_EQ(popover().anchor.topLeft(), QPoint(1279, 30));
}

TEST_F(VantelManagerTest, APointerOnAnotherScreenThanTheTrayOpensACentredWindow)
{
    manager().setStatusItemAnchorProvider([] { return QRect(1200, 4, 22, 22); });
    windows->pointer = QPoint(2000, 500);
    AppDelegate::shared().config().setMainWindowWidth(MainWindowWidth::with550);
    AppDelegate::shared().config().setMainWindowHeight(MainWindowHeight::height55);
    manager().mainWindowShow();
    EXPECT_FALSE(popover().shown);
    ASSERT_TRUE(mainWindow->open);
    // 550 x ceil(1080 * 0.55 = 594), centred on the right screen.
    EXPECT_EQ(mainWindow->frame, QRect(1280 + 685, 243, 550, 594));
    EXPECT_EQ(mainWindow->content, std::static_pointer_cast<ViewController>(mainView));
    EXPECT_EQ(popover().content, nullptr);
    EXPECT_TRUE(logs.contains(QStringLiteral("Origin and Size: Screen: {{1280, 0}, {1920, 1080}}")));
    EXPECT_TRUE(logs.contains(QStringLiteral("Origin and Size: MainWindow: {{1965, 243}, {550, 594}}")));
    EXPECT_TRUE(logs.contains(QStringLiteral("Got Window from WindowController. Show the Window now ...")));

    // Back to the popover: the window lets go of the view first.
    manager().closeMainWindow();
    windows->pointer = QPoint(100, 100);
    manager().mainWindowShow();
    EXPECT_TRUE(popover().shown);
    EXPECT_EQ(mainWindow->content, nullptr);
    EXPECT_EQ(popover().content, std::static_pointer_cast<ViewController>(mainView));
}

// Under Wayland nothing can hang under the tray: the popup style opens the
// centred window, and brings the program to the front as always.
TEST_F(VantelManagerTest, WhereWindowsCannotBePlacedThePopupStyleOpensTheWindow)
{
    manager().setStatusItemAnchorProvider([] { return QRect(1200, 4, 22, 22); });
    windows->placesWindows = false;
    manager().mainWindowShow();
    EXPECT_FALSE(popover().shown);
    ASSERT_TRUE(mainWindow->open);
    EXPECT_EQ(mainWindow->content, std::static_pointer_cast<ViewController>(mainView));
    EXPECT_TRUE(logs.contains(QStringLiteral("-> showMainWindowAsWindow")));
    EXPECT_EQ(windows->activations, 1);
}

TEST_F(VantelManagerTest, SizesFollowTheSettings)
{
    Configuration& config = AppDelegate::shared().config();
    const QRect screen(0, 0, 1001, 777);
    const int widths[] = {550, 600, 650, 700, 750, 800};
    for (int i = 0; i < 6; ++i) {
        config.setMainWindowWidth(MainWindowWidth(i));
        EXPECT_EQ(VantelManager::mainViewSize(screen).width(), widths[i]);
    }
    for (int i = 0; i < 9; ++i) {
        config.setMainWindowHeight(MainWindowHeight(i));
        // Raised to the next whole point: 777 * 0.55 = 427.35 -> 428.
        EXPECT_EQ(VantelManager::mainViewSize(screen).height(), int(std::ceil(777.0 * (50 + 5 * i) / 100.0)));
    }
    config.setMainWindowWidth(MainWindowWidth::with600);
    config.setMainWindowHeight(MainWindowHeight::height50);
    // x = ceil((1001 - 600) / 2 = 200.5) = 201, y = ceil((777 - 388.5 -> 389) / 2 = 194) = 194
    EXPECT_EQ(VantelManager::mainWindowFrame(screen), QRect(201, 194, 600, 389));
    EXPECT_EQ(VantelManager::mainWindowFrame(QRect(-1001, 100, 1001, 777)).topLeft(), QPoint(-800, 294));
}

TEST_F(VantelManagerTest, TheViewNeverReachesPastTheFreeAreaOfItsScreen)
{
    // 1280 x 800 pixels at a scale factor of 2; the fake's panel takes 30 at the top.
    Configuration& config = AppDelegate::shared().config();
    config.setMainWindowWidth(MainWindowWidth::with700);
    config.setMainWindowHeight(MainWindowHeight::height90);
    const QRect small(0, 0, 640, 400);
    const QRect free(0, 30, 640, 370);
    EXPECT_EQ(VantelManager::mainViewSize(small), QSize(640, 360));
    EXPECT_TRUE(free.contains(VantelManager::mainWindowFrame(small))) ;

    config.setMainWindowHeight(MainWindowHeight::height50);
    const QRect tiny(100, 0, 500, 300);
    EXPECT_EQ(VantelManager::mainViewSize(tiny), QSize(500, 150));
    EXPECT_EQ(VantelManager::mainWindowFrame(tiny), QRect(100, 75, 500, 150));
}

TEST_F(VantelManagerTest, AnUnknownStyleShowsNothing)
{
    AppDelegate::shared().config().setWindowViewStyle(7);
    manager().mainWindowShow();
    EXPECT_FALSE(popover().shown);
    EXPECT_FALSE(mainWindow->open);
    EXPECT_TRUE(logs.contains(QStringLiteral("<- mainWindowShow")));
}

TEST_F(VantelManagerTest, FocusLossClosesPopoverAndWindowButNotADetachedPopover)
{
    manager().mainWindowShow();
    logs.clear();
    manager().applicationLostFocus();
    EXPECT_FALSE(popover().shown);
    EXPECT_TRUE(logs.contains(QStringLiteral("mainWindow is visible as popover - closing the mainWindow now ...")));
    EXPECT_EQ(mainView->modifierClears, 1);

    manager().mainWindowShow();
    popover().detach();
    EXPECT_FALSE(popover().transient);
    logs.clear();
    manager().applicationLostFocus();
    EXPECT_TRUE(popover().shown);
    EXPECT_EQ(logs.messages().last(),
              QStringLiteral("applicationLostFocus - aborted because MainWindow is currently a detached Popover"));
    // The modifier flags are cleared whatever the state.
    EXPECT_EQ(mainView->modifierClears, 2);
    manager().closeMainWindow();

    logs.clear();
    manager().applicationLostFocus();
    EXPECT_EQ(logs.messages().last(), QStringLiteral("applicationLostFocus - aborted because ViewController ist not visible"));

    AppDelegate::shared().config().setWindowViewStyle(1);
    manager().mainWindowShow();
    manager().applicationLostFocus();
    EXPECT_FALSE(mainWindow->open);
    EXPECT_TRUE(logs.contains(QStringLiteral("mainWindow is visible as Window - closing the mainWindow now ...")));
}

TEST_F(VantelManagerTest, AnOpenedEntryClosesTheMainViewLikeFocusLoss)
{
    manager().mainWindowShow();
    platform::NotificationCenter::defaultCenter().post(QStringLiteral("executeTableviewItem"));
    EXPECT_FALSE(popover().shown);

    manager().mainWindowShow();
    popover().detach();
    platform::NotificationCenter::defaultCenter().post(QStringLiteral("executeTableviewItem"));
    EXPECT_TRUE(popover().shown);
}

TEST_F(VantelManagerTest, NothingReentersWhileTheMainViewCloses)
{
    manager().mainWindowShow();
    // Hiding the host moves the focus, and the platform may report focus
    // loss (or a show request) before the close returned.
    popover().onClose = [this] {
        manager().applicationLostFocus();
        manager().mainWindowShow();
    };
    logs.clear();
    manager().closeMainWindow();
    EXPECT_TRUE(logs.contains(QStringLiteral("applicationLostFocus - aborted because MainWindow is already about to close")));
    EXPECT_TRUE(logs.contains(QStringLiteral("!! mainWindowShow -> MainWindow is about to close!")));
    EXPECT_FALSE(popover().shown);
    EXPECT_EQ(mainView->modifierClears, 0);
    popover().onClose = nullptr;
    // And the guard is down again afterwards.
    manager().mainWindowShow();
    EXPECT_TRUE(popover().shown);
}

TEST_F(VantelManagerTest, AVisibleMainViewOnlyActivates)
{
    manager().mainWindowShow();
    const int activations = windows->activations;
    logs.clear();
    manager().mainWindowShow();
    EXPECT_EQ(logs.messages().last(), QStringLiteral("!! mainWindowShow -> MainWindow is already visible!"));
    EXPECT_EQ(windows->activations, activations + 1);
}

TEST_F(VantelManagerTest, BlockingWindowsModalPanelsAndExportsKeepTheMainViewClosed)
{
    auto settings = std::make_shared<FakeWindow>();
    VantelWindowEnum::registerWindowController(VantelWindowEnum::settings, [settings] { return settings; });
    ASSERT_TRUE(VantelWindowEnum::openWindow(false, VantelWindowEnum::settings));
    logs.clear();
    const int activations = windows->activations;
    manager().mainWindowShow();
    EXPECT_FALSE(popover().shown);
    EXPECT_TRUE(logs.contains(QStringLiteral("!! mainWindowShow -> can't open Window!")));
    EXPECT_GT(windows->activations, activations);
    settings->close();

    windows->modalPanel = true;
    manager().mainWindowShow();
    EXPECT_FALSE(popover().shown);
    windows->modalPanel = false;

    ExportImportManager::shared().setState(ExportImportManagerState::exportRunning);
    manager().mainWindowShow();
    EXPECT_FALSE(popover().shown);
    ExportImportManager::shared().setState(ExportImportManagerState::idle);

    manager().mainWindowShow();
    EXPECT_TRUE(popover().shown);
}

TEST_F(VantelManagerTest, VisibleKindsAndCloseWindows)
{
    auto info = std::make_shared<FakeWindow>();
    auto tags = std::make_shared<FakeWindow>();
    VantelWindowEnum::registerWindowController(VantelWindowEnum::info, [info] { return info; });
    VantelWindowEnum::registerWindowController(VantelWindowEnum::tags, [tags] { return tags; });
    VantelWindowEnum::openWindow(false, VantelWindowEnum::info);
    VantelWindowEnum::openWindow(false, VantelWindowEnum::tags);
    EXPECT_EQ(VantelManager::visibleWindowTypes(),
              (QList<VantelWindowEnum::Kind>{VantelWindowEnum::info, VantelWindowEnum::tags}));

    // The main window controller's own kind is not listed as a window, but
    // as the main view once that is up.
    AppDelegate::shared().config().setWindowViewStyle(1);
    manager().mainWindowShow(); // refused: tags blocks
    EXPECT_FALSE(mainWindow->open);
    tags->close();
    manager().mainWindowShow();
    EXPECT_TRUE(mainWindow->open);
    EXPECT_EQ(VantelManager::visibleWindowTypes(),
              (QList<VantelWindowEnum::Kind>{VantelWindowEnum::info, VantelWindowEnum::main}));

    manager().closeWindows();
    EXPECT_FALSE(mainWindow->open);
    EXPECT_FALSE(info->open);
    EXPECT_TRUE(VantelManager::visibleWindowTypes().isEmpty());
    EXPECT_FALSE(VantelWindowEnum::windowController(VantelWindowEnum::info));
}
