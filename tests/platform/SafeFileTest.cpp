#include "platform/SafeFile.h"

#include "platform/Log.h"
#include "platform/UserFileRead.h"

#include "support/FileSizeLimit.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <functional>
#include <vector>

#include <fcntl.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vantel::platform;

namespace {

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int modeOf(const QString& path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}

QStringList leftoversIn(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral("*.saving-*")}, QDir::Files | QDir::Hidden);
}

} // namespace

TEST(SafeFileTest, WritesNewAndReplacesOldKeepingTheOldMode)
{
    const QString folder = vantel::test::makeTempDir(QStringLiteral("safe-new")) + QStringLiteral("/deeper");
    const QString path = folder + QStringLiteral("/file.plist");

    ASSERT_TRUE(writeFileSafely(path, "first"));
    EXPECT_EQ(readFile(path), QByteArray("first"));
    EXPECT_EQ(modeOf(path), 0600);

    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0644), 0);
    ASSERT_TRUE(writeFileSafely(path, "second, longer"));
    EXPECT_EQ(readFile(path), QByteArray("second, longer"));
    EXPECT_EQ(modeOf(path), 0644);
    EXPECT_TRUE(leftoversIn(folder).isEmpty());
}

// A store's write replaces the file it read, or makes one where it found
// none; whatever else is there now (a file that appeared, one replaced or
// rewritten by another program) is left byte for byte.
TEST(SafeFileTest, AWriteReplacesOnlyTheFileItsStoreReadOrNone)
{
    const QString folder = vantel::test::makeTempDir(QStringLiteral("safe-read"));
    const QString path = folder + QStringLiteral("/file.plist");
    const auto writeAs = [&path](const QByteArray& data, const FileIdentity& read) {
        WriteOptions options;
        options.replacing = read;
        return writeFileSafely(path, data, options);
    };
    const auto putByHand = [](const QString& at, const QByteArray& data) {
        QFile file(at);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(data);
    };

    putByHand(path, "appeared");
    WriteResult refused = writeAs("ours", FileIdentity::none());
    EXPECT_FALSE(refused.ok);
    EXPECT_TRUE(refused.changedSinceRead);
    EXPECT_TRUE(refused.error.contains(path));
    EXPECT_EQ(readFile(path), QByteArray("appeared"));

    const UserFileRead read = readUserFile(path, 1024);
    const WriteResult written = writeAs("ours", read.identity);
    ASSERT_TRUE(written.ok) << written.error.toStdString();
    EXPECT_EQ(readFile(path), QByteArray("ours"));
    EXPECT_EQ(written.written, readUserFile(path, 1024).identity) << "the next write starts from what was written";

    putByHand(folder + QStringLiteral("/other"), "replaced");
    ASSERT_EQ(::rename(QFile::encodeName(folder + QStringLiteral("/other")).constData(), QFile::encodeName(path).constData()), 0);
    EXPECT_TRUE(writeAs("ours again", written.written).changedSinceRead);
    EXPECT_EQ(readFile(path), QByteArray("replaced"));

    const FileIdentity current = readUserFile(path, 1024).identity;
    putByHand(path, "rewritten in place");
    EXPECT_TRUE(writeAs("ours again", current).changedSinceRead);
    EXPECT_EQ(readFile(path), QByteArray("rewritten in place"));

    // Gone since: nothing is replaced by a new file.
    ASSERT_TRUE(QFile::remove(path));
    EXPECT_TRUE(writeAs("ours again", current).ok);
    EXPECT_EQ(readFile(path), QByteArray("ours again"));
    // Without a store behind it (an export the user chose) whatever is there is replaced.
    EXPECT_TRUE(writeFileSafely(path, "exported"));
    EXPECT_TRUE(leftoversIn(folder).isEmpty());
}

