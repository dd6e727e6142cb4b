#include "platform/SafeFile.h"

#include "platform/Log.h"

#include "support/FileSizeLimit.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

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

// Dotfile managers link the settings folder and, inside it, the file with a
// relative target whose ".." leaves the folder's real place, not its link.
TEST(SafeFileTest, ARelativeLinkInALinkedFolderIsFollowedAsTheKernelDoes)
{
    const QString home = vantel::test::makeTempDir(QStringLiteral("safe-two-links"));
    ASSERT_TRUE(QDir().mkpath(home + QStringLiteral("/real/cfg/Vantel")));
    ASSERT_TRUE(QDir().mkpath(home + QStringLiteral("/real/data")));
    ASSERT_TRUE(QFile::link(QStringLiteral("real/cfg"), home + QStringLiteral("/home_cfg")));
    const QString real = home + QStringLiteral("/real/data/settings");
    ASSERT_TRUE(writeFileSafely(real, "old"));
    const QString link = home + QStringLiteral("/home_cfg/Vantel/settings");
    ASSERT_EQ(::symlink("../../data/settings", QFile::encodeName(link).constData()), 0);
    ASSERT_EQ(readFile(link), QByteArray("old"));

    EXPECT_EQ(writeTargetOf(link), real);
    ASSERT_TRUE(writeFileSafely(link, "new"));
    EXPECT_EQ(readFile(link), QByteArray("new"));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_FALSE(QFileInfo::exists(home + QStringLiteral("/data"))) << "a stray file beside the link's text";

    // A chain of links, the last one dangling, names the place the file belongs.
    ASSERT_TRUE(QFile::remove(real));
    ASSERT_TRUE(QFile::link(QStringLiteral("home_cfg/Vantel/settings"), home + QStringLiteral("/first")));
    EXPECT_EQ(writeTargetOf(home + QStringLiteral("/first")), real);
    // Leftovers are looked for beside the real file.
    QFile leftover(real + QStringLiteral(".saving-Ab12Cd"));
    ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
    leftover.close();
    removeSafeWriteLeftovers(link);
    EXPECT_FALSE(leftover.exists());
}

TEST(SafeFileTest, ANameTooLongForASuffixIsWrittenAndItsLeftoversFound)
{
    const QString folder = vantel::test::makeTempDir(QStringLiteral("safe-long"));
    // 250 bytes: 125 two-byte letters.
    const QString name = QString(125, QChar(0x00E9));
    ASSERT_EQ(name.toUtf8().size(), 250);
    const QString path = folder + QLatin1Char('/') + name;
    const WriteResult written = writeFileSafely(path, "exported");
    ASSERT_TRUE(written) << written.error.toStdString();
    EXPECT_EQ(readFile(path), QByteArray("exported"));
    ASSERT_TRUE(writeFileSafely(path, "again"));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{name});

    // The longest name the folder takes, and the clean-up of its leftovers
    // leaves the file and its neighbours alone.
    const QString longest = folder + QLatin1Char('/') + QString(255, QLatin1Char('n'));
    ASSERT_TRUE(writeFileSafely(longest, "x"));
    removeSafeWriteLeftovers(longest);
    removeSafeWriteLeftovers(path);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 2);
}

// A folder that can be written but not read (0300): the rename lands, only
// the folder's sync fails. Checked as a user without root's rights, in a
// child, since root opens any folder.
TEST(SafeFileTest, AFolderThatCannotBeSyncedIsAWarningNotAFailure)
{
    const QString base = vantel::test::makeTempDir(QStringLiteral("safe-sync"));
    const QString folder = base + QStringLiteral("/write-only");
    ASSERT_TRUE(QDir().mkpath(folder));
    const uid_t nobody = 65534;
    const bool root = ::geteuid() == 0;
    if (root) {
        ::chmod(QFile::encodeName(vantel::test::testHome()).constData(), 0755);
        ASSERT_EQ(::chmod(QFile::encodeName(base).constData(), 0755), 0);
        ASSERT_EQ(::chown(QFile::encodeName(folder).constData(), nobody, nobody), 0);
    }
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0300), 0);
    const QString path = folder + QStringLiteral("/settings.plist");

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (root && (::setgid(nobody) != 0 || ::setuid(nobody) != 0))
            ::_exit(10);
        vantel::platform::Log::setDebugLogging(true);
        vantel::platform::Log::CaptureSink log;
        const WriteResult result = writeFileSafely(path, "landed");
        if (!result)
            ::_exit(11);
        if (!log.messages().join(QLatin1Char('\n')).contains(QStringLiteral("could not be synced")))
            ::_exit(12);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "10: no rights dropped, 11: reported as failed, 12: no warning";
    ::chmod(QFile::encodeName(folder).constData(), 0700);
    EXPECT_EQ(readFile(path), QByteArray("landed"));
}
