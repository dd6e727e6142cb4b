#include "ShellFakes.h"

#include "config/ExportImportManager.h"
#include "shell/AppDelegate.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace vantel;
using namespace vantel::test;
using Kind = VantelWindowEnum::Kind;

namespace {

class VantelWindowEnumTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        VantelWindowEnum::reset();
        WindowSystem::setShared(windows);
        for (Kind kind : VantelWindowEnum::allCases()) {
            if (kind == VantelWindowEnum::main)
                continue;
            VantelWindowEnum::registerWindowController(kind, [this, kind] {
                auto window = std::make_shared<FakeWindow>();
                made.append({kind, window});
                return window;
            });
        }
    }

    void TearDown() override
    {
        ExportImportManager::shared().setState(ExportImportManagerState::idle);
        VantelWindowEnum::reset();
        WindowSystem::setShared(nullptr);
        // Controllers the catalogue let go of are released by the event loop.
        test::spinEventLoop(std::chrono::milliseconds(0));
    }

    std::shared_ptr<FakeWindow> open(Kind kind)
    {
        return std::dynamic_pointer_cast<FakeWindow>(VantelWindowEnum::openWindow(false, kind));
    }

    std::shared_ptr<FakeWindowSystem> windows = std::make_shared<FakeWindowSystem>();
    QList<QPair<Kind, std::shared_ptr<FakeWindow>>> made;
    LogCapture logs;
};

} // namespace

TEST_F(VantelWindowEnumTest, TheTableOfKinds)
{
    const QStringList raw{"main", "config", "settings", "info", "firstRun", "tags", "versionHistory",
                          "addOrModifyURL", "versionedBackup", "hotkeyOverview"};
    ASSERT_EQ(VantelWindowEnum::allCases().size(), raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const Kind kind = VantelWindowEnum::allCases().at(i);
        EXPECT_EQ(VantelWindowEnum::name(kind), raw.at(i));
        EXPECT_EQ(VantelWindowEnum::fromRawValue(raw.at(i)), kind);
    }
    EXPECT_FALSE(VantelWindowEnum::fromRawValue(QStringLiteral("Main")).has_value());
    EXPECT_FALSE(VantelWindowEnum::fromRawValue(QStringLiteral("preferences")).has_value());
    EXPECT_FALSE(VantelWindowEnum::fromRawValue(QString()).has_value());

    EXPECT_EQ(VantelWindowEnum::getStoryBoardAsString(VantelWindowEnum::settings), QStringLiteral("ConfigSettings"));
    EXPECT_EQ(VantelWindowEnum::getWindowControllerIdentifier(VantelWindowEnum::settings),
              QStringLiteral("ConfigWindowControllerGeneral"));
    EXPECT_EQ(VantelWindowEnum::getViewControllerIdentifier(VantelWindowEnum::settings),
              QStringLiteral("ConfigTabViewController_Settings"));
    EXPECT_EQ(VantelWindowEnum::getStoryBoardAsString(VantelWindowEnum::versionedBackup),
              QStringLiteral("DialogVersionedBackup"));
    EXPECT_EQ(VantelWindowEnum::getWindowControllerIdentifier(VantelWindowEnum::firstRun),
              QStringLiteral("FirstRunWindowController"));
    EXPECT_EQ(VantelWindowEnum::getViewControllerIdentifier(VantelWindowEnum::hotkeyOverview),
              QStringLiteral("ConfigViewControllerHotkeyOverview"));

    QStringList blocking;
    QStringList guarded;
    for (Kind kind : VantelWindowEnum::allCases()) {
        if (VantelWindowEnum::isBlocking(kind))
            blocking << VantelWindowEnum::name(kind);
        if (VantelWindowEnum::isGuarded(kind))
            guarded << VantelWindowEnum::name(kind);
    }
    EXPECT_EQ(blocking, (QStringList{"config", "settings", "tags", "addOrModifyURL", "versionedBackup"}));
    EXPECT_EQ(guarded, (QStringList{"main", "config", "settings", "tags", "addOrModifyURL", "versionedBackup"}));
    EXPECT_EQ(VantelManager::modalVantelWindowTypes,
              (QList<Kind>{VantelWindowEnum::settings, VantelWindowEnum::config, VantelWindowEnum::tags,
                           VantelWindowEnum::addOrModifyURL, VantelWindowEnum::versionedBackup}));
}