// What a sync or restore tool, `touch`, an editor saving unchanged or a file
// system without lasting inode numbers does to the file a store read leaves
// its bytes as they were: the write takes it for the file read. Only other
// bytes, even of the same size, are another program's.
TEST(SafeFileTest, AFileHoldingTheBytesReadIsTakenForItWhateverItsInodeOrTime)
{
    const QString folder = vantel::test::makeTempDir(QStringLiteral("safe-same-bytes"));
    const QString path = folder + QStringLiteral("/file.plist");
    const QByteArray bytes(70000, 'r'); // more than one read's buffer
    const QByteArray name = QFile::encodeName(path);
    const auto putBack = [&](const QByteArray& data) {
        const QString other = folder + QStringLiteral("/restored");
        QFile file(other);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(data);
        file.close();
        ASSERT_EQ(::rename(QFile::encodeName(other).constData(), name.constData()), 0);
    };
    const std::vector<std::pair<const char*, std::function<void()>>> unchanged{
        {"touched", [&] { ASSERT_EQ(::utimensat(AT_FDCWD, name.constData(), nullptr, 0), 0); }},
        {"put back under a new inode", [&] { putBack(bytes); }},
        {"rewritten in place", [&] {
             QFile file(path);
             ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
             file.write(bytes);
         }},
        {"permissions changed", [&] { ASSERT_EQ(::chmod(name.constData(), 0640), 0); }},
    };
    for (const auto& [what, change] : unchanged) {
        SCOPED_TRACE(what);
        ASSERT_TRUE(writeFileSafely(path, bytes));
        FileIdentity read = readUserFile(path, 1 << 20).identity;
        // Apart in time from the read: a change within the clock's tick keeps the time.
        const timespec old[2] = {{1000, 0}, {1000, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, name.constData(), old, 0), 0);
        read.modifiedNs = 1000ll * 1000000000;
        change();
        WriteOptions options;
        options.replacing = read;
        const WriteResult written = writeFileSafely(path, "ours", options);
        EXPECT_TRUE(written.ok) << written.error.toStdString();
        if (!written.ok)
            continue;
        EXPECT_EQ(readFile(path), QByteArray("ours"));
        options.replacing = written.written;
        EXPECT_TRUE(writeFileSafely(path, bytes, options).ok) << "what was written is read from then on";
    }

    const FileIdentity read = readUserFile(path, 1 << 20).identity;
    QByteArray other = bytes;
    other[other.size() - 1] = 'x';
    putBack(other);
    WriteOptions options;
    options.replacing = read;
    EXPECT_TRUE(writeFileSafely(path, "ours", options).changedSinceRead);
    EXPECT_EQ(readFile(path), other);
    EXPECT_TRUE(leftoversIn(folder).isEmpty());
}

TEST(SafeFileTest, AFailedWriteLeavesTheOldFileAndNoTemporary)
{
    const QString folder = vantel::test::makeTempDir(QStringLiteral("safe-full"));
    const QString path = folder + QStringLiteral("/Bookmarks.dict");
    const QByteArray good(3000, 'g');
    ASSERT_TRUE(writeFileSafely(path, good));

    // Both under and over a stdio-sized buffer: a small write must fail too.
    for (const int size : {5000, 200000}) {
        WriteResult result;
        {
            vantel::test::FileSizeLimit limit(4096);
            result = writeFileSafely(path, QByteArray(size, 'n'));
        }
        EXPECT_FALSE(result) << size;
        EXPECT_FALSE(result.error.isEmpty());
        EXPECT_EQ(readFile(path), good) << size;
        EXPECT_TRUE(leftoversIn(folder).isEmpty()) << size;
    }
}

TEST(SafeFileTest, ALinkStaysALinkAndItsTargetIsWritten)
{
    const QString folder = vantel::test::makeTempDir(QStringLiteral("safe-link"));
    const QString real = folder + QStringLiteral("/dotfiles/settings.plist");
    ASSERT_TRUE(writeFileSafely(real, "old"));
    const QString link = folder + QStringLiteral("/settings.plist");
    ASSERT_TRUE(QFile::link(real, link));

    ASSERT_TRUE(writeFileSafely(link, "new"));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(readFile(real), QByteArray("new"));
}

