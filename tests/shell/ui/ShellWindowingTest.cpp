#include "shell/ui/DefaultVantelViewController.h"
#include "shell/ui/DefaultVantelWindowController.h"
#include "shell/ui/MainPopover.h"
#include "shell/ui/ShellWindowing.h"

#include "platform/Log.h"
#include "platform/ui/UiCatalog.h"
#include "platform/ui/UiTestSupport.h"
#include "shell/AppDelegate.h"
#include "model/MainViewController.h"
#include "shell/VantelManager.h"
#include "shell/WindowSystem.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSplitter>
#include <QTest>
#include <QVBoxLayout>

using namespace vantel;
using State = defaultVantelMainViewControllerState;

namespace {

// A stand-in for the main view: a search field over a sidebar and a list.
class TestMainViewController : public DefaultVantelViewController, public MainViewController {
public:
    int modifierClears = 0;

    bool modifierFlagsContainOptionKey() const override { return false; }
    bool hasSectionView() const override { return true; }
    bool selectItemWithTagName(const QString&) override { return false; }
    bool selectItemWithSelectionType(int) override { return false; }
    void updateMainTableView() override {}
    void clearModifierFlags() override { ++modifierClears; }

protected:
    QWidget* loadView() override
    {
        auto* view = new QWidget();
        auto* layout = new QVBoxLayout(view);
        auto* search = new QLineEdit();
        search->setPlaceholderText(QStringLiteral("Search"));
        layout->addWidget(search);
        auto* split = new QSplitter();
        auto* sidebar = new QListWidget();
        sidebar->addItems({QStringLiteral("Applications"), QStringLiteral("Folders"), QStringLiteral("Favorites")});
        auto* list = new QListWidget();
        list->addItems({QStringLiteral("Terminal"), QStringLiteral("Text Editor"), QStringLiteral("Files")});
        split->addWidget(sidebar);
        split->addWidget(list);
        split->setSizes({180, 500});
        layout->addWidget(split);
        return view;
    }
};

class InfoViewController : public DefaultVantelViewController {
protected:
    QWidget* loadView() override
    {
        auto* label = new QLabel(QStringLiteral("About this launcher"));
        label->setMinimumSize(320, 200);
        label->setAlignment(Qt::AlignCenter);
        return label;
    }
};

class ShellWindowingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        VantelWindowEnum::reset();
        ShellWindowing::install();
        AppDelegate::shared().config().setDebugLogging(true);
        Configuration& config = AppDelegate::shared().config();
        config.setWindowViewStyle(0);
        config.setMainWindowWidth(MainWindowWidth::with700);
        config.setMainWindowHeight(MainWindowHeight::height70);
        platform::UiCatalog::main().registerFactory(QStringLiteral("Main"), QStringLiteral("MainViewController"), [this] {
            mainView = std::make_shared<TestMainViewController>();
            return mainView;
        });
        platform::UiCatalog::main().registerFactory(QStringLiteral("DialogInfo"),
                                                    QStringLiteral("ConfigWindowControllerInfo"), [] {
            auto controller = std::make_shared<DefaultVantelWindowController>();
            controller->setContentViewController(std::make_shared<InfoViewController>());
            return controller;
        });
        platform::UiCatalog::main().registerFactory(QStringLiteral("ConfigSettings"),
                                                    QStringLiteral("ConfigWindowControllerGeneral"),
                                                    [] { return std::make_shared<DefaultVantelWindowController>(); });
        // The pointer and the tray icon on the right-hand screen.
        screens.provider().setPointerPosition(QPoint(2400, 500));
        manager().setStatusItemAnchorProvider([] { return QRect(3100, 4, 22, 22); });
    }

    void TearDown() override
    {
        manager().closeWindows();
        VantelWindowEnum::reset();
        platform::UiCatalog::main().clear();
        WindowSystem::setShared(nullptr);
        AppDelegate::shared().config().setDebugLogging(false);
        test::spinEventLoop(std::chrono::milliseconds(0));
    }

    VantelManager& manager() { return VantelManager::shared(); }
    platform::PopoverHost* popoverHost()
    {
        auto popover = std::dynamic_pointer_cast<MainPopover>(manager().popover());
        return popover ? popover->host() : nullptr;
    }
    QWidget* mainWindow()
    {
        auto controller = std::dynamic_pointer_cast<DefaultVantelWindowController>(manager().windowControllerMain());
        return controller ? controller->window() : nullptr;
    }

    test::TwoScreens screens;
    std::shared_ptr<TestMainViewController> mainView;
    platform::Log::CaptureSink logs;
};

} // namespace