TEST_F(VantelWindowEnumTest, OpeningAKindTwiceKeepsOneWindow)
{
    const auto first = open(VantelWindowEnum::info);
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->open);
    EXPECT_EQ(first->windowKind, VantelWindowEnum::info);
    EXPECT_TRUE(logs.contains(QStringLiteral("instantiateWindowController: info")));
    const int activations = windows->activations;

    const auto second = open(VantelWindowEnum::info);
    EXPECT_EQ(second, first);
    EXPECT_EQ(made.size(), 1);
    // Only activated: it was on screen already.
    EXPECT_EQ(first->shows, 1);
    EXPECT_EQ(windows->activations, activations + 1);

    // A hidden window of the kind is shown again.
    first->open = false;
    EXPECT_EQ(open(VantelWindowEnum::info), first);
    EXPECT_EQ(first->shows, 2);

    logs.clear();
    EXPECT_EQ(VantelWindowEnum::instantiateWindowController(VantelWindowEnum::info), first);
    EXPECT_EQ(logs.messages(),
              QStringList{QStringLiteral("instantiateWindowController: info - WindowController was already initialized!")});
}

TEST_F(VantelWindowEnumTest, AClosedKindOpensWithANewController)
{
    const auto first = open(VantelWindowEnum::versionHistory);
    ASSERT_TRUE(first);
    logs.clear();
    VantelWindowEnum::closeWindow(VantelWindowEnum::versionHistory);
    EXPECT_FALSE(first->open);
    EXPECT_FALSE(VantelWindowEnum::windowController(VantelWindowEnum::versionHistory));
    const QStringList closing = logs.messages();
    ASSERT_GE(closing.size(), 2);
    EXPECT_EQ(closing.first(), QStringLiteral("closeWindow: versionHistory"));
    EXPECT_TRUE(closing.contains(QStringLiteral("removeWindowController: versionHistory")));

    const auto second = open(VantelWindowEnum::versionHistory);
    ASSERT_TRUE(second);
    EXPECT_NE(second, first);

    // The user closing the window (not the catalogue) forgets it as well.
    logs.clear();
    second->close();
    EXPECT_EQ(logs.messages(), (QStringList{"windowWillClose called", "removeWindowController: versionHistory"}));
    EXPECT_FALSE(VantelWindowEnum::windowController(VantelWindowEnum::versionHistory));

    // A modal run goes to the controller.
    const auto modal = std::dynamic_pointer_cast<FakeWindow>(VantelWindowEnum::openWindow(true, VantelWindowEnum::tags));
    ASSERT_TRUE(modal);
    EXPECT_EQ(modal->modalRuns, 1);
    EXPECT_EQ(modal->shows, 0);
}

TEST_F(VantelWindowEnumTest, FailuresAnswerNoneAndAreLogged)
{
    VantelWindowEnum::registerWindowController(VantelWindowEnum::info, {});
    EXPECT_FALSE(VantelWindowEnum::openWindow(false, VantelWindowEnum::info));
    EXPECT_TRUE(logs.contains(QStringLiteral("instantiateWindowController failed: info")));
    EXPECT_FALSE(VantelWindowEnum::windowController(VantelWindowEnum::info));

    EXPECT_FALSE(VantelWindowEnum::getViewController(VantelWindowEnum::config));
    EXPECT_TRUE(logs.contains(QStringLiteral("getViewController failed: config")));

    // The interface loader stands in when no factory is registered; what it
    // makes of the wrong class is no controller.
    QStringList asked;
    VantelWindowEnum::setInterfaceLoader({
        [&](const QString& storyboard, const QString& identifier) -> std::shared_ptr<WindowController> {
            asked << storyboard + QLatin1Char('/') + identifier;
            return nullptr;
        },
        [&](const QString& storyboard, const QString& identifier) -> std::shared_ptr<ViewController> {
            asked << storyboard + QLatin1Char('/') + identifier;
            return std::make_shared<FakeMainView>();
        }});
    EXPECT_FALSE(VantelWindowEnum::openWindow(false, VantelWindowEnum::info));
    EXPECT_TRUE(VantelWindowEnum::getViewController(VantelWindowEnum::addOrModifyURL));
    EXPECT_EQ(asked, (QStringList{"DialogInfo/ConfigWindowControllerInfo",
                                  "DialogAddModifyURL/ConfigViewControllerAddModifyURL"}));
}

