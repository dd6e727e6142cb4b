#include "shell/AutoLaunchManager.h"

#include "platform/Bundle.h"
#include "platform/DesktopEntry.h"
#include "platform/Log.h"
#include "platform/XdgPaths.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

using vantel::AutoLaunchManager;
namespace Log = vantel::platform::Log;

namespace {

// An executable called VantelLauncher in a folder of the given name.
QString makeLauncher(const QString& folderName)
{
    const QString folder = vantel::test::makeTempDir("bundle") + u'/' + folderName;
    QDir().mkpath(folder);
    const QString path = folder + "/VantelLauncher";
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("#!/bin/sh\n");
    file.close();
    file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
    return path;
}

void writeLoginItem(const QByteArray& contents)
{
    QDir().mkpath(vantel::platform::XdgPaths::autostartDir());
    QFile file(AutoLaunchManager::loginItemPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(contents);
}

class AutoLaunch : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString path = AutoLaunchManager::loginItemPath();
        QFileInfo(path).isDir() ? void(QDir(path).removeRecursively()) : void(QFile::remove(path));
    }
    void TearDown() override
    {
        Log::setDebugLogging(false);
        SetUp();
    }
};

} // namespace

TEST_F(AutoLaunch, NamesTheLoginItemAfterTheLauncher)
{
    EXPECT_EQ(AutoLaunchManager::launcherBundleIdentifier, "net.tarnwick.vantelLauncher");
    EXPECT_EQ(AutoLaunchManager::loginItemPath(),
              vantel::test::testHome() + "/config/autostart/net.tarnwick.vantelLauncher.desktop");
    EXPECT_EQ(AutoLaunchManager::launcherExecutablePath("/opt/Vantel.app"),
              "/opt/Vantel.app/Contents/Library/LoginItems/VantelLauncher.app/Contents/MacOS/VantelLauncher");
}

TEST_F(AutoLaunch, AnInstalledProgramRegistersTheLauncherOfItsPrefix)
{
    const QString prefix = vantel::test::makeTempDir("autolaunch-installed") + "/usr";
    QDir().mkpath(prefix + "/share/vantel");
    QDir().mkpath(prefix + "/libexec/vantel");
    QFile launcher(prefix + "/libexec/vantel/vantel-launcher");
    ASSERT_TRUE(launcher.open(QIODevice::WriteOnly));
    launcher.write("#!/bin/sh\n");
    launcher.close();
    launcher.setPermissions(launcher.permissions() | QFileDevice::ExeOwner);
    QDir().mkpath(prefix + "/bin");
    ASSERT_TRUE(QFile::copy(launcher.fileName(), prefix + "/bin/vantel"));

    const QString path =
        AutoLaunchManager::launcherExecutablePath(vantel::platform::Bundle::forExecutable(prefix + "/bin/vantel"));
    EXPECT_EQ(path, prefix + "/libexec/vantel/vantel-launcher");
    // The bundle's launcher for the build tree.
    EXPECT_EQ(AutoLaunchManager::launcherExecutablePath(
                  vantel::platform::Bundle::forExecutable(VANTEL_BUNDLE_DIR "/MacOS/Vantel")),
              QStringLiteral(VANTEL_BUNDLE_DIR "/Library/LoginItems/VantelLauncher.app/Contents/MacOS/VantelLauncher"));

    AutoLaunchManager::setLaunchAtLoginEnabled(true, path);
    EXPECT_TRUE(AutoLaunchManager::launchAtLoginEnabled());
    const auto entry = vantel::platform::DesktopEntry::load(AutoLaunchManager::loginItemPath());
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->execArguments(), QStringList{path});
    // Only the launcher's own names count: another program of the prefix does not.
    AutoLaunchManager::setLaunchAtLoginEnabled(false, path);
    AutoLaunchManager::setLaunchAtLoginEnabled(true, prefix + "/bin/vantel");
    EXPECT_FALSE(AutoLaunchManager::launchAtLoginEnabled());
}

TEST_F(AutoLaunch, SwitchingOnWritesAnEntryThatStartsTheLauncher)
{
    EXPECT_FALSE(AutoLaunchManager::launchAtLoginEnabled());
    // A path that needs every kind of quoting still starts the same file.
    const QString launcher = makeLauncher(R"(My "Apps" $HOME `x` \ 100% #1)");
    AutoLaunchManager::setLaunchAtLoginEnabled(true, launcher);
    EXPECT_TRUE(AutoLaunchManager::launchAtLoginEnabled());

    const auto entry = vantel::platform::DesktopEntry::load(AutoLaunchManager::loginItemPath());
    ASSERT_TRUE(entry.has_value());
    EXPECT_TRUE(entry->isApplication());
    EXPECT_TRUE(entry->noDisplay());
    const auto arguments = entry->execArguments();
    ASSERT_TRUE(arguments.has_value());
    ASSERT_EQ(arguments->size(), 1);
    EXPECT_EQ(QString(arguments->first()).replace("%%", "%"), launcher);

    // Written in one piece: nothing else is left in the folder.
    EXPECT_EQ(QDir(vantel::platform::XdgPaths::autostartDir()).entryList(QDir::Files | QDir::Hidden),
              QStringList{"net.tarnwick.vantelLauncher.desktop"});

    AutoLaunchManager::setLaunchAtLoginEnabled(false, launcher);
    EXPECT_FALSE(QFileInfo::exists(AutoLaunchManager::loginItemPath()));
    EXPECT_FALSE(AutoLaunchManager::launchAtLoginEnabled());
    AutoLaunchManager::setLaunchAtLoginEnabled(false, launcher); // already off: nothing to do
    EXPECT_FALSE(AutoLaunchManager::launchAtLoginEnabled());
}

