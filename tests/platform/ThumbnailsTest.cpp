#include "platform/Thumbnails.h"

#include "platform/SystemMimeData.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QPdfWriter>
#include <QThread>

#include <gtest/gtest.h>

#include <QDataStream>
#include <QElapsedTimer>

#include <sys/stat.h>
#include <utime.h>


using vantel::platform::Thumbnails;

namespace {

QString writeImage(const QString& path, QSize size, QColor colour)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(colour);
    EXPECT_TRUE(image.save(path, "png"));
    return path;
}

// A one-page PDF: white paper with a red block in its upper half.
QString writePdf(const QString& path)
{
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setResolution(72);
    QPainter painter(&writer);
    const QRect page = painter.viewport();
    painter.fillRect(QRect(page.left(), page.top(), page.width(), page.height() / 2), Qt::red);
    painter.end();
    return path;
}

void setModificationTime(const QString& path, time_t seconds)
{
    struct utimbuf times {seconds, seconds};
    ASSERT_EQ(::utime(QFile::encodeName(path).constData(), &times), 0);
}

qint64 modificationSeconds(const QString& path)
{
    struct stat info {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
    return qint64(info.st_mtim.tv_sec);
}

unsigned modeOf(const QString& path)
{
    struct stat info {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
    return unsigned(info.st_mode & 0777);
}

bool isClose(QColor a, QColor b)
{
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue()) < 40;
}

// The bundle's renderer, as the program finds it beside itself.
void useBundledPdfRenderer()
{
    Thumbnails::setPdfRenderer(QStringLiteral(VANTEL_BUNDLE_DIR "/MacOS/VantelThumbnailer"), std::chrono::seconds(20));
}

// A PNG whose header claims the size; its pixels are a few bytes.
QString writePngHeader(const QString& path, quint32 width, quint32 height)
{
    auto chunk = [](const QByteArray& type, const QByteArray& data) {
        QByteArray out;
        QDataStream(&out, QIODevice::WriteOnly) << quint32(data.size());
        out += type + data;
        quint32 crc = 0xffffffffu;
        for (const char byte : type + data) {
            crc ^= quint8(byte);
            for (int bit = 0; bit < 8; ++bit)
                crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
        }
        crc ^= 0xffffffffu;
        QByteArray tail;
        QDataStream(&tail, QIODevice::WriteOnly) << crc;
        return out + tail;
    };
    QByteArray header;
    QDataStream stream(&header, QIODevice::WriteOnly);
    stream << width << height << quint8(8) << quint8(0) << quint8(0) << quint8(0) << quint8(0);
    QByteArray png = QByteArray::fromHex("89504e470d0a1a0a") + chunk("IHDR", header)
        + chunk("IDAT", QByteArray::fromHex("789c030000000001")) + chunk("IEND", {});
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(png);
    return path;
}

QString writeScript(const QString& path, const QByteArray& body)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\n" + body);
    file.close();
    file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
    return path;
}

} // namespace

TEST(ThumbnailsTest, KnowsImagesAndPdfFromContentAndName)
{
    const QString dir = vantel::test::makeTempDir(QStringLiteral("thumb-kind"));
    EXPECT_EQ(Thumbnails::kindOf(writeImage(dir + "/a.png", {10, 10}, Qt::blue)), Thumbnails::Kind::image);
    EXPECT_EQ(Thumbnails::kindOf(writePdf(dir + "/a.pdf")), Thumbnails::Kind::pdf);
    // A PNG without its extension is still found by its content.
    QFile::copy(dir + "/a.png", dir + "/picture");
    EXPECT_EQ(Thumbnails::kindOf(dir + "/picture"), Thumbnails::Kind::image);
    QFile text(dir + "/notes.txt");
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("plain words\n");
    text.close();
    EXPECT_EQ(Thumbnails::kindOf(dir + "/notes.txt"), Thumbnails::Kind::none);
    EXPECT_EQ(Thumbnails::kindOf(dir), Thumbnails::Kind::none);
    EXPECT_EQ(Thumbnails::kindOf(dir + "/missing.png"), Thumbnails::Kind::none);
}

TEST(ThumbnailsTest, CacheNamesFollowTheThumbnailStandard)
{
    // The freedesktop thumbnail standard's own example.
    EXPECT_TRUE(Thumbnails::cachePath(QStringLiteral("file:///home/jens/photos/me.png"), QStringLiteral("normal"))
                    .endsWith(QStringLiteral("/thumbnails/normal/c6ee772d9e49320e97ec29a7eb5b1697.png")));
    EXPECT_EQ(Thumbnails::thumbnailURI(QStringLiteral("/tmp/a b/ü.png")), QStringLiteral("file:///tmp/a%20b/%C3%BC.png"));
    // Escaped as the desktop's other thumbnailers escape it.
    EXPECT_EQ(Thumbnails::thumbnailURI(QStringLiteral("/tmp/x[1];#%.png")),
              QStringLiteral("file:///tmp/x%5B1%5D%3B%23%25.png"));
    EXPECT_EQ(Thumbnails::thumbnailURI(QStringLiteral("/tmp/../tmp/./y.png")), QStringLiteral("file:///tmp/y.png"));
    EXPECT_TRUE(Thumbnails::isOnLocalVolume(vantel::test::testHome()));
    EXPECT_FALSE(Thumbnails::isOnLocalVolume(vantel::test::testHome() + QStringLiteral("/missing")));
}

