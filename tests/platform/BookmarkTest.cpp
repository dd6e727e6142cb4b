#include "platform/Bookmark.h"
#include "platform/PropertyList.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QVariantMap>

#include <sys/stat.h>

using vantel::platform::Bookmark;

namespace {

void writeFile(const QString& path, const QByteArray& content = "content")
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

class BookmarkTest : public ::testing::Test {
protected:
    QString dir = vantel::test::makeTempDir(QStringLiteral("bookmarks"));
};

TEST_F(BookmarkTest, RoundTripOfFilesAndFolders)
{
    const QString file = dir + QStringLiteral("/Report 1.txt");
    writeFile(file);
    QString error;
    const auto fileData = Bookmark::createBookmark(QUrl::fromLocalFile(file), Bookmark::CreationWithSecurityScope, &error);
    ASSERT_TRUE(fileData.has_value()) << error.toStdString();
    const Bookmark::Resolution fileResolution = Bookmark::resolveBookmark(*fileData, Bookmark::WithSecurityScope);
    ASSERT_TRUE(fileResolution.ok());
    EXPECT_FALSE(fileResolution.stale);
    ASSERT_TRUE(fileResolution.url.has_value());
    EXPECT_EQ(fileResolution.url->toLocalFile(), file);
    EXPECT_TRUE(fileResolution.url->toString(QUrl::FullyEncoded).endsWith(QStringLiteral("/Report%201.txt")));

    const auto dirData = Bookmark::createBookmarkForPath(dir + QStringLiteral("/"));
    ASSERT_TRUE(dirData.has_value());
    const Bookmark::Resolution dirResolution = Bookmark::resolveBookmark(*dirData);
    ASSERT_TRUE(dirResolution.ok());
    EXPECT_FALSE(dirResolution.stale);
    EXPECT_EQ(dirResolution.url->toString(QUrl::FullyEncoded), Bookmark::canonicalFileURLString(dir));
    EXPECT_TRUE(dirResolution.url->toString().endsWith(QLatin1Char('/')));

    // The data is a binary property list that other readers can inspect.
    const auto record = vantel::platform::PropertyList::parse(*fileData);
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->toMap().value(QStringLiteral("path")).toString(), file);
    EXPECT_EQ(record->toMap().value(QStringLiteral("v")).toLongLong(), 1);
}

TEST_F(BookmarkTest, AReplacedFileIsStaleAndADeletedOneFails)
{
    const QString file = dir + QStringLiteral("/notes.txt");
    writeFile(file, "first");
    const auto data = Bookmark::createBookmarkForPath(file);
    ASSERT_TRUE(data.has_value());

    // Move the file away and put a new one (a new inode) at the same path.
    const QString moved = dir + QStringLiteral("/notes-moved.txt");
    ASSERT_TRUE(QFile::rename(file, moved));
    writeFile(file, "second");
    const Bookmark::Resolution replaced = Bookmark::resolveBookmark(*data);
    ASSERT_TRUE(replaced.ok());
    EXPECT_TRUE(replaced.stale);
    EXPECT_EQ(replaced.url->toLocalFile(), file);

    ASSERT_TRUE(QFile::remove(file));
    const Bookmark::Resolution deleted = Bookmark::resolveBookmark(*data);
    EXPECT_FALSE(deleted.ok());
    EXPECT_FALSE(deleted.url.has_value());

    QString error;
    EXPECT_FALSE(Bookmark::createBookmarkForPath(file, 0, &error).has_value());
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(Bookmark::createBookmarkForPath(QString()).has_value());
    EXPECT_FALSE(Bookmark::createBookmark(QUrl(QStringLiteral("https://example.org/a"))).has_value());
}

