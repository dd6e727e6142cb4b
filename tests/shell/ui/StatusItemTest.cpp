#include "hotkeys/Key.h"
#include "hotkeys/KeyCombo.h"
#include "hotkeys/ModifierFlags.h"
#include "platform/Log.h"
#include "shell/AppDelegate.h"
#include "shell/VantelManager.h"
#include "shell/VantelWindowEnum.h"
#include "shell/ui/MenuManager.h"
#include "shell/ui/StatusItem.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QMenu>
#include <QMessageBox>
#include <QTest>

namespace vantel {
namespace {

class OpenWindow : public WindowController {
public:
    std::shared_ptr<ViewController> contentViewController() const override { return nullptr; }
    void showWindow(bool) override { open = true; }
    bool isWindowOpen() const override { return open; }
    void close() override { open = false; }
    bool open = false;
};

class StatusItemTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        AppDelegate::shared(); // its creation sets the log gate from the settings
        platform::Log::setDebugLogging(true);
        VantelManager::shared().setMainWindowActions([this] { ++shows; }, [this] { ++switches; });
    }
    void TearDown() override { VantelManager::shared().setMainWindowActions({}, {}); }

    platform::Log::CaptureSink sink;
    int shows = 0;
    int switches = 0;
};

TEST_F(StatusItemTest, LeftClickTogglesTheMainView)
{
    StatusItem item([] { return true; });
    ASSERT_TRUE(item.hasButton());
    item.statusBarButtonAction(StatusItem::Click::left);
    EXPECT_EQ(switches, 1);
    EXPECT_EQ(shows, 0);
    EXPECT_EQ(sink.messages(), (QStringList{"statusBarButtonAction detected", "statusBarButtonAction -> left click",
                                            "switchMainWindow in AppDelegate executed"}));
}

TEST_F(StatusItemTest, WithoutATrayTheUserIsToldOnceAndTheIconWaitsForOne)
{
    bool tray = false;
    AppDelegate::shared().config().setGlobalKeyCombo(
        KeyCombo::withCarbonModifiers(Key::space, ModifierFlags::carbonCommand | ModifierFlags::carbonOption));
    StatusItem item([&tray] { return tray; });
    // Set up all the same, so that a tray appearing later shows the icon.
    EXPECT_TRUE(item.hasButton());
    EXPECT_EQ(sink.messages().filter(QStringLiteral("No system tray")).size(), 1);
    item.setUpButton();
    EXPECT_EQ(item.noTrayNotice(), nullptr) << "told before the tray had time to appear";

    ASSERT_TRUE(QTest::qWaitFor([&item] { return item.noTrayNotice() && item.noTrayNotice()->isVisible(); },
                                StatusItem::noTrayNoticeDelayMilliseconds + 3000));
    auto* box = qobject_cast<QMessageBox*>(item.noTrayNotice());
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->text().contains(QStringLiteral("start Vantel again")));
    EXPECT_TRUE(box->text().contains(AppDelegate::shared().config().globalKeyCombo()->displayString()))
        << box->text().toStdString();
    EXPECT_FALSE(box->isModal());
    box->grab().save(QCoreApplication::applicationDirPath() + QStringLiteral("/output/no-tray-notice.png"));
    box->close();
    QTest::qWait(StatusItem::noTrayNoticeDelayMilliseconds + 500);
    EXPECT_EQ(sink.messages().filter(QStringLiteral("the user was told")).size(), 1) << "told twice";

    // The click still toggles the main view (a tray that came later).
    item.statusBarButtonAction(StatusItem::Click::left);
    EXPECT_EQ(switches, 1);
    AppDelegate::shared().config().setGlobalKeyCombo(std::nullopt);
}

TEST_F(StatusItemTest, WithATrayNothingIsSaid)
{
    StatusItem item([] { return true; });
    item.setUpButton();
    QTest::qWait(StatusItem::noTrayNoticeDelayMilliseconds + 300);
    EXPECT_EQ(item.noTrayNotice(), nullptr);
    EXPECT_TRUE(sink.messages().filter(QStringLiteral("No system tray")).isEmpty());
    EXPECT_TRUE(StatusItem::noTrayNoticeText(QString()).contains(QStringLiteral("window hotkey")));
}

TEST_F(StatusItemTest, OpeningTheMenuClosesTheMainViewAndRefillsTheMenu)
{
    // The manager's main window, shown.
    auto main = std::make_shared<OpenWindow>();
    VantelManager::shared().reset();
    VantelWindowEnum::registerWindowController(VantelWindowEnum::main, [main] { return main; });
    ASSERT_EQ(VantelManager::shared().windowControllerMain(), main);
    main->open = true;

    StatusItem item([] { return true; });
    item.setUpButton();
    QMenu* menu = MenuManager::shared().statusbarMenu();
    // The main menu took the items in the meantime.
    MenuManager::shared().getMainMenu();
    ASSERT_TRUE(menu->actions().isEmpty());

    emit menu->aboutToShow();
    EXPECT_FALSE(main->open);
    EXPECT_FALSE(menu->actions().isEmpty());
    EXPECT_TRUE(menu->actions().contains(MenuManager::shared().contextMenuQuitAppMenuItem));
    EXPECT_TRUE(sink.messages().contains(QStringLiteral("statusBarButtonAction -> right click")));
    EXPECT_EQ(switches, 0);

    VantelWindowEnum::registerWindowController(VantelWindowEnum::main, {});
    VantelManager::shared().reset();
}

} // namespace
} // namespace vantel