TEST(ThumbnailsTest, MadeThumbnailIsWrittenBackWithItsKeys)
{
    const QString dir = vantel::test::makeTempDir(QStringLiteral("thumb-write"));
    const QString path = writeImage(dir + "/wide picture.png", {400, 200}, Qt::blue);
    const std::size_t decodes = Thumbnails::decodeCount();

    QString error;
    const QImage thumbnail = Thumbnails::thumbnailFor(path, Thumbnails::kindOf(path), &error);
    ASSERT_FALSE(thumbnail.isNull()) << error.toStdString();
    EXPECT_EQ(thumbnail.size(), QSize(128, 64));
    EXPECT_EQ(Thumbnails::decodeCount(), decodes + 1);

    const QString uri = Thumbnails::thumbnailURI(path);
    const QString cached = Thumbnails::cachePath(uri, QStringLiteral("normal"));
    const QImage stored(cached, "png");
    ASSERT_FALSE(stored.isNull());
    EXPECT_EQ(stored.size(), QSize(128, 64));
    EXPECT_EQ(stored.text(QStringLiteral("Thumb::URI")), uri);
    EXPECT_EQ(stored.text(QStringLiteral("Thumb::MTime")), QString::number(modificationSeconds(path)));
    EXPECT_EQ(stored.text(QStringLiteral("Thumb::Size")), QString::number(QFileInfo(path).size()));
    EXPECT_FALSE(stored.text(QStringLiteral("Software")).isEmpty());

    EXPECT_EQ(modeOf(cached), 0600u);
    const QFileInfo folder(QFileInfo(cached).absolutePath());
    EXPECT_EQ(modeOf(folder.absoluteFilePath()), 0700u);
    EXPECT_EQ(modeOf(folder.absolutePath()), 0700u);
    // Nothing half-written is left beside it.
    EXPECT_EQ(QDir(folder.absoluteFilePath()).entryList({QStringLiteral("*.png.*")}, QDir::Files).size(), 0);

    // The second request reads the cache.
    EXPECT_FALSE(Thumbnails::thumbnailFor(path, Thumbnails::kindOf(path), &error).isNull());
    EXPECT_EQ(Thumbnails::decodeCount(), decodes + 1);
}

TEST(ThumbnailsTest, ValidCacheEntryIsUsedWithoutDecodingTheFile)
{
    const QString dir = vantel::test::makeTempDir(QStringLiteral("thumb-hit"));
    // Not a picture at all: decoding it could only fail.
    const QString path = dir + "/holiday.png";
    QFile garbage(path);
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write("this is no PNG");
    garbage.close();
    setModificationTime(path, 1700000000);

    const QString uri = Thumbnails::thumbnailURI(path);
    QImage made(128, 96, QImage::Format_ARGB32);
    made.fill(Qt::green);
    made.setText(QStringLiteral("Thumb::URI"), uri);
    made.setText(QStringLiteral("Thumb::MTime"), QStringLiteral("1700000000"));
    QDir().mkpath(QFileInfo(Thumbnails::cachePath(uri, QStringLiteral("normal"))).absolutePath());
    ASSERT_TRUE(made.save(Thumbnails::cachePath(uri, QStringLiteral("normal")), "png"));

    const std::size_t decodes = Thumbnails::decodeCount();
    QString error;
    const QImage thumbnail = Thumbnails::thumbnailFor(path, Thumbnails::kindOf(path), &error);
    ASSERT_FALSE(thumbnail.isNull()) << error.toStdString();
    EXPECT_TRUE(isClose(thumbnail.pixelColor(10, 10), Qt::green));
    EXPECT_EQ(Thumbnails::decodeCount(), decodes);

    // A newer file makes the entry stale: the file is decoded (and fails).
    setModificationTime(path, 1700000100);
    EXPECT_TRUE(Thumbnails::thumbnailFor(path, Thumbnails::kindOf(path), &error).isNull());
    EXPECT_EQ(Thumbnails::decodeCount(), decodes + 1);
    EXPECT_FALSE(error.isEmpty());
}

