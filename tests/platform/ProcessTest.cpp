#include "platform/Process.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>

#include <chrono>
#include <csignal>
#include <future>
#include <thread>

#include <cerrno>
#include <sys/wait.h>

using vantel::platform::Process;
using namespace std::chrono_literals;

TEST(Process, CollectsBothOutputsAndTheExitCode)
{
    const auto result = Process::run("/bin/sh", {"-c", "printf 'one\\ntwo'; printf 'bad' >&2; exit 3"});
    EXPECT_TRUE(result.launched);
    EXPECT_FALSE(result.crashed);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitStatus, 3);
    EXPECT_EQ(result.standardOutput, "one\ntwo");
    EXPECT_EQ(result.standardError, "bad");
    EXPECT_TRUE(result.errorDescription.isEmpty());
}

TEST(Process, ArgumentsArePassedVerbatimAndInputIsEmpty)
{
    const auto result = Process::run("/bin/sh", {"-c", "printf '%s|' \"$@\"; cat", "sh", "a b", "", "$HOME", "ü"});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(QString::fromUtf8(result.standardOutput), QString("a b||$HOME|ü|"));
}

TEST(Process, MissingOrUnrunnableExecutableIsNotLaunched)
{
    const QString dir = vantel::test::makeTempDir("process");
    QFile notExecutable(dir + "/script.sh");
    ASSERT_TRUE(notExecutable.open(QIODevice::WriteOnly));
    notExecutable.write("#!/bin/sh\necho hi\n");
    notExecutable.close();

    for (const QString& path : {dir + "/does-not-exist", dir + "/script.sh", dir, QString()}) {
        const auto result = Process::run(path, {});
        EXPECT_FALSE(result.launched) << path.toStdString();
        EXPECT_EQ(result.exitStatus, -1);
        EXPECT_FALSE(result.errorDescription.isEmpty());
        EXPECT_TRUE(result.standardOutput.isEmpty());
    }
}

TEST(Process, LargeOutputOnBothPipesDoesNotDeadlock)
{
    // 1 MiB on each pipe, written interleaved: a reader that drains one pipe
    // before the other would stall the child.
    const auto result = Process::run(
        "/bin/sh", {"-c", "i=0; while [ $i -lt 64 ]; do head -c 16384 /dev/zero; head -c 16384 /dev/zero >&2; "
                          "i=$((i+1)); done"},
        20s);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.standardOutput.size(), 1 << 20);
    EXPECT_EQ(result.standardError.size(), 1 << 20);
}

TEST(Process, TimeoutKillsTheChildAndWhatItStarted)
{
    const auto start = std::chrono::steady_clock::now();
    // The background sleep keeps the pipes open; it must be killed too.
    const auto result = Process::run("/bin/sh", {"-c", "echo started; sleep 30 & sleep 30"}, 300ms);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_TRUE(result.launched);
    EXPECT_TRUE(result.timedOut);
    EXPECT_TRUE(result.crashed);
    EXPECT_EQ(result.exitStatus, SIGKILL);
    EXPECT_EQ(result.standardOutput, "started\n");
    EXPECT_FALSE(result.errorDescription.isEmpty());
    EXPECT_LT(elapsed, 20s) << "the children sleep for 30 s";
}

TEST(Process, SignalDeathReportsTheSignal)
{
    const auto result = Process::run("/bin/sh", {"-c", "kill -TERM $$"});
    EXPECT_TRUE(result.launched);
    EXPECT_TRUE(result.crashed);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitStatus, SIGTERM);
}

TEST(Process, RunsOnWorkerThreadsAtTheSameTime)
{
    std::vector<std::future<Process::Result>> runs;
    for (int i = 0; i < 4; ++i)
        runs.push_back(std::async(std::launch::async, [i] {
            return Process::run("/bin/sh", {"-c", QString("echo %1").arg(i)}, 10s);
        }));
    for (int i = 0; i < 4; ++i) {
        const auto result = runs[static_cast<size_t>(i)].get();
        EXPECT_EQ(result.exitStatus, 0);
        EXPECT_EQ(result.standardOutput, QByteArray::number(i) + "\n");
    }
}

// Started and left running: a program found in PATH runs where it is told,
// with its own pid in the named variable, and is no child of ours. (The
// exec's errors are the launch tests' subject.)
TEST(Process, StartLooksInPathAndLeavesNoChild)
{
    const QString dir = vantel::test::makeTempDir(QStringLiteral("process-start"));
    const QString output = dir + QStringLiteral("/out");
    const QString tool = dir + QStringLiteral("/tool");
    ASSERT_TRUE(vantel::test::writeFile(tool, "#!/bin/sh\necho \"$VANTEL_PID $$ $1 $(pwd)\" > " + QFile::encodeName(output)
                                                  + ".tmp\n/bin/mv " + QFile::encodeName(output) + ".tmp "
                                                  + QFile::encodeName(output) + "\n"));
    QFile(tool).setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_EQ(Process::start({QStringLiteral("tool"), {}, {QStringLiteral("PATH=/nonexistent")}, {}, {}}), ENOENT);

    const QString folder = vantel::test::makeTempDir(QStringLiteral("process-start-folder"));
    ASSERT_EQ(Process::start({QStringLiteral("tool"), {QStringLiteral("argument")},
                              {QStringLiteral("PATH=/nonexistent:") + dir, QStringLiteral("VANTEL_PID=stale")}, folder,
                              "VANTEL_PID"}),
              0);
    ASSERT_TRUE(vantel::test::waitUntil([&] { return vantel::test::readFile(output).contains("argument"); }));
    const QList<QByteArray> words = vantel::test::readFile(output).trimmed().split(' ');
    ASSERT_EQ(words.size(), 4);
    EXPECT_EQ(words[0], words[1]) << "the variable holds the program's own pid";
    EXPECT_EQ(QFileInfo(QFile::decodeName(words[3])).canonicalFilePath(), QFileInfo(folder).canonicalFilePath());
    errno = 0;
    EXPECT_EQ(::waitpid(pid_t(words[1].toInt()), nullptr, WNOHANG), -1) << "the program is a child of ours";
    EXPECT_EQ(errno, ECHILD);
}
