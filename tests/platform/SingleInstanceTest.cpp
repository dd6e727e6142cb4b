#include "platform/SingleInstance.h"

#include "platform/Log.h"

#include "ScopedEnvironment.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalServer>
#include <QLocalSocket>
#include <QSignalSpy>

#include <future>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using vantel::platform::SingleInstance;
using Message = SingleInstance::Message;
using Status = SingleInstance::Reply::Status;
using namespace std::chrono_literals;

namespace {

QString freshSocketPath()
{
    return vantel::test::makeTempDir("single") + QStringLiteral("/app.socket");
}

// The main thread must keep serving while a client blocks, so every client
// runs on a thread of its own.
template <typename Function>
auto onClientThread(Function function)
{
    auto future = std::async(std::launch::async, function);
    vantel::test::waitUntil([&] { return future.wait_for(0s) == std::future_status::ready; });
    return future.get();
}

SingleInstance::Reply sendTo(const QString& path, const Message& message,
                             std::chrono::milliseconds timeout = 3000ms)
{
    return onClientThread([=] { return SingleInstance::send(message, timeout, path); });
}

// Writes raw bytes as a client and hands back the server's answer line.
QByteArray exchangeRaw(const QString& path, const QByteArray& bytes)
{
    return onClientThread([=] {
        QLocalSocket socket;
        socket.connectToServer(path);
        if (!socket.waitForConnected(2000))
            return QByteArray("no connection");
        socket.write(bytes);
        while (socket.bytesToWrite() > 0 && socket.waitForBytesWritten(2000)) {
        }
        while (!socket.canReadLine() && socket.waitForReadyRead(3000)) {
        }
        return socket.readLine().trimmed();
    });
}

// A socket file that nobody listens on, as a crashed instance leaves it.
bool makeStaleSocket(const QString& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray native = QFile::encodeName(path);
    std::memcpy(address.sun_path, native.constData(), native.size() + 1);
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    ::close(fd);
    return bound && QFileInfo(path).exists();
}

} // namespace

TEST(SingleInstanceMessage, WritesCompactJsonAndReadsItBack)
{
    EXPECT_EQ(Message::ping().toJson(), R"({"command":"ping"})");
    EXPECT_EQ(Message::toggle().toJson(), R"({"command":"toggle"})");
    EXPECT_EQ(Message::open({"/a", "/b c/ü"}).toJson(), R"({"command":"open","paths":["/a","/b c/ü"]})");
    for (const Message& message : {Message::ping(), Message::toggle(), Message::open({"/x", "/y\"z"})}) {
        const auto back = Message::fromJson(message.toJson());
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(*back, message);
    }
}

TEST(SingleInstanceMessage, RefusesWhatIsNotAValidMessage)
{
    const QByteArray tooLarge = R"({"command":"open","paths":["/)" + QByteArray(SingleInstance::kMaximumMessageSize, 'a')
        + R"("]})";
    const QList<QByteArray> bad = {
        "",
        "not json",
        "[\"ping\"]",
        R"({"command":1})",
        R"({"Command":"ping"})",
        R"({"command":"quit"})",
        R"({"command":"ping","paths":["/a"]})",
        R"({"command":"toggle","extra":true})",
        R"({"command":"open"})",
        R"({"command":"open","paths":"/a"})",
        R"({"command":"open","paths":[]})",
        R"({"command":"open","paths":[""]})",
        R"({"command":"open","paths":["relative/file"]})",
        R"({"command":"open","paths":["/ok","~/home"]})",
        R"({"command":"open","paths":["/a",7]})",
        R"({"command":"open","paths":["/a\u0000b"]})",
        R"({"command":"open","paths":["/a"],"more":1})",
        tooLarge,
    };
    for (const QByteArray& line : bad) {
        QString error;
        EXPECT_FALSE(Message::fromJson(line, &error).has_value()) << line.left(80).toStdString();
        EXPECT_FALSE(error.isEmpty()) << line.left(80).toStdString();
    }
}

TEST(SingleInstance, ServerAndClientInOneProcess)
{
    const QString path = freshSocketPath();
    SingleInstance server(path);
    ASSERT_EQ(server.listen(), SingleInstance::ListenResult::Listening) << server.errorString().toStdString();
    EXPECT_TRUE(server.isListening());
    QSignalSpy pings(&server, &SingleInstance::pingReceived);
    QSignalSpy toggles(&server, &SingleInstance::toggleRequested);
    QSignalSpy opens(&server, &SingleInstance::openRequested);

    EXPECT_EQ(sendTo(path, Message::ping()).status, Status::Accepted);
    EXPECT_EQ(sendTo(path, Message::toggle()).status, Status::Accepted);
    const auto reply = sendTo(path, Message::open({"/tmp/a file", "/home/ü"}));
    EXPECT_TRUE(reply.accepted());
    EXPECT_TRUE(bool(reply));

    ASSERT_TRUE(vantel::test::waitUntil([&] { return opens.size() == 1; }));
    EXPECT_EQ(pings.size(), 1);
    EXPECT_EQ(toggles.size(), 1);
    EXPECT_EQ(opens.at(0).at(0).toStringList(), QStringList({"/tmp/a file", "/home/ü"}));

    // Only the owner may connect.
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
    EXPECT_TRUE(S_ISSOCK(info.st_mode));
    EXPECT_EQ(info.st_mode & 077, 0u);

    server.close();
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_FALSE(QFileInfo::exists(path + ".lock"));
    EXPECT_EQ(sendTo(path, Message::ping()).status, Status::NotRunning);
}