TEST(ThumbnailsTest, EntryOfAnotherUriIsRefused)
{
    const QString dir = vantel::test::makeTempDir(QStringLiteral("thumb-uri"));
    const QString path = writeImage(dir + "/a.png", {50, 50}, Qt::blue);
    const QString uri = Thumbnails::thumbnailURI(path);
    QImage made(50, 50, QImage::Format_ARGB32);
    made.fill(Qt::green);
    made.setText(QStringLiteral("Thumb::URI"), QStringLiteral("file:///elsewhere/a.png"));
    made.setText(QStringLiteral("Thumb::MTime"), QString::number(modificationSeconds(path)));
    QDir().mkpath(QFileInfo(Thumbnails::cachePath(uri, QStringLiteral("normal"))).absolutePath());
    ASSERT_TRUE(made.save(Thumbnails::cachePath(uri, QStringLiteral("normal")), "png"));
    EXPECT_TRUE(Thumbnails::cachedThumbnail(path).isNull());
    QString error;
    EXPECT_TRUE(isClose(Thumbnails::thumbnailFor(path, Thumbnails::kindOf(path), &error).pixelColor(5, 5), Qt::blue));
}

TEST(ThumbnailsTest, ChangedFileGetsANewThumbnail)
{
    const QString dir = vantel::test::makeTempDir(QStringLiteral("thumb-change"));
    const QString path = writeImage(dir + "/c.png", {60, 60}, Qt::blue);
    setModificationTime(path, 1600000000);
    QString error;
    EXPECT_TRUE(isClose(Thumbnails::thumbnailFor(path, Thumbnails::kindOf(path), &error).pixelColor(5, 5), Qt::blue));

    writeImage(path, {60, 60}, Qt::yellow);
    setModificationTime(path, 1600000500);
    EXPECT_TRUE(isClose(Thumbnails::thumbnailFor(path, Thumbnails::kindOf(path), &error).pixelColor(5, 5), Qt::yellow));
    const QImage stored(Thumbnails::cachePath(Thumbnails::thumbnailURI(path), QStringLiteral("normal")), "png");
    EXPECT_EQ(stored.text(QStringLiteral("Thumb::MTime")), QStringLiteral("1600000500"));
}

TEST(ThumbnailsTest, PdfThumbnailIsTheRenderedFirstPage)
{
    useBundledPdfRenderer();
    const QString dir = vantel::test::makeTempDir(QStringLiteral("thumb-pdf"));
    const QString path = writePdf(dir + "/report.pdf");
    QString error;
    const QImage thumbnail = Thumbnails::thumbnailFor(path, Thumbnails::kindOf(path), &error);
    ASSERT_FALSE(thumbnail.isNull()) << error.toStdString();
    // A4 is portrait: the height takes the 128 pixels.
    EXPECT_EQ(thumbnail.height(), 128);
    EXPECT_NEAR(thumbnail.width(), 90, 2);
    EXPECT_TRUE(isClose(thumbnail.pixelColor(thumbnail.width() / 2, 20), Qt::red));
    EXPECT_TRUE(isClose(thumbnail.pixelColor(thumbnail.width() / 2, 110), Qt::white));
}

TEST(ThumbnailsTest, DamagedPdfGivesAnError)
{
    useBundledPdfRenderer();
    const QString dir = vantel::test::makeTempDir(QStringLiteral("thumb-badpdf"));
    QFile file(dir + "/broken.pdf");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("%PDF-1.4\nthis is where the objects would be\n");
    file.close();
    QString error;
    EXPECT_TRUE(Thumbnails::thumbnailFor(file.fileName(), Thumbnails::Kind::pdf, &error).isNull());
    EXPECT_FALSE(error.isEmpty());
}

// 16000 x 16000 pixels in a few hundred bytes: refused from the header,
// before a worker spends seconds decoding it.
TEST(ThumbnailsTest, AnImageOverThePixelBudgetIsNotDecoded)
{
    const QString dir = vantel::test::makeTempDir(QStringLiteral("thumb-huge"));
    const QString huge = writePngHeader(dir + "/huge.png", 16000, 16000);
    ASSERT_EQ(QImageReader(huge).size(), QSize(16000, 16000));
    const std::size_t decodes = Thumbnails::decodeCount();
    QString error;
    EXPECT_TRUE(Thumbnails::thumbnailFor(huge, Thumbnails::Kind::image, &error).isNull());
    EXPECT_TRUE(error.contains(QStringLiteral("too large"))) << error.toStdString();
    EXPECT_EQ(Thumbnails::decodeCount(), decodes);
    EXPECT_FALSE(QFileInfo::exists(Thumbnails::cachePath(Thumbnails::thumbnailURI(huge), QStringLiteral("normal"))));

    // Within the budget the picture is made as before.
    const QString fine = writeImage(dir + "/fine.png", {2000, 1000}, Qt::blue);
    EXPECT_EQ(Thumbnails::thumbnailFor(fine, Thumbnails::Kind::image, &error).size(), QSize(128, 64));
}

