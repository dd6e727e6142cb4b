#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <csignal>

namespace {

QString vantelExecutable()
{
    return QStringLiteral(VANTEL_BUNDLE_DIR "/MacOS/Vantel");
}

// The settings file in the throw-away home of this test process.
QString settingsPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + QStringLiteral("/Vantel/net.tarnwick.vantel.plist");
}

class ProgramLifecycle : public ::testing::TestWithParam<int> {};

TEST_P(ProgramLifecycle, QuitsCleanlyOnSignal)
{
    QFile::remove(settingsPath());
    QProcess vantel;
    vantel.setProcessChannelMode(QProcess::SeparateChannels);
    vantel.setReadChannel(QProcess::StandardError);
    vantel.start(vantelExecutable(), {});
    ASSERT_TRUE(vantel.waitForStarted(int(vantel::test::longWait.count()))) << vantel.errorString().toStdString();

    QByteArray err;
    while (!err.contains("is running") && vantel.waitForReadyRead(int(vantel::test::longWait.count())))
        err += vantel.readAllStandardError();
    ASSERT_TRUE(err.contains("is running")) << err.toStdString();

    ::kill(static_cast<pid_t>(vantel.processId()), GetParam());
    ASSERT_TRUE(vantel.waitForFinished(int(vantel::test::longWait.count())));
    err += vantel.readAllStandardError();
    EXPECT_EQ(vantel.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(vantel.exitCode(), 0);
    EXPECT_EQ(err.count(QStringLiteral("on signal %1").arg(GetParam()).toUtf8()), 1) << err.toStdString();
    // Work that ends with the program goes quietly.
    EXPECT_FALSE(err.contains("MainQueue:")) << err.toStdString();

    // The settings were saved, as a binary property list.
    QFile settings(settingsPath());
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly)) << settingsPath().toStdString();
    EXPECT_TRUE(settings.read(8).startsWith("bplist"));
}

INSTANTIATE_TEST_SUITE_P(Signals, ProgramLifecycle, ::testing::Values(SIGTERM, SIGINT));

} // namespace