TEST_F(ShellWindowingTest, TheMainViewTogglesInAPopoverUnderTheTrayIcon)
{
    manager().switchMainWindow();
    // Shown, and known to be, as soon as the call returns.
    EXPECT_EQ(manager().mainWindowState(), VantelManager::Popover);
    ASSERT_TRUE(mainView);
    EXPECT_EQ(mainView->currentState(), State::viewDidAppear);
    platform::PopoverHost* host = popoverHost();
    ASSERT_TRUE(host);
    EXPECT_TRUE(host->isVisible());
    EXPECT_EQ(mainView->view()->window(), host);
    // 700 x 70 % of 1080, plus the border; under the icon, inside the screen.
    EXPECT_EQ(host->size(), QSize(702, 758));
    EXPECT_EQ(host->geometry().top(), 30);
    // Centred under the icon it would stick out: it ends at the screen's edge.
    EXPECT_EQ(host->geometry().right(), 3199);

    manager().switchMainWindow();
    EXPECT_FALSE(host->isVisible());
    EXPECT_EQ(mainView->currentState(), State::viewWillDisappear);
    EXPECT_EQ(manager().mainWindowState(), VantelManager::NotYetAppeared);
}

TEST_F(ShellWindowingTest, APressElsewhereOrFocusLossClosesThePopover)
{
    QWidget elsewhere;
    elsewhere.setGeometry(100, 100, 200, 100);
    elsewhere.show();

    manager().mainWindowShow();
    ASSERT_EQ(manager().mainWindowState(), VantelManager::Popover);
    QTest::mouseClick(&elsewhere, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(manager().mainWindowState(), VantelManager::NotYetAppeared);
    QStringList lines = logs.messages();
    EXPECT_TRUE(lines.contains(QStringLiteral("popoverShouldClose")));

    manager().mainWindowShow();
    manager().applicationLostFocus();
    EXPECT_FALSE(popoverHost()->isVisible());
    EXPECT_EQ(mainView->modifierClears, 1);
}

TEST_F(ShellWindowingTest, ADetachedPopoverStaysUntilTheSwitchClosesIt)
{
    manager().mainWindowShow();
    platform::PopoverHost* host = popoverHost();
    ASSERT_TRUE(host);
    // The user drags the popover's background off.
    QTest::mousePress(host, Qt::LeftButton, {}, QPoint(1, 1));
    QTest::mouseMove(host, QPoint(80, 80));
    QTest::mouseRelease(host, Qt::LeftButton, {}, QPoint(80, 80));
    EXPECT_EQ(manager().mainWindowState(), VantelManager::DetachedPopover);
    const QStringList lines = logs.messages();
    EXPECT_TRUE(lines.contains(QStringLiteral("popoverShouldDetach")));
    EXPECT_TRUE(lines.contains(QStringLiteral("popoverDidDetach")));
    EXPECT_TRUE(host->windowFlags().testFlag(Qt::WindowCloseButtonHint));

    manager().applicationLostFocus();
    platform::NotificationCenter::defaultCenter().post(QStringLiteral("executeTableviewItem"));
    EXPECT_EQ(manager().mainWindowState(), VantelManager::DetachedPopover);

    manager().switchMainWindow();
    EXPECT_FALSE(host->isVisible());
    // Shown again, it is a transient popover once more.
    manager().switchMainWindow();
    EXPECT_EQ(manager().mainWindowState(), VantelManager::Popover);
    EXPECT_EQ(host->behavior(), platform::PopoverHost::Behavior::transient);
}

TEST_F(ShellWindowingTest, TheWindowStyleCentresAWindowAndTheViewMovesBetweenHosts)
{
    AppDelegate::shared().config().setWindowViewStyle(1);
    manager().mainWindowShow();
    ASSERT_EQ(manager().mainWindowState(), VantelManager::Window);
    QWidget* window = mainWindow();
    ASSERT_TRUE(window);
    EXPECT_EQ(window->geometry(), QRect(1280 + 610, 162, 700, 756));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(mainView->view()->window(), window);
    manager().closeMainWindow();
    EXPECT_FALSE(window->isVisible());

    AppDelegate::shared().config().setWindowViewStyle(0);
    manager().mainWindowShow();
    EXPECT_EQ(mainView->view()->window(), popoverHost());
    EXPECT_FALSE(window->isAncestorOf(mainView->view()));
    manager().closeMainWindow();

    // With the pointer on the other screen than the tray icon: a window.
    screens.provider().setPointerPosition(QPoint(600, 400));
    manager().mainWindowShow();
    EXPECT_EQ(manager().mainWindowState(), VantelManager::Window);
    EXPECT_EQ(window->geometry(), QRect(290, 120, 700, 560));
    EXPECT_EQ(mainView->view()->window(), window);
    EXPECT_TRUE(popoverHost()->findChildren<QWidget*>().isEmpty() || !popoverHost()->isAncestorOf(mainView->view()));
}

TEST_F(ShellWindowingTest, CatalogueWindowsAreListedAndForgottenWhenClosed)
{
    auto info = std::dynamic_pointer_cast<DefaultVantelWindowController>(
        VantelWindowEnum::openWindow(false, VantelWindowEnum::info));
    ASSERT_TRUE(info);
    EXPECT_TRUE(info->window()->isVisible());
    EXPECT_EQ(VantelManager::visibleWindowTypes(), QList<VantelWindowEnum::Kind>{VantelWindowEnum::info});
    // The same kind again: the same window.
    EXPECT_EQ(VantelWindowEnum::openWindow(false, VantelWindowEnum::info), info);

    manager().mainWindowShow();
    EXPECT_EQ(VantelManager::visibleWindowTypes(),
              (QList<VantelWindowEnum::Kind>{VantelWindowEnum::info, VantelWindowEnum::main}));

    logs.clear();
    // The user closes it with its title bar's button.
    info->window()->close();
    EXPECT_TRUE(logs.messages().contains(QStringLiteral("windowWillClose called")));
    EXPECT_TRUE(logs.messages().contains(QStringLiteral("removeWindowController: info")));
    EXPECT_FALSE(VantelWindowEnum::windowController(VantelWindowEnum::info));
    // Released by the event loop, after its close finished.
    std::weak_ptr<DefaultVantelWindowController> gone = info;
    info.reset();
    EXPECT_TRUE(test::waitUntil([&] { return gone.expired(); }));

    const auto again = VantelWindowEnum::openWindow(false, VantelWindowEnum::info);
    ASSERT_TRUE(again);
    manager().closeWindows();
    EXPECT_FALSE(again->isWindowOpen());
    EXPECT_EQ(manager().mainWindowState(), VantelManager::NotYetAppeared);
}

TEST_F(ShellWindowingTest, ModalPanelsAndBlockingWindowsKeepTheMainViewClosed)
{
    QDialog panel;
    panel.setWindowModality(Qt::ApplicationModal);
    panel.show();
    manager().mainWindowShow();
    EXPECT_LT(manager().mainWindowState(), VantelManager::Popover);
    EXPECT_TRUE(logs.messages().contains(QStringLiteral("Tried to open Window, but there's currently a modal Window open")));
    panel.close();

    const auto settings = VantelWindowEnum::openWindow(false, VantelWindowEnum::settings);
    ASSERT_TRUE(settings);
    manager().mainWindowShow();
    EXPECT_LT(manager().mainWindowState(), VantelManager::Popover);
    EXPECT_FALSE(VantelWindowEnum::canOpenWindow(VantelWindowEnum::config));
    EXPECT_TRUE(VantelWindowEnum::canOpenWindow(VantelWindowEnum::info));
    settings->close();
    manager().mainWindowShow();
    EXPECT_EQ(manager().mainWindowState(), VantelManager::Popover);
}

TEST_F(ShellWindowingTest, PicturesOfBothHosts)
{
    AppDelegate::shared().config().setMainWindowWidth(MainWindowWidth::with550);
    AppDelegate::shared().config().setMainWindowHeight(MainWindowHeight::height50);
    manager().mainWindowShow();
    platform::PopoverHost* host = popoverHost();
    ASSERT_TRUE(host);
    EXPECT_TRUE(host->grab().save(test::outputFolder() + QStringLiteral("/main-popover.png")));
    manager().closeMainWindow();

    AppDelegate::shared().config().setWindowViewStyle(1);
    manager().mainWindowShow();
    ASSERT_TRUE(mainWindow());
    EXPECT_TRUE(mainWindow()->grab().save(test::outputFolder() + QStringLiteral("/main-window.png")));
}
