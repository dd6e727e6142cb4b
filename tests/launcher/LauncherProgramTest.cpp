// The built launcher, copied into a bundle of its own beside a stand-in
// application, run as the session would run it.
#include "platform/SingleInstance.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>

using vantel::platform::SingleInstance;
using namespace std::chrono_literals;

namespace {

const QString kBuiltLauncher =
    QStringLiteral(VANTEL_BUNDLE_DIR "/Library/LoginItems/VantelLauncher.app/Contents/MacOS/VantelLauncher");

bool writeFile(const QString& path, const QByteArray& data, bool executable = false)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
        return false;
    file.close();
    return !executable || file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
}

QByteArray infoPlist(const QByteArray& identifier, const QByteArray& executable)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
           "<key>CFBundleIdentifier</key><string>" + identifier + "</string>"
           "<key>CFBundleExecutable</key><string>" + executable + "</string></dict></plist>\n";
}

class LauncherProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFileInfo(kBuiltLauncher).isExecutable()) << "build VantelLauncher first";
        root_ = vantel::test::makeTempDir("launcher") + "/My Apps";
        app_ = root_ + "/Vantel.app";
        marker_ = root_ + "/started";
        runtime_ = vantel::test::makeTempDir("runtime");
        QFile::setPermissions(runtime_, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

        ASSERT_TRUE(writeFile(app_ + "/Contents/Info.plist", infoPlist("net.tarnwick.vantel", "Vantel")));
        // The stand-in notes its arguments and working folder.
        ASSERT_TRUE(writeFile(app_ + "/Contents/MacOS/Vantel",
                              "#!/bin/sh\nprintf '%s|%s' \"$#\" \"$PWD\" > '" + marker_.toUtf8() + "'\n", true));
        const QString launcherBundle = app_ + "/Contents/Library/LoginItems/VantelLauncher.app";
        ASSERT_TRUE(writeFile(launcherBundle + "/Contents/Info.plist",
                              infoPlist("net.tarnwick.vantelLauncher", "VantelLauncher")));
        launcher_ = launcherBundle + "/Contents/MacOS/VantelLauncher";
        QDir().mkpath(QFileInfo(launcher_).absolutePath());
        ASSERT_TRUE(QFile::copy(kBuiltLauncher, launcher_));
    }

    // Runs the launcher while this thread keeps serving the socket.
    void run()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_RUNTIME_DIR", runtime_);
        process_.setProcessEnvironment(environment);
        process_.start(launcher_, {});
        ASSERT_TRUE(process_.waitForStarted(int(vantel::test::longWait.count())));
        ASSERT_TRUE(vantel::test::waitUntil([&] { return process_.state() == QProcess::NotRunning; }));
        stderr_ = QString::fromUtf8(process_.readAllStandardError());
    }

    QString root_, app_, marker_, runtime_, launcher_, stderr_;
    QProcess process_;
};

} // namespace

TEST_F(LauncherProgram, StartsTheApplicationAboveItAndQuits)
{
    run();
    EXPECT_EQ(process_.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process_.exitCode(), 0) << stderr_.toStdString();
    ASSERT_TRUE(vantel::test::waitUntil([&] { return QFileInfo(marker_).size() > 0; }));
    QFile marker(marker_);
    ASSERT_TRUE(marker.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(marker.readAll()), "0|" + QDir::homePath());

    if (!QFileInfo::exists("/run/systemd/journal/socket")) {
        EXPECT_TRUE(stderr_.contains("VantelLauncher was successfully launched")) << stderr_.toStdString();
        EXPECT_TRUE(stderr_.contains("mainAppIdentifier was set to: net.tarnwick.vantel"));
        EXPECT_TRUE(stderr_.contains("Trying to launch " + app_)) << stderr_.toStdString();
        EXPECT_TRUE(stderr_.contains("Quit the launcher ..."));
    }
}

TEST_F(LauncherProgram, LeavesARunningInstanceAlone)
{
    SingleInstance running(runtime_ + "/net.tarnwick.vantel.socket");
    ASSERT_EQ(running.listen(), SingleInstance::ListenResult::Listening);
    QSignalSpy pings(&running, &SingleInstance::pingReceived);

    run();
    EXPECT_EQ(process_.exitCode(), 0) << stderr_.toStdString();
    EXPECT_EQ(pings.size(), 1);
    vantel::test::spinEventLoop(200ms);
    EXPECT_FALSE(QFileInfo::exists(marker_));
    if (!QFileInfo::exists("/run/systemd/journal/socket")) {
        EXPECT_TRUE(stderr_.contains("already running")) << stderr_.toStdString();
    }
}

TEST_F(LauncherProgram, AnApplicationThatCannotStartIsLoggedAndTheLauncherQuits)
{
    ASSERT_TRUE(QFile::remove(app_ + "/Contents/MacOS/Vantel"));
    run();
    EXPECT_EQ(process_.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process_.exitCode(), 1);
    if (!QFileInfo::exists("/run/systemd/journal/socket")) {
        EXPECT_TRUE(stderr_.contains("Failed to launch the application")) << stderr_.toStdString();
    }
}