// The kernel follows at most 40 links in one lookup: a loop, or the start
// of a longer chain, is no file to replace.
TEST(SafeFileTest, LinksThatLoopAreRefusedAndKeptLongChainsWrittenThrough)
{
    const QString folder = vantel::test::makeTempDir(QStringLiteral("safe-loop"));
    const auto linkAt = [&](int i) { return folder + QStringLiteral("/link-") + QString::number(i); };
    const auto chain = [&](int length, const QString& end) {
        for (int i = 0; i < length; ++i)
            EXPECT_TRUE(QFile::link(i + 1 < length ? linkAt(i + 1) : end, linkAt(i)));
    };
    const QString self = folder + QStringLiteral("/self.plist");
    ASSERT_TRUE(QFile::link(self, self));
    const QString one = folder + QStringLiteral("/one"), other = folder + QStringLiteral("/other");
    ASSERT_TRUE(QFile::link(other, one));
    ASSERT_TRUE(QFile::link(one, other));
    chain(41, folder + QStringLiteral("/end-of-41"));
    const auto listing = [&] { return QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot); };
    const QStringList before = listing();

    for (const QString& path : {self, one, linkAt(0)}) {
        const QString target = QFileInfo(path).symLinkTarget();
        const WriteResult written = writeFileSafely(path, "replaced");
        EXPECT_FALSE(written) << path.toStdString();
        EXPECT_TRUE(written.error.contains(path)) << written.error.toStdString();
        EXPECT_TRUE(written.error.contains(QStringLiteral("links in a loop"))) << qPrintable(written.error);
        EXPECT_TRUE(QFileInfo(path).isSymLink()) << path.toStdString();
        EXPECT_EQ(QFileInfo(path).symLinkTarget(), target);
        EXPECT_EQ(writeTargetOf(path), path);
    }
    EXPECT_EQ(listing(), before);
    EXPECT_TRUE(QFileInfo(linkAt(40)).isSymLink());

    // Forty links the kernel follows: the file at their end is written.
    for (int i = 0; i <= 40; ++i)
        ASSERT_TRUE(QFile::remove(linkAt(i)));
    const QString end = folder + QStringLiteral("/dotfiles/end.plist");
    chain(40, end);
    const WriteResult written = writeFileSafely(linkAt(0), "through");
    ASSERT_TRUE(written) << written.error.toStdString();
    EXPECT_EQ(readFile(end), QByteArray("through"));
    for (int i = 0; i < 40; ++i)
        EXPECT_TRUE(QFileInfo(linkAt(i)).isSymLink()) << i;
}

TEST(SafeFileTest, RefusesWhatIsNotAFileAndNamesNoFile)
{
    const QString folder = vantel::test::makeTempDir(QStringLiteral("safe-refuse"));
    ASSERT_TRUE(QDir(folder).mkdir(QStringLiteral("taken")));
    EXPECT_FALSE(writeFileSafely(folder + QStringLiteral("/taken"), "x"));
    EXPECT_TRUE(QFileInfo(folder + QStringLiteral("/taken")).isDir());
    EXPECT_FALSE(writeFileSafely(QString(), "x"));
}