// What Poppler does to a document stays in the child: a hang is cut off at
// the time limit, a crash is an error, and this process carries on.
TEST(ThumbnailsTest, APdfThatHangsOrCrashesTheRendererCostsOnlyItsThumbnail)
{
    const QString dir = vantel::test::makeTempDir(QStringLiteral("thumb-pdf-child"));
    const QString pdf = writePdf(dir + "/report.pdf");

    Thumbnails::setPdfRenderer(writeScript(dir + "/hangs", "exec sleep 60\n"), std::chrono::milliseconds(700));
    QElapsedTimer clock;
    clock.start();
    QString error;
    EXPECT_TRUE(Thumbnails::makeThumbnail(pdf, Thumbnails::Kind::pdf, 128, &error).isNull());
    EXPECT_LT(clock.elapsed(), 30000) << "the renderer sleeps for a minute";
    EXPECT_TRUE(error.contains(QStringLiteral("took longer"))) << error.toStdString();

    Thumbnails::setPdfRenderer(writeScript(dir + "/crashes", "kill -SEGV $$\n"), std::chrono::minutes(1));
    EXPECT_TRUE(Thumbnails::makeThumbnail(pdf, Thumbnails::Kind::pdf, 128, &error).isNull());
    EXPECT_TRUE(error.contains(QStringLiteral("crashed"))) << error.toStdString();

    // A picture larger than asked for is not taken.
    writeImage(dir + "/big.png", {400, 400}, Qt::red);
    Thumbnails::setPdfRenderer(writeScript(dir + "/oversized", "cat \"" + QFile::encodeName(dir) + "/big.png\"\n"),
                               std::chrono::minutes(1));
    EXPECT_TRUE(Thumbnails::makeThumbnail(pdf, Thumbnails::Kind::pdf, 128, &error).isNull());
    EXPECT_FALSE(error.isEmpty());

    Thumbnails::setPdfRenderer(dir + "/missing", std::chrono::minutes(1));
    EXPECT_TRUE(Thumbnails::makeThumbnail(pdf, Thumbnails::Kind::pdf, 128, &error).isNull());
    EXPECT_TRUE(error.contains(QStringLiteral("cannot be started"))) << error.toStdString();

    useBundledPdfRenderer();
    EXPECT_FALSE(Thumbnails::makeThumbnail(pdf, Thumbnails::Kind::pdf, 128, &error).isNull()) << error.toStdString();
}

TEST(ThumbnailsTest, CompletionArrivesOnTheMainThread)
{
    const QString dir = vantel::test::makeTempDir(QStringLiteral("thumb-async"));
    const int count = 12;
    int done = 0;
    int wellSized = 0;
    bool allOnMain = true;
    for (int i = 0; i < count; ++i) {
        const QString path = writeImage(dir + QStringLiteral("/p%1.png").arg(i), {300, 100}, Qt::magenta);
        Thumbnails::shared().generate(path, Thumbnails::Kind::image, [&](const QImage& thumbnail, const QString&) {
            allOnMain = allOnMain && QThread::currentThread() == QCoreApplication::instance()->thread();
            ++done;
            wellSized += thumbnail.width() == 128 && std::abs(thumbnail.height() - 43) <= 1 ? 1 : 0;
        });
    }
    // Nothing is delivered before the event loop runs.
    EXPECT_EQ(done, 0);
    EXPECT_GT(Thumbnails::shared().pendingCount(), 0u);
    EXPECT_TRUE(vantel::test::waitUntil([&] { return done == count; }));
    EXPECT_TRUE(allOnMain);
    EXPECT_EQ(wellSized, count);
    EXPECT_EQ(Thumbnails::shared().pendingCount(), 0u);
}

TEST(ThumbnailsTest, OwnLeftoversInTheSharedCacheGoOthersStay)
{
    const QString folder = QFileInfo(Thumbnails::cachePath(QStringLiteral("file:///x"), QStringLiteral("normal"))).absolutePath();
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString digest = folder + QStringLiteral("/0123456789abcdef0123456789abcdef.png");
    // Ours and old; ours of a moment ago (a write may still run); others'.
    const QStringList names{digest + QStringLiteral(".saving-Ab12Cd"), digest + QStringLiteral(".saving-Zz99Yy"),
                            digest + QStringLiteral(".Ab12Cd"), folder + QStringLiteral("/notes.png.saving-Ab12Cd")};
    for (const QString& path : names) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.close();
        if (path != names[1])
            setModificationTime(path, time(nullptr) - 3600);
    }
    Thumbnails::removeWriteLeftovers();
    for (const QString& path : names)
        EXPECT_EQ(QFileInfo::exists(path), path != names[0]) << path.toStdString();
}