TEST(SingleInstance, MalformedMessagesAreRefusedAndNeverActedOn)
{
    const QString path = freshSocketPath();
    SingleInstance server(path);
    ASSERT_EQ(server.listen(), SingleInstance::ListenResult::Listening);
    QSignalSpy pings(&server, &SingleInstance::pingReceived);
    QSignalSpy toggles(&server, &SingleInstance::toggleRequested);
    QSignalSpy opens(&server, &SingleInstance::openRequested);

    const QList<QByteArray> bad = {
        "garbage\n",
        R"({"command":"open","paths":["relative"]})" "\n",
        R"({"command":"open","paths":[]})" "\n",
        R"({"command":"toggle","paths":["/a"]})" "\n",
        R"({"command":"shutdown"})" "\n",
        // Over the limit without a line end: refused before the end arrives.
        QByteArray(SingleInstance::kMaximumMessageSize + 100, 'x'),
        // Over the limit with a line end.
        R"({"command":"open","paths":["/)" + QByteArray(SingleInstance::kMaximumMessageSize, 'a') + "\"]}\n",
    };
    for (const QByteArray& bytes : bad) {
        const QJsonObject answer = QJsonDocument::fromJson(exchangeRaw(path, bytes)).object();
        EXPECT_EQ(answer.value("ok"), QJsonValue(false)) << bytes.left(60).toStdString();
        EXPECT_FALSE(answer.value("error").toString().isEmpty()) << bytes.left(60).toStdString();
    }
    vantel::test::spinEventLoop(50ms);
    EXPECT_EQ(pings.size() + toggles.size() + opens.size(), 0);

    // Each refusal is logged with its reason.
    vantel::platform::Log::CaptureSink sink;
    vantel::platform::Log::setDebugLogging(true);
    exchangeRaw(path, "{\"command\":\"shutdown\"}\n");
    vantel::platform::Log::setDebugLogging(false);
    EXPECT_TRUE(sink.messages().contains(R"(Refused a message: unknown command "shutdown")"))
        << sink.messages().join('|').toStdString();

    // What follows a valid line is ignored; the server still serves.
    EXPECT_EQ(exchangeRaw(path, "{\"command\":\"ping\"}\n{\"command\":\"toggle\"}\n"), R"({"ok":true})");
    EXPECT_EQ(sendTo(path, Message::ping()).status, Status::Accepted);
    vantel::test::waitUntil([&] { return pings.size() == 2; });
    EXPECT_EQ(pings.size(), 2);
    EXPECT_EQ(toggles.size(), 0);
}

TEST(SingleInstance, StaleSocketOfACrashedInstanceIsReplaced)
{
    const QString path = freshSocketPath();
    ASSERT_TRUE(makeStaleSocket(path));
    EXPECT_EQ(SingleInstance::send(Message::ping(), 500ms, path).status, Status::NotRunning);

    SingleInstance server(path);
    ASSERT_EQ(server.listen(), SingleInstance::ListenResult::Listening) << server.errorString().toStdString();
    QSignalSpy pings(&server, &SingleInstance::pingReceived);
    EXPECT_TRUE(sendTo(path, Message::ping()).accepted());
    EXPECT_TRUE(vantel::test::waitUntil([&] { return pings.size() == 1; }));
}

TEST(SingleInstance, ASecondInstanceFindsTheFirstAndLeavesItAlone)
{
    const QString path = freshSocketPath();
    SingleInstance first(path);
    ASSERT_EQ(first.listen(), SingleInstance::ListenResult::Listening);
    QSignalSpy firstOpens(&first, &SingleInstance::openRequested);

    SingleInstance second(path);
    EXPECT_EQ(second.listen(), SingleInstance::ListenResult::AnotherInstanceRuns);
    EXPECT_FALSE(second.isListening());

    // The second start hands its files to the first, which still owns the socket.
    EXPECT_TRUE(sendTo(path, Message::open({"/etc/hosts"})).accepted());
    ASSERT_TRUE(vantel::test::waitUntil([&] { return firstOpens.size() == 1; }));
    EXPECT_EQ(firstOpens.at(0).at(0).toStringList(), QStringList{"/etc/hosts"});

    // Once the first one quits, the next start takes over.
    first.close();
    EXPECT_EQ(second.listen(), SingleInstance::ListenResult::Listening);
    EXPECT_TRUE(sendTo(path, Message::toggle()).accepted());
}

