#include <gtest/gtest.h>

#include <QProcess>

#include <csignal>

namespace {

QString vantelExecutable()
{
    return QStringLiteral(VANTEL_BUNDLE_DIR "/MacOS/Vantel");
}

class ProgramLifecycle : public ::testing::TestWithParam<int> {};

TEST_P(ProgramLifecycle, QuitsCleanlyOnSignal)
{
    QProcess vantel;
    vantel.setProcessChannelMode(QProcess::SeparateChannels);
    vantel.setReadChannel(QProcess::StandardError);
    vantel.start(vantelExecutable(), {});
    ASSERT_TRUE(vantel.waitForStarted(10000)) << vantel.errorString().toStdString();

    QByteArray err;
    while (!err.contains("is running") && vantel.waitForReadyRead(10000))
        err += vantel.readAllStandardError();
    ASSERT_TRUE(err.contains("is running")) << err.toStdString();

    ::kill(static_cast<pid_t>(vantel.processId()), GetParam());
    ASSERT_TRUE(vantel.waitForFinished(10000));
    err += vantel.readAllStandardError();
    EXPECT_EQ(vantel.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(vantel.exitCode(), 0);
    EXPECT_TRUE(err.contains(QStringLiteral("on signal %1").arg(GetParam()).toUtf8())) << err.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Signals, ProgramLifecycle, ::testing::Values(SIGTERM, SIGINT));

} // namespace