TEST_F(BookmarkTest, DamagedDataGivesAnErrorNotACrash)
{
    const QString file = dir + QStringLiteral("/a");
    writeFile(file);
    const QByteArray good = *Bookmark::createBookmarkForPath(file);

    using vantel::platform::PropertyList::serialize;
    QVariantMap wrongVersion{{QStringLiteral("v"), qint64(2)}, {QStringLiteral("path"), file},
                             {QStringLiteral("dev"), qint64(1)}, {QStringLiteral("ino"), qint64(1)}};
    QVariantMap pathNotString = wrongVersion;
    pathNotString[QStringLiteral("v")] = qint64(1);
    pathNotString[QStringLiteral("path")] = qint64(5);
    QVariantMap relativePath = wrongVersion;
    relativePath[QStringLiteral("v")] = qint64(1);
    relativePath[QStringLiteral("path")] = QStringLiteral("relative/a");
    QVariantMap noInode = wrongVersion;
    noInode[QStringLiteral("v")] = qint64(1);
    noInode.remove(QStringLiteral("ino"));

    const QList<QByteArray> damaged{
        QByteArray(),
        QByteArray("not a property list"),
        good.left(good.size() / 2),
        QByteArray(200 * 1024, 'x'),
        serialize(QVariantList{file}),
        serialize(wrongVersion),
        serialize(pathNotString),
        serialize(relativePath),
        serialize(noInode),
    };
    for (const QByteArray& data : damaged) {
        const Bookmark::Resolution resolution = Bookmark::resolveBookmark(data);
        EXPECT_FALSE(resolution.ok()) << data.left(40).toHex().toStdString();
        EXPECT_FALSE(resolution.url.has_value());
    }
}

TEST_F(BookmarkTest, CanonicalFileURLs)
{
    EXPECT_EQ(Bookmark::canonicalFileURLString(QStringLiteral("/")), QStringLiteral("file:///"));
    EXPECT_EQ(Bookmark::canonicalFileURLString(dir), QStringLiteral("file://") + dir + QStringLiteral("/"));
    EXPECT_EQ(Bookmark::canonicalFileURLString(dir + QStringLiteral("/./x/../")), Bookmark::canonicalFileURLString(dir));
    EXPECT_EQ(Bookmark::canonicalFileURLString(QStringLiteral("/no/such thing")), QStringLiteral("file:///no/such%20thing"));
    EXPECT_TRUE(Bookmark::canonicalFileURLString(QString()).isEmpty());
    EXPECT_EQ(Bookmark::canonicalFileURL(QStringLiteral("/")).toLocalFile(), QStringLiteral("/"));
}

TEST_F(BookmarkTest, AccessIsCountedAndBalanced)
{
    const QUrl folder = Bookmark::canonicalFileURL(dir);
    const QUrl sameFolderOtherSpelling = QUrl::fromLocalFile(dir);
    const int before = Bookmark::accessCount();
    EXPECT_TRUE(Bookmark::startAccessing(folder));
    EXPECT_TRUE(Bookmark::startAccessing(sameFolderOtherSpelling));
    EXPECT_EQ(Bookmark::accessCount(), before + 2);
    EXPECT_EQ(Bookmark::accessCount(folder), 2);
    Bookmark::stopAccessing(sameFolderOtherSpelling);
    Bookmark::stopAccessing(folder);
    EXPECT_EQ(Bookmark::accessCount(folder), 0);
    // An end without a begin does not push the count below the balance.
    Bookmark::stopAccessing(folder);
    EXPECT_EQ(Bookmark::accessCount(), before);
}

TEST_F(BookmarkTest, AccessChecksFollowTheFileMode)
{
    const QString file = dir + QStringLiteral("/mode");
    writeFile(file);
    EXPECT_TRUE(Bookmark::isReadable(file));
    EXPECT_TRUE(Bookmark::isReadWritable(file));
    ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0444), 0);
    EXPECT_TRUE(Bookmark::isReadable(file));
    // root ignores the mode bits, so only check writability as a normal user
    if (::geteuid() != 0) {
        EXPECT_FALSE(Bookmark::isReadWritable(file));
        ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0000), 0);
        EXPECT_FALSE(Bookmark::isReadable(file));
    }
    EXPECT_FALSE(Bookmark::isReadable(dir + QStringLiteral("/missing")));
    EXPECT_FALSE(Bookmark::isReadable(QString()));
}

} // namespace
