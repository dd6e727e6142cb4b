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
