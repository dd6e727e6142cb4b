#include "graphics/IconCacheObject.h"

#include "access/SecurityScopedURLManager.h"
#include "graphics/ImageUtilities.h"
#include "platform/Log.h"
#include "platform/Thumbnails.h"
#include "platform/SystemMimeData.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>

#include <gtest/gtest.h>

#include <utime.h>

using vantel::IconCacheObject;
using vantel::IconCacheObjectSource;
using vantel::naturalImageSize;
using vantel::platform::Thumbnails;

namespace {

QString writeImage(const QString& path, QSize size, QColor colour)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(colour);
    EXPECT_TRUE(image.save(path, "png"));
    return path;
}

QString writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
    return path;
}

QString writePdf(const QString& path)
{
    QPdfWriter writer(path);
    QPainter painter(&writer);
    painter.fillRect(painter.viewport(), Qt::darkGreen);
    return path;
}

void setModificationTime(const QString& path, time_t seconds)
{
    struct utimbuf times {seconds, seconds};
    ASSERT_EQ(::utime(QFile::encodeName(path).constData(), &times), 0);
}

bool isClose(QColor a, QColor b)
{
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue()) < 40;
}

bool waitForThumbnails()
{
    return vantel::test::waitUntil([] { return Thumbnails::shared().pendingCount() == 0; });
}

QUrl url(const QString& path)
{
    return QUrl::fromLocalFile(path);
}

class IconCacheObjectTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        vantel::platform::Log::setDebugLogging(true);
        dir = vantel::test::makeTempDir(QStringLiteral("icon-object"));
    }
    void TearDown() override { vantel::platform::Log::setDebugLogging(false); }

    QString dir;
};

} // namespace

TEST_F(IconCacheObjectTest, WidePictureShowsTheWorkspaceIconThenItsThumbnail)
{
    const QString path = writeImage(dir + "/wide.png", {200, 100}, Qt::red);
    const auto object = IconCacheObject::create(url(path));
    ASSERT_TRUE(object);
    EXPECT_EQ(object->source(), IconCacheObjectSource::defaultIcon);
    EXPECT_EQ(object->thumbnailRequestCount(), 1);
    // The workspace icon is square.
    EXPECT_EQ(naturalImageSize(object->image(std::nullopt)), QSize(48, 48));
    EXPECT_TRUE(object->objectLastModifiedWhenAddedToCache().has_value());

    ASSERT_TRUE(vantel::test::waitUntil([&] { return object->source() == IconCacheObjectSource::thumbnail; }));
    // Filled, not cropped: twice as wide as high.
    EXPECT_EQ(naturalImageSize(object->image(std::nullopt)), QSize(96, 48));
    EXPECT_EQ(naturalImageSize(object->image(true)), QSize(96, 48));
    EXPECT_EQ(naturalImageSize(object->image(false)), QSize(64, 32));
    const QImage shown = object->image(true).pixmap(QSize(96, 48)).toImage();
    EXPECT_TRUE(isClose(shown.pixelColor(48, 24), Qt::red));
}

TEST_F(IconCacheObjectTest, NoThumbnailForTextFoldersApplicationsOrMissingFiles)
{
    const QStringList paths{
        writeFile(dir + "/notes.txt", "words\n"),
        dir,
        writeFile(dir + "/tool.desktop", "[Desktop Entry]\nType=Application\nName=Tool\nExec=true\n"),
    };
    for (const QString& path : paths) {
        const auto object = IconCacheObject::create(url(path));
        ASSERT_TRUE(object) << path.toStdString();
        EXPECT_EQ(object->thumbnailRequestCount(), 0) << path.toStdString();
        EXPECT_FALSE(object->image(std::nullopt).isNull()) << path.toStdString();
        EXPECT_EQ(naturalImageSize(object->image(false)), QSize(32, 32));
    }
    EXPECT_FALSE(IconCacheObject::create(url(dir + "/missing.png")));
    EXPECT_FALSE(IconCacheObject::create(QUrl(QStringLiteral("https://example.com/a.png"))));
}