TEST(SingleInstance, AServerThatNeverAnswersDoesNotHangTheClient)
{
    const QString path = freshSocketPath();
    QLocalServer mute;
    ASSERT_TRUE(mute.listen(path));
    QElapsedTimer clock;
    clock.start();
    const auto reply = sendTo(path, Message::ping(), 300ms);
    EXPECT_EQ(reply.status, Status::NoAnswer);
    EXPECT_TRUE(reply.instanceRuns());
    // Its own time, not a default of half a minute.
    EXPECT_LT(clock.elapsed(), 20000);
}

TEST(SingleInstance, NoSocketMeansNotRunningAtOnce)
{
    QElapsedTimer clock;
    clock.start();
    const auto reply = SingleInstance::send(Message::ping(), 60s, freshSocketPath());
    EXPECT_EQ(reply.status, Status::NotRunning);
    EXPECT_FALSE(reply.instanceRuns());
    EXPECT_LT(clock.elapsed(), 30000) << "it waited for its time to run out";
    EXPECT_EQ(SingleInstance::send(Message::ping(), 100ms, QString()).status, Status::NotRunning);
}

TEST(SingleInstance, SocketPathFollowsTheRuntimeFolder)
{
    const QString runtime = vantel::test::makeTempDir("runtime");
    const QString temporary = vantel::test::makeTempDir("tmp");
    vantel::test::ScopedEnvironment tmp("TMPDIR", temporary.toUtf8());
    const QString folder = temporary + "/net.tarnwick.vantel-" + QString::number(::getuid());
    {
        vantel::test::ScopedEnvironment env("XDG_RUNTIME_DIR", runtime.toUtf8());
        EXPECT_EQ(SingleInstance::defaultSocketPath(), runtime + "/net.tarnwick.vantel.socket");
        // The fallback folder is not made while the runtime folder serves.
        EXPECT_FALSE(QFileInfo::exists(folder));
    }

    for (const QByteArray& unset : {QByteArray(), QByteArray(""), QByteArray("relative/run")}) {
        vantel::test::ScopedEnvironment env("XDG_RUNTIME_DIR", unset);
        EXPECT_EQ(SingleInstance::defaultSocketPath(), folder + "/net.tarnwick.vantel.socket");
    }
    struct stat info {};
    ASSERT_EQ(::lstat(QFile::encodeName(folder).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    vantel::test::ScopedEnvironment env("XDG_RUNTIME_DIR", QByteArray());
    // A folder of ours that others may enter is closed again.
    ::chmod(QFile::encodeName(folder).constData(), 0755);
    EXPECT_FALSE(SingleInstance::defaultSocketPath().isEmpty());
    ASSERT_EQ(::lstat(QFile::encodeName(folder).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    // A runtime folder that is missing, or that others may write to, is
    // passed over (su, sudo -u and some ssh sessions name one).
    for (const QString& unusable : {runtime + "/missing", temporary}) {
        ::chmod(QFile::encodeName(temporary).constData(), 01777);
        vantel::test::ScopedEnvironment env("XDG_RUNTIME_DIR", unusable.toUtf8());
        EXPECT_EQ(SingleInstance::defaultSocketPath(), folder + "/net.tarnwick.vantel.socket");
    }
    ::chmod(QFile::encodeName(temporary).constData(), 0700);

    // A link planted in its place is not followed: the socket goes to the
    // user's own cache folder instead, and works there.
    ASSERT_TRUE(QDir(folder).removeRecursively());
    ASSERT_TRUE(QFile::link(temporary, folder));
    const QString cache = vantel::test::makeTempDir("cache");
    vantel::test::ScopedEnvironment cacheHome("XDG_CACHE_HOME", cache.toUtf8());
    EXPECT_EQ(SingleInstance::defaultSocketPath(), cache + "/Vantel/net.tarnwick.vantel.socket");
    SingleInstance fallback(SingleInstance::defaultSocketPath());
    EXPECT_EQ(fallback.listen(), SingleInstance::ListenResult::Listening) << fallback.errorString().toStdString();
    fallback.close();

    // No safe folder at all: the socket can't be made, and says why.
    ASSERT_TRUE(QDir(cache + "/Vantel").removeRecursively());
    ASSERT_TRUE(QFile::link(temporary, cache + "/Vantel"));
    EXPECT_TRUE(SingleInstance::defaultSocketPath().isEmpty());
    SingleInstance nowhere(SingleInstance::defaultSocketPath());
    EXPECT_EQ(nowhere.listen(), SingleInstance::ListenResult::Failed);
    EXPECT_FALSE(nowhere.errorString().isEmpty());
}