TEST_F(AutoLaunch, ReadsWhatTheFileSaysNotWhatWasWritten)
{
    Log::CaptureSink sink;
    Log::setDebugLogging(true);
    // No launcher where it should be: nothing registered, the failure logged.
    AutoLaunchManager::setLaunchAtLoginEnabled(true, vantel::test::testHome() + "/nowhere/VantelLauncher");
    EXPECT_FALSE(AutoLaunchManager::launchAtLoginEnabled());
    EXPECT_FALSE(QFileInfo::exists(AutoLaunchManager::loginItemPath()));
    EXPECT_TRUE(sink.messages().contains("SMLoginItemSetEnabled failed!"));
    // The test program lies in no bundle, so its own launcher is missing too.
    sink.clear();
    AutoLaunchManager::setLaunchAtLoginEnabled(true);
    EXPECT_FALSE(AutoLaunchManager::launchAtLoginEnabled());
    EXPECT_TRUE(sink.messages().contains("SMLoginItemSetEnabled failed!"));

    // A launcher that goes away later turns the switch off.
    const QString launcher = makeLauncher("gone");
    AutoLaunchManager::setLaunchAtLoginEnabled(true, launcher);
    EXPECT_TRUE(AutoLaunchManager::launchAtLoginEnabled());
    QFile::remove(launcher);
    EXPECT_FALSE(AutoLaunchManager::launchAtLoginEnabled());
}

TEST_F(AutoLaunch, AnyMissingOrWrongPieceReadsOff)
{
    const QByteArray exec = "Exec=" + makeLauncher("ok").toUtf8() + "\n";
    const QByteArray head = "[Desktop Entry]\nType=Application\nName=Vantel\n";
    writeLoginItem(head + exec);
    EXPECT_TRUE(AutoLaunchManager::launchAtLoginEnabled());

    const QList<QByteArray> off = {
        head + exec + "Hidden=true\n",
        head + exec + "X-GNOME-Autostart-enabled=false\n",
        "[Desktop Entry]\nType=Link\nName=Vantel\n" + exec,
        head,
        head + "Exec=\n",
        head + "Exec=/bin/sh\n",
        head + "Exec=VantelLauncher\n",
        head + "Exec=\"/unterminated\n",
        "garbage without a group\n" + exec,
        QByteArray(),
    };
    for (const QByteArray& contents : off) {
        writeLoginItem(contents);
        EXPECT_FALSE(AutoLaunchManager::launchAtLoginEnabled()) << contents.toStdString();
    }
}

TEST_F(AutoLaunch, AFailedWriteIsLoggedAndReadsOff)
{
    // Something that is not a file sits where the entry goes.
    QDir().mkpath(AutoLaunchManager::loginItemPath() + "/inside");
    Log::CaptureSink sink;
    Log::setDebugLogging(true);
    EXPECT_FALSE(AutoLaunchManager::setLaunchAtLoginEnabled(true, makeLauncher("blocked")).isEmpty());
    EXPECT_FALSE(AutoLaunchManager::launchAtLoginEnabled());
    EXPECT_TRUE(sink.messages().contains("SMLoginItemSetEnabled failed!"));

    sink.clear();
    AutoLaunchManager::setLaunchAtLoginEnabled(false);
    EXPECT_TRUE(sink.messages().contains("SMLoginItemSetEnabled failed!"));
    EXPECT_TRUE(QFileInfo(AutoLaunchManager::loginItemPath()).isDir()); // nothing of the user's removed
}

TEST_F(AutoLaunch, ALauncherPathWithALineBreakWritesNoEntry)
{
    // A second Exec= line would be what the session runs at log-in.
    const QString launcher = makeLauncher("a\nExec=/bin/touch /tmp/owned\n");
    ASSERT_TRUE(QFileInfo(launcher).isExecutable());
    EXPECT_FALSE(AutoLaunchManager::setLaunchAtLoginEnabled(true, launcher).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(AutoLaunchManager::loginItemPath()));
    EXPECT_FALSE(AutoLaunchManager::launchAtLoginEnabled());

    // A path the quoting keeps whole is written and read back on.
    const QString odd = makeLauncher("it's $HOME \"100%\"");
    EXPECT_TRUE(AutoLaunchManager::setLaunchAtLoginEnabled(true, odd).isEmpty());
    EXPECT_TRUE(AutoLaunchManager::launchAtLoginEnabled());
}