TEST_F(IconCacheObjectTest, ThumbnailFromTheSharedCacheIsShownWithoutDecoding)
{
    // Garbage under a picture's name: only the cache can give it a thumbnail.
    const QString path = writeFile(dir + "/shared.png", "no picture in here");
    setModificationTime(path, 1650000000);
    const QString uri = Thumbnails::thumbnailURI(path);
    const QString cached = Thumbnails::cachePath(uri, QStringLiteral("normal"));
    QImage made(128, 64, QImage::Format_ARGB32);
    made.fill(Qt::yellow);
    made.setText(QStringLiteral("Thumb::URI"), uri);
    made.setText(QStringLiteral("Thumb::MTime"), QStringLiteral("1650000000"));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(cached).absolutePath()));
    ASSERT_TRUE(made.save(cached, "png"));

    const std::size_t decodes = Thumbnails::decodeCount();
    const auto object = IconCacheObject::create(url(path));
    ASSERT_TRUE(object);
    ASSERT_TRUE(vantel::test::waitUntil([&] { return object->source() == IconCacheObjectSource::thumbnail; }));
    EXPECT_EQ(Thumbnails::decodeCount(), decodes);
    EXPECT_EQ(naturalImageSize(object->image(true)), QSize(96, 48));
    EXPECT_TRUE(isClose(object->image(true).pixmap(QSize(96, 48)).toImage().pixelColor(48, 24), Qt::yellow));
}

TEST_F(IconCacheObjectTest, FailedThumbnailFallsBackAndIsNotRefreshed)
{
    const QString path = writeFile(dir + "/broken.png", "not a picture");
    vantel::platform::Log::CaptureSink log;
    const auto object = IconCacheObject::create(url(path));
    ASSERT_TRUE(object);
    EXPECT_EQ(object->thumbnailRequestCount(), 1);
    ASSERT_TRUE(waitForThumbnails());
    EXPECT_EQ(object->source(), IconCacheObjectSource::defaultIcon);
    EXPECT_FALSE(object->image(std::nullopt).isNull());
    EXPECT_TRUE(log.messages().join('\n').contains(QStringLiteral("Error: Thumbnail creation failed with error: ")));

    setModificationTime(path, 1500000000);
    object->refresh();
    EXPECT_EQ(object->thumbnailRequestCount(), 1);
}

TEST_F(IconCacheObjectTest, ChangedPdfIsThumbnailedAgainOnRefresh)
{
    const QString path = writePdf(dir + "/doc.pdf");
    const auto object = IconCacheObject::create(url(path));
    ASSERT_TRUE(object);
    ASSERT_TRUE(vantel::test::waitUntil([&] { return object->source() == IconCacheObjectSource::thumbnail; }));
    const QImage page = object->image(true).pixmap(naturalImageSize(object->image(true))).toImage();
    EXPECT_TRUE(isClose(page.pixelColor(page.width() / 2, page.height() / 2), Qt::darkGreen));

    vantel::platform::Log::CaptureSink log;
    object->refresh();
    EXPECT_EQ(object->thumbnailRequestCount(), 1);
    EXPECT_TRUE(log.messages().isEmpty());

    setModificationTime(path, 1400000000);
    object->refresh();
    EXPECT_EQ(object->thumbnailRequestCount(), 2);
    // Asked again while that request is under way (every paint asks): no second one.
    object->refresh();
    EXPECT_EQ(object->thumbnailRequestCount(), 2);
    EXPECT_TRUE(log.messages().contains(
        QStringLiteral("Refresh: The file seems to be modified -> try to get a new thumbnail for: ") + path));
    ASSERT_TRUE(waitForThumbnails());
    EXPECT_EQ(object->objectLastModifiedWhenAddedToCache()->toSecsSinceEpoch(), 1400000000);
    // Recorded: the next refresh asks nothing.
    object->refresh();
    EXPECT_EQ(object->thumbnailRequestCount(), 2);
}

TEST_F(IconCacheObjectTest, ObjectGoneBeforeItsThumbnailLeavesNoOpenAccess)
{
    const qsizetype scopes = vantel::SecurityScopedURLManager::shared().scopeCount();
    {
        const auto object = IconCacheObject::create(url(writeImage(dir + "/gone.png", {30, 30}, Qt::cyan)));
        ASSERT_TRUE(object);
        EXPECT_EQ(object->thumbnailRequestCount(), 1);
    }
    ASSERT_TRUE(waitForThumbnails());
    EXPECT_EQ(vantel::SecurityScopedURLManager::shared().scopeCount(), scopes);
}
