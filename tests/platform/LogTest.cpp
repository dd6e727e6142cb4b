#include "platform/Log.h"

#include "support/TestSupport.h"

#include <QFile>
#include <QLoggingCategory>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <map>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace vantel::platform;

namespace {

const LogCategory& configCategory()
{
    static const LogCategory category("config");
    return category;
}

class DebugLoggingOn {
public:
    explicit DebugLoggingOn(bool on = true)
        : previous_(Log::debugLogging())
    {
        Log::setDebugLogging(on);
    }
    ~DebugLoggingOn() { Log::setDebugLogging(previous_); }

private:
    bool previous_;
};

// Parses the journal's native format, both the text and the binary fields.
std::map<QByteArray, QByteArray> parseJournalEntry(const QByteArray& data)
{
    std::map<QByteArray, QByteArray> fields;
    qsizetype at = 0;
    while (at < data.size()) {
        const qsizetype lineEnd = data.indexOf('\n', at);
        if (lineEnd < 0)
            break;
        const QByteArray line = data.mid(at, lineEnd - at);
        const qsizetype equals = line.indexOf('=');
        if (equals >= 0) {
            fields[line.left(equals)] = line.mid(equals + 1);
            at = lineEnd + 1;
        } else {
            quint64 size = 0;
            std::memcpy(&size, data.constData() + lineEnd + 1, sizeof size);
            const qsizetype valueStart = lineEnd + 1 + qsizetype(sizeof size);
            fields[line] = data.mid(valueStart, qsizetype(size));
            at = valueStart + qsizetype(size) + 1;
        }
    }
    return fields;
}

// A datagram socket standing in for the journal.
class FakeJournal {
public:
    FakeJournal()
    {
        path_ = (vantel::test::makeTempDir(QStringLiteral("journal")) + QStringLiteral("/socket")).toUtf8();
        fd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, path_.constData(), std::size_t(path_.size()));
        if (::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            ADD_FAILURE() << "bind failed";
        timeval timeout{5, 0};
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        Log::setJournalSocketPath(QString::fromUtf8(path_));
    }
    ~FakeJournal()
    {
        Log::setJournalSocketPath(QString());
        ::close(fd_);
    }

    // One entry, read from the datagram or from the memfd passed with it.
    QByteArray receive()
    {
        QByteArray buffer(512 * 1024, '\0');
        iovec vector{buffer.data(), std::size_t(buffer.size())};
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
        msghdr message{};
        message.msg_iov = &vector;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        const ssize_t got = ::recvmsg(fd_, &message, 0);
        if (got < 0)
            return {};
        if (cmsghdr* header = CMSG_FIRSTHDR(&message); header && header->cmsg_type == SCM_RIGHTS) {
            int memory = -1;
            std::memcpy(&memory, CMSG_DATA(header), sizeof memory);
            QFile file;
            QByteArray content;
            if (file.open(memory, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
                file.seek(0);
                content = file.readAll();
            }
            return content;
        }
        buffer.truncate(got);
        return buffer;
    }

private:
    QByteArray path_;
    int fd_ = -1;
};

} // namespace

TEST(Log, RenderReplacesPlaceholdersInOrder)
{
    EXPECT_EQ(Log::render(QStringLiteral("saveConfig with Timer. Last Trigger: %{public}@"),
                          {QStringLiteral("Tag: Symbol changed")}),
              QStringLiteral("saveConfig with Timer. Last Trigger: Tag: Symbol changed"));
    EXPECT_EQ(Log::render(QStringLiteral("%{public}@ -> %{public}@!"), {QStringLiteral("a"), QStringLiteral("b")}),
              QStringLiteral("a -> b!"));
    EXPECT_EQ(Log::render(QStringLiteral("<- viewDidLoad"), {}), QStringLiteral("<- viewDidLoad"));
    // Arguments are inserted literally, never scanned again.
    EXPECT_EQ(Log::render(QStringLiteral("%{public}@|%{public}@"), {QStringLiteral("%{public}@"), QStringLiteral("x")}),
              QStringLiteral("%{public}@|x"));
    EXPECT_EQ(Log::render(QStringLiteral("a %{public}@ b %{public}@"), {QStringLiteral("1")}),
              QStringLiteral("a 1 b <missing>"));
    EXPECT_EQ(Log::render(QStringLiteral("only %{public}@"), {QStringLiteral("1"), QStringLiteral("2")}),
              QStringLiteral("only 1"));
    EXPECT_EQ(Log::render(QStringLiteral("100% %@ %{private}@"), {QStringLiteral("x")}),
              QStringLiteral("100% %@ %{private}@"));
}

TEST(Log, GateOffWritesNothingAndEvaluatesNoArgument)
{
    Log::CaptureSink sink;
    int evaluated = 0;
    auto expensive = [&] {
        ++evaluated;
        return QStringLiteral("value");
    };
    {
        DebugLoggingOn off(false);
        VLOG(configCategory(), LogType::Default, "saveConfig with Timer. Last Trigger: %{public}@", expensive());
        VLOG(Log::defaultHandle(), LogType::Error, "!! Error - nothing selected!");
    }
    EXPECT_EQ(evaluated, 0);
    EXPECT_TRUE(sink.records().isEmpty());

    // Switched on at run time: the very next site writes.
    DebugLoggingOn on;
    VLOG(configCategory(), LogType::Default, "saveConfig with Timer. Last Trigger: %{public}@", expensive());
    VLOG(Log::defaultHandle(), LogType::Fault, "<- viewDidLoad");
    EXPECT_EQ(evaluated, 1);
    const auto records = sink.records();
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records[0].subsystem, QStringLiteral("net.tarnwick.vantel"));
    EXPECT_EQ(records[0].category, QStringLiteral("config"));
    EXPECT_EQ(records[0].type, LogType::Default);
    EXPECT_EQ(records[0].message, QStringLiteral("saveConfig with Timer. Last Trigger: value"));
    EXPECT_EQ(records[1].category, QStringLiteral("default"));
    EXPECT_EQ(records[1].type, LogType::Fault);
    EXPECT_EQ(sink.messages(), (QStringList{records[0].message, QStringLiteral("<- viewDidLoad")}));
    sink.clear();
    EXPECT_TRUE(sink.messages().isEmpty());
}