TEST(SafeFileTest, LeftoversOfAnInterruptedWriteAreRemovedOthersKept)
{
    const QString folder = vantel::test::makeTempDir(QStringLiteral("safe-leftovers"));
    const QString path = folder + QStringLiteral("/file");
    for (const QString& name : {QStringLiteral("file.saving-a1B2c3"), QStringLiteral("file.saving-long1234"),
                                QStringLiteral("other.saving-a1B2c3")}) {
        QFile file(folder + QLatin1Char('/') + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    removeSafeWriteLeftovers(path);
    EXPECT_EQ(leftoversIn(folder), QStringList({QStringLiteral("file.saving-long1234"),
                                                QStringLiteral("other.saving-a1B2c3")}));
}

// Another process's write, held halfway through its data: the removal of
// leftovers that a load of the same file runs (a second start, a tool reading
// the settings) spares its temporary, and takes it once that writer died.
TEST(SafeFileTest, TheTemporaryOfAWriteInProgressIsNoLeftover)
{
    const QString folder = vantel::test::makeTempDir(QStringLiteral("safe-in-progress"));
    const QString path = folder + QStringLiteral("/file");
    ASSERT_TRUE(writeFileSafely(path, "old"));
    const pid_t writer = ::fork();
    ASSERT_GE(writer, 0);
    if (writer == 0) {
        // Past its size limit the write stops itself, as a slow disk holds it.
        struct sigaction stop {};
        stop.sa_handler = [](int) { ::raise(SIGSTOP); };
        ::sigaction(SIGXFSZ, &stop, nullptr);
        rlimit limit {};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = 4096;
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::_exit(writeFileSafely(path, QByteArray(1 << 20, 'n')) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(writer, &status, WUNTRACED), writer);
    ASSERT_TRUE(WIFSTOPPED(status));
    ASSERT_EQ(leftoversIn(folder).size(), 1);
    removeSafeWriteLeftovers(path);
    EXPECT_EQ(leftoversIn(folder).size(), 1) << "the temporary was taken from under the write";
    ::kill(writer, SIGKILL);
    ASSERT_EQ(::waitpid(writer, &status, 0), writer);
    removeSafeWriteLeftovers(path);
    EXPECT_TRUE(leftoversIn(folder).isEmpty());
    EXPECT_EQ(readFile(path), QByteArray("old"));
}

TEST(SafeFileTest, ANameTooLongForASuffixIsWritten)
{
    const QString folder = vantel::test::makeTempDir(QStringLiteral("safe-long"));
    const QString name = QString(125, QChar(0x00E9)); // 250 bytes
    for (const QString& path : {folder + QLatin1Char('/') + name, folder + QLatin1Char('/') + QString(255, QLatin1Char('n'))}) {
        const WriteResult written = writeFileSafely(path, "exported");
        ASSERT_TRUE(written) << written.error.toStdString();
        EXPECT_EQ(readFile(path), QByteArray("exported"));
        removeSafeWriteLeftovers(path);
    }
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 2);
}

// A folder that can be written but not read (0300): the rename lands, only
// the folder's sync fails. Root opens any folder: the child gives up root.
TEST(SafeFileTest, AFolderThatCannotBeSyncedIsAWarningNotAFailure)
{
    const QString folder = vantel::test::makeTempDir(QStringLiteral("safe-sync")) + QStringLiteral("/write-only");
    ASSERT_TRUE(QDir().mkpath(folder));
    ::chmod(QFile::encodeName(vantel::test::testHome()).constData(), 0755);
    ::chmod(QFile::encodeName(QFileInfo(folder).absolutePath()).constData(), 0755);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(QFile::encodeName(folder).constData(), 65534, 65534), 0);
    }
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0300), 0);
    const int code = vantel::test::exitCodeAsUnprivilegedChild([&] {
        vantel::platform::Log::setDebugLogging(true);
        vantel::platform::Log::CaptureSink log;
        if (!writeFileSafely(folder + QStringLiteral("/settings.plist"), "landed"))
            return 11;
        return log.messages().join(QLatin1Char('\n')).contains(QStringLiteral("could not be synced")) ? 0 : 12;
    });
    EXPECT_EQ(code, 0) << "100: root kept, 11: reported as failed, 12: no warning";
    ::chmod(QFile::encodeName(folder).constData(), 0700);
    EXPECT_EQ(readFile(folder + QStringLiteral("/settings.plist")), QByteArray("landed"));
}