TEST_F(VantelWindowEnumTest, ABlockingWindowKeepsGuardedKindsClosed)
{
    ASSERT_TRUE(open(VantelWindowEnum::tags));
    logs.clear();
    const int activations = windows->activations;
    EXPECT_FALSE(VantelWindowEnum::canOpenWindow(VantelWindowEnum::settings));
    EXPECT_EQ(logs.messagesStartingWith(QStringLiteral("Tried")),
              QStringList{QStringLiteral("Tried to open Window, but there's currently another Window open")});
    EXPECT_EQ(windows->activations, activations + 1);
    EXPECT_TRUE(VantelWindowEnum::canOpenWindow(VantelWindowEnum::info));
    EXPECT_TRUE(VantelWindowEnum::canOpenWindow(VantelWindowEnum::hotkeyOverview));

    // A hidden blocking window blocks nothing.
    VantelWindowEnum::windowController(VantelWindowEnum::tags)->close();
    EXPECT_TRUE(VantelWindowEnum::canOpenWindow(VantelWindowEnum::settings));
}

TEST_F(VantelWindowEnumTest, EveryReasonToRefuseIsLoggedInOrder)
{
    ExportImportManager::shared().setState(ExportImportManagerState::exportRunning);
    EXPECT_FALSE(VantelWindowEnum::canOpenWindow(VantelWindowEnum::config));
    EXPECT_EQ(logs.messagesStartingWith(QStringLiteral("Tried")),
              QStringList{QStringLiteral("Tried to open Window, but there's currently an export or import running")});
    // The unguarded kinds still open; export refusals do not activate.
    EXPECT_EQ(windows->activations, 0);
    for (Kind kind : {VantelWindowEnum::info, VantelWindowEnum::versionHistory, VantelWindowEnum::hotkeyOverview,
                      VantelWindowEnum::firstRun})
        EXPECT_TRUE(VantelWindowEnum::canOpenWindow(kind)) << VantelWindowEnum::name(kind).toStdString();

    ASSERT_TRUE(open(VantelWindowEnum::versionedBackup));
    windows->modalPanel = true;
    logs.clear();
    EXPECT_FALSE(VantelWindowEnum::canOpenWindow(VantelWindowEnum::main));
    EXPECT_EQ(logs.messagesStartingWith(QStringLiteral("Tried")), (QStringList{"Tried to open Window, but there's currently a modal Window open",
                                            "Tried to open Window, but there's currently another Window open",
                                            "Tried to open Window, but there's currently an export or import running"}));
    ExportImportManager::shared().setState(ExportImportManagerState::importRunning);
    EXPECT_FALSE(VantelWindowEnum::canOpenWindow(VantelWindowEnum::addOrModifyURL));
}

TEST_F(VantelWindowEnumTest, TheMainKindGoesThroughTheManager)
{
    auto mainWindow = std::make_shared<FakeWindow>();
    VantelWindowEnum::registerWindowController(VantelWindowEnum::main, [mainWindow] { return mainWindow; });
    VantelWindowEnum::registerViewController(VantelWindowEnum::main, [] { return std::make_shared<FakeMainView>(); });
    AppDelegate::shared().config().setWindowViewStyle(1);
    EXPECT_FALSE(VantelWindowEnum::openWindow(false, VantelWindowEnum::main));
    EXPECT_TRUE(mainWindow->open);
    EXPECT_EQ(VantelManager::shared().mainWindowState(), VantelManager::Window);
    // Its registry entry stays when its window closes.
    VantelWindowEnum::closeWindow(VantelWindowEnum::main);
    EXPECT_FALSE(mainWindow->open);
    EXPECT_EQ(VantelWindowEnum::windowController(VantelWindowEnum::main), mainWindow);
    VantelWindowEnum::windowDidClose(VantelWindowEnum::main);
    EXPECT_EQ(VantelWindowEnum::windowController(VantelWindowEnum::main), mainWindow);
    AppDelegate::shared().config().setWindowViewStyle(0);
}