TEST(Log, CategoryNamesItsQtCategory)
{
    EXPECT_EQ(Log::subsystem(), QStringLiteral(VANTEL_BUNDLE_ID));
    EXPECT_EQ(configCategory().name(), QStringLiteral("config"));
    EXPECT_STREQ(configCategory().qtCategory().categoryName(), "net.tarnwick.vantel.config");
}

TEST(Log, QtFilterRulesSilenceACategory)
{
    static const LogCategory silenced("silencedForTest");
    Log::CaptureSink sink;
    QLoggingCategory::setFilterRules(QStringLiteral("net.tarnwick.vantel.silencedForTest=false"));
    Log::write(silenced, LogType::Default, QStringLiteral("hidden"));
    Log::write(configCategory(), LogType::Default, QStringLiteral("shown"));
    QLoggingCategory::setFilterRules(QString());
    Log::write(silenced, LogType::Default, QStringLiteral("shown again"));
    EXPECT_EQ(sink.messages(), (QStringList{QStringLiteral("shown"), QStringLiteral("shown again")}));
}

TEST(Log, ConcurrentFirstUseOfCategoriesIsSafe)
{
    Log::CaptureSink sink;
    constexpr int threads = 8;
    std::vector<const LogCategory*> seenA(threads);
    std::vector<const LogCategory*> seenB(threads);
    std::atomic<bool> go{false};
    auto categoryA = []() -> const LogCategory& {
        static const LogCategory category("firstUseA");
        return category;
    };
    auto categoryB = []() -> const LogCategory& {
        static const LogCategory category("firstUseB");
        return category;
    };
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            while (!go)
                std::this_thread::yield();
            seenA[std::size_t(t)] = &categoryA();
            seenB[std::size_t(t)] = &categoryB();
            Log::write(t % 2 ? categoryA() : categoryB(), LogType::Info, QStringLiteral("line %{public}@"),
                       {QString::number(t)});
        });
    }
    go = true;
    for (auto& worker : workers)
        worker.join();
    for (int t = 0; t < threads; ++t) {
        EXPECT_EQ(seenA[std::size_t(t)], seenA[0]);
        EXPECT_EQ(seenB[std::size_t(t)], seenB[0]);
    }
    EXPECT_STREQ(seenA[0]->qtCategory().categoryName(), "net.tarnwick.vantel.firstUseA");
    EXPECT_EQ(sink.records().size(), threads);
}

TEST(Log, JournalEntryCarriesAllFields)
{
    FakeJournal journal;
    Log::write(configCategory(), LogType::Error, QStringLiteral("!! failed: %{public}@"), {QStringLiteral("x")});
    auto fields = parseJournalEntry(journal.receive());
    EXPECT_EQ(fields["MESSAGE"], QByteArray("!! failed: x"));
    EXPECT_EQ(fields["PRIORITY"], QByteArray("3"));
    EXPECT_EQ(fields["SYSLOG_IDENTIFIER"], QByteArray("Vantel"));
    EXPECT_EQ(fields["SUBSYSTEM"], QByteArray("net.tarnwick.vantel"));
    EXPECT_EQ(fields["CATEGORY"], QByteArray("config"));

    // Multi-line messages use the binary field form.
    Log::write(Log::defaultHandle(), LogType::Fault, QStringLiteral("line one\n  detail"));
    fields = parseJournalEntry(journal.receive());
    EXPECT_EQ(fields["MESSAGE"], QByteArray("line one\n  detail"));
    EXPECT_EQ(fields["PRIORITY"], QByteArray("2"));
    EXPECT_EQ(fields["CATEGORY"], QByteArray("default"));

    // Too large for a datagram: handed over in a memfd.
    const QString big(400 * 1024, QLatin1Char('x'));
    Log::write(configCategory(), LogType::Info, big);
    fields = parseJournalEntry(journal.receive());
    EXPECT_EQ(fields["MESSAGE"].size(), big.size());
    EXPECT_EQ(fields["PRIORITY"], QByteArray("6"));

    Log::write(configCategory(), LogType::Default, QStringLiteral("plain"));
    EXPECT_EQ(parseJournalEntry(journal.receive())["PRIORITY"], QByteArray("5"));
}

TEST(Log, FallsBackToStderrWithoutJournal)
{
    Log::setJournalSocketPath(vantel::test::makeTempDir(QStringLiteral("nojournal")) + QStringLiteral("/missing"));
    const QString capturePath = vantel::test::makeTempDir(QStringLiteral("stderr")) + QStringLiteral("/err.txt");
    std::fflush(stderr);
    const int saved = ::dup(2);
    const int file = ::open(capturePath.toUtf8().constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(file, 0);
    ::dup2(file, 2);
    Log::write(configCategory(), LogType::Default, QStringLiteral("-> saveConfig"));
    std::fflush(stderr);
    ::dup2(saved, 2);
    ::close(saved);
    ::close(file);
    Log::setJournalSocketPath(QString());

    QFile captured(capturePath);
    ASSERT_TRUE(captured.open(QIODevice::ReadOnly));
    EXPECT_EQ(captured.readAll(), QByteArray("net.tarnwick.vantel[config] <default>: -> saveConfig\n"));
}
