#include "launcher/AppDelegate.h"

#include "platform/Log.h"

#include <gtest/gtest.h>

using vantel::VantelLauncher::AppDelegate;
namespace Log = vantel::platform::Log;

namespace {

// Records what the launcher asked of the system.
struct FakeSystem {
    bool running = false;
    bool launchSucceeds = true;
    QStringList launched;
    QList<int> exits;

    AppDelegate::Environment environment(const QString& ownBundlePath)
    {
        return {ownBundlePath, [this] { return running; },
                [this](const QString& path) {
                    launched.append(path);
                    return launchSucceeds;
                },
                [this](int code) { exits.append(code); }, {}};
    }
};

} // namespace

TEST(LauncherAppDelegate, DerivesTheApplicationFromTheFourthAncestor)
{
    EXPECT_EQ(AppDelegate::mainApplicationPath("/Applications/X.app/Contents/Library/LoginItems/L.app"),
              "/Applications/X.app");
    EXPECT_EQ(AppDelegate::mainApplicationPath("//Applications//X.app/Contents/Library//LoginItems/L.app///"),
              "/Applications/X.app");
    EXPECT_EQ(AppDelegate::mainApplicationPath("/opt/My Apps/Vantel.app/Contents/Library/LoginItems/VantelLauncher.app"),
              "/opt/My Apps/Vantel.app");
    // Exactly four pieces leave the root; fewer cannot be derived.
    EXPECT_EQ(AppDelegate::mainApplicationPath("/Contents/Library/LoginItems/L.app"), "/");
    EXPECT_EQ(AppDelegate::mainApplicationPath("/Library/LoginItems/L.app"), std::nullopt);
    EXPECT_EQ(AppDelegate::mainApplicationPath("///"), std::nullopt);
    EXPECT_EQ(AppDelegate::mainApplicationPath(""), std::nullopt);
}

TEST(LauncherAppDelegate, LaunchesTheApplicationWhenItDoesNotRunAndQuits)
{
    Log::CaptureSink sink;
    FakeSystem system;
    AppDelegate delegate(system.environment("/a/Vantel.app/Contents/Library/LoginItems/VantelLauncher.app"));
    delegate.applicationDidFinishLaunching();

    EXPECT_EQ(system.launched, QStringList{"/a/Vantel.app"});
    EXPECT_EQ(system.exits, QList<int>{0});
    // Written even though debug logging is off.
    EXPECT_FALSE(Log::debugLogging());
    EXPECT_EQ(sink.messages(), QStringList({"VantelLauncher was successfully launched",
                                            "mainAppIdentifier was set to: net.tarnwick.vantel",
                                            "Trying to launch /a/Vantel.app"}));
    EXPECT_EQ(sink.records().at(0).category, "general");
}

TEST(LauncherAppDelegate, DoesNotLaunchASecondInstance)
{
    Log::CaptureSink sink;
    FakeSystem system;
    system.running = true;
    AppDelegate delegate(system.environment("/a/Vantel.app/Contents/Library/LoginItems/VantelLauncher.app"));
    delegate.applicationDidFinishLaunching();

    EXPECT_TRUE(system.launched.isEmpty());
    EXPECT_EQ(system.exits, QList<int>{0});
    ASSERT_EQ(sink.records().size(), 3);
    EXPECT_EQ(sink.records().at(2).type, vantel::platform::LogType::Error);
    EXPECT_TRUE(sink.messages().at(2).contains("already running"));
}

TEST(LauncherAppDelegate, AFailedLaunchIsLoggedAndTheLauncherQuitsAllTheSame)
{
    Log::CaptureSink sink;
    FakeSystem system;
    system.launchSucceeds = false;
    AppDelegate delegate(system.environment("/a/Vantel.app/Contents/Library/LoginItems/VantelLauncher.app"));
    delegate.launchMainApplication();
    EXPECT_EQ(system.launched.size(), 1);
    EXPECT_EQ(system.exits, QList<int>{1});
    EXPECT_EQ(sink.messages().last(), "Failed to launch the application");
    EXPECT_EQ(sink.records().last().type, vantel::platform::LogType::Error);

    // Too short a path: nothing is launched.
    FakeSystem shallow;
    AppDelegate lost(shallow.environment("/LoginItems/L.app"));
    lost.launchMainApplication();
    EXPECT_TRUE(shallow.launched.isEmpty());
    EXPECT_EQ(shallow.exits, QList<int>{1});

    sink.clear();
    lost.applicationWillTerminate();
    EXPECT_EQ(sink.messages(), QStringList{"Quit the launcher ..."});
}

TEST(LauncherAppDelegate, AnInstalledLauncherStartsTheProgramOfItsOwnPrefix)
{
    Log::CaptureSink sink;
    FakeSystem system;
    AppDelegate::Environment environment = system.environment("/opt/my apps/vantel");
    environment.installPrefix = "/opt/my apps/vantel";
    AppDelegate delegate(environment);
    delegate.applicationDidFinishLaunching();
    // Not the fourth ancestor of the prefix: the installed program.
    EXPECT_EQ(system.launched, QStringList{"/opt/my apps/vantel/bin/vantel"});
    EXPECT_EQ(system.exits, QList<int>{0});
    EXPECT_TRUE(sink.messages().contains("Trying to launch /opt/my apps/vantel/bin/vantel"));

    EXPECT_EQ(AppDelegate::installedApplicationPath("/usr"), "/usr/bin/vantel");
    EXPECT_EQ(AppDelegate::installedApplicationPath("/"), "/bin/vantel");
    EXPECT_EQ(AppDelegate::installedApplicationPath("/usr/local/"), "/usr/local/bin/vantel");
}
