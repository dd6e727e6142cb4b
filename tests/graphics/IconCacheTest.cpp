#include "graphics/IconCache.h"

#include "datastore/DataStorage.h"
#include "datastore/TagManager.h"
#include "graphics/ImageUtilities.h"
#include "model/iconTag.h"
#include "platform/Bundle.h"
#include "platform/Color.h"
#include "platform/Log.h"
#include "platform/Thumbnails.h"
#include "platform/SystemMimeData.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <utime.h>

using vantel::DataStorage;
using vantel::DatastorageState;
using vantel::IconCache;
using vantel::ListviewItemSource;
using vantel::ListviewItemType;
using vantel::TableViewItem;
using vantel::TableViewItemPtr;
using vantel::TagManager;
using vantel::naturalImageSize;
using vantel::platform::Bundle;
using vantel::platform::Thumbnails;

using vantel::test::renderIcon;

namespace {

// The colours of the painted pixels, opaque ones only.
QSet<QRgb> paintedColours(const QImage& image)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) == 255)
                colours.insert(image.pixel(x, y) | 0xff000000u);
    return colours;
}

qint64 imageKey(const QString& name)
{
    const std::optional<QIcon> image = Bundle::main().imageNamed(name);
    EXPECT_TRUE(image.has_value()) << name.toStdString();
    return image ? image->cacheKey() : -1;
}

QString writeImage(const QString& path, QSize size, QColor colour)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(colour);
    EXPECT_TRUE(image.save(path, "png"));
    return path;
}

TableViewItemPtr fileEntry(const QString& path, ListviewItemType type = ListviewItemType::file)
{
    return TableViewItem::initForPath(path, QFileInfo(path).fileName(), type, ListviewItemSource::other);
}

TableViewItemPtr urlEntry(const QString& url)
{
    return TableViewItem::initForURL(url, QStringLiteral("Link"), QString());
}

class IconCacheTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = vantel::test::makeTempDir(QStringLiteral("icon-cache"));
        IconCache::shared().removeAllObjects();
    }
    void TearDown() override
    {
        vantel::platform::Log::setDebugLogging(false);
        DataStorage::shared().allData()->removeAll();
        DataStorage::shared().setState(DatastorageState::idle);
        vantel::test::waitUntil([] { return Thumbnails::shared().pendingCount() == 0; });
    }

    QString dir;
};

} // namespace

TEST_F(IconCacheTest, UrlEntriesShowTheSymbolOfTheirPrefix)
{
    IconCache& cache = IconCache::shared();
    EXPECT_EQ(cache.getIcon(urlEntry(QStringLiteral("HTTPS://EXAMPLE.COM/Page"))).cacheKey(), imageKey("url_HTTPs"));
    EXPECT_EQ(cache.getIcon(urlEntry(QStringLiteral("http://example.com"))).cacheKey(), imageKey("url_HTTPs"));
    EXPECT_EQ(cache.getIcon(urlEntry(QStringLiteral("mailto:someone@example.com"))).cacheKey(), imageKey("url_Mail"));
    EXPECT_EQ(cache.getIcon(urlEntry(QStringLiteral("x-devonthink-item://1234"))).cacheKey(),
              imageKey("url_DevonThink"));
    EXPECT_EQ(cache.getIcon(urlEntry(QStringLiteral("Drafts5://open"))).cacheKey(), imageKey("url_Drafts"));
    EXPECT_EQ(cache.getIcon(urlEntry(QStringLiteral("shortcuts://run-shortcut?name=x"))).cacheKey(),
              imageKey("url_Shortcuts"));
    EXPECT_EQ(cache.getIcon(urlEntry(QStringLiteral("ftp://files.example.com"))).cacheKey(), imageKey("url_Custom"));
    EXPECT_EQ(cache.customIconDefaultURL().cacheKey(), imageKey("url_Custom"));
    // The symbols differ from each other, so the lists tell them apart.
    EXPECT_NE(renderIcon(cache.customIconDefaultURL()), renderIcon(*Bundle::main().imageNamed("url_HTTPs")));
    EXPECT_EQ(cache.objectCount(), 0);
}

TEST_F(IconCacheTest, TagEntriesShowTheirSymbolTintedOrNot)
{
    TagManager& tags = TagManager::shared();
    const auto coloured = vantel::iconTag::create(QStringLiteral("IconCacheColoured"), QString());
    coloured->setColor(vantel::platform::Color::fromQColor(QColor(255, 0, 0)));
    const auto plain = vantel::iconTag::create(QStringLiteral("IconCachePlain"), QStringLiteral("icon_code"));
    tags.allAvailableTags()->append(coloured);
    tags.allAvailableTags()->append(plain);

    IconCache& cache = IconCache::shared();
    const QIcon unknown = cache.getIcon(TableViewItem::initForTag(QStringLiteral("NoSuchTagHere"), QStringLiteral("x")));
    EXPECT_EQ(unknown.cacheKey(), imageKey("icon_folder"));

    const QIcon tintedIcon = cache.getIcon(TableViewItem::initForTag(coloured->tagName(), QStringLiteral("c")));
    const QSet<QRgb> colours = paintedColours(renderIcon(tintedIcon));
    ASSERT_FALSE(colours.isEmpty());
    EXPECT_EQ(colours, QSet<QRgb>{qRgb(255, 0, 0)});
    // The default tag symbol under the tint.
    const QImage tagSymbol = renderIcon(*Bundle::main().imageNamed(tags.defaultTag));
    const QImage tinted = renderIcon(tintedIcon);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 48; ++x)
            ASSERT_EQ(qAlpha(tinted.pixel(x, y)), qAlpha(tagSymbol.pixel(x, y)));

    EXPECT_EQ(cache.getIcon(TableViewItem::initForTag(plain->tagName(), QStringLiteral("p"))).cacheKey(),
              imageKey("icon_code"));
    tags.allAvailableTags()->removeAllWhere([&](const vantel::iconTagPtr& tag) { return tag == coloured || tag == plain; });
}

TEST_F(IconCacheTest, UnreachableEntriesShowTheUnknownObject)
{
    IconCache& cache = IconCache::shared();
    const QIcon unknown = cache.customIconUnkownObject();
    ASSERT_FALSE(unknown.isNull());
    EXPECT_EQ(unknown.cacheKey(), imageKey("unkownObject"));
    EXPECT_EQ(cache.getIcon(fileEntry(dir + "/missing.png")).cacheKey(), unknown.cacheKey());
    EXPECT_EQ(cache.getIcon(fileEntry(dir + "/gone", ListviewItemType::folder)).cacheKey(), unknown.cacheKey());
    EXPECT_EQ(cache.getIcon(nullptr).cacheKey(), unknown.cacheKey());
    EXPECT_EQ(cache.objectCount(), 0);
}

TEST_F(IconCacheTest, FileEntriesAreCachedRefreshedAndMadeAgainAfterEmptying)
{
    IconCache& cache = IconCache::shared();
    const QString path = writeImage(dir + "/photo.png", {100, 50}, Qt::blue);
    const TableViewItemPtr entry = fileEntry(path);

    EXPECT_EQ(naturalImageSize(cache.getIcon(entry, false)), QSize(32, 32)); // the workspace icon, at once
    const auto object = cache.cachedObject(QUrl::fromLocalFile(path));
    ASSERT_TRUE(object);
    EXPECT_EQ(object->thumbnailRequestCount(), 1);
    ASSERT_TRUE(vantel::test::waitUntil([&] { return naturalImageSize(cache.getIcon(entry)) == QSize(96, 48); }));
    EXPECT_EQ(naturalImageSize(cache.getIcon(entry, false)), QSize(64, 32));
    EXPECT_EQ(cache.cachedObject(QUrl::fromLocalFile(path)), object);

    // A hit refreshes: a changed file asks for a new thumbnail.
    struct utimbuf times {1300000000, 1300000000};
    ASSERT_EQ(::utime(QFile::encodeName(path).constData(), &times), 0);
    (void)cache.getIcon(entry);
    EXPECT_EQ(object->thumbnailRequestCount(), 2);

    cache.removeAllObjects();
    EXPECT_EQ(cache.objectCount(), 0);
    (void)cache.getIcon(entry);
    const auto renewed = cache.cachedObject(QUrl::fromLocalFile(path));
    ASSERT_TRUE(renewed);
    EXPECT_NE(renewed, object);
    EXPECT_EQ(renewed->thumbnailRequestCount(), 1);
    EXPECT_FALSE(cache.addObject(QUrl::fromLocalFile(path))); // already there
}

TEST_F(IconCacheTest, VerificationRunsAtMostEveryFiveMinutes)
{
    vantel::platform::Log::setDebugLogging(true);
    IconCache& cache = IconCache::shared();
    const auto store = DataStorage::shared().allData();
    store->append(fileEntry(writeImage(dir + "/a.png", {10, 10}, Qt::red)));
    store->append(fileEntry(dir, ListviewItemType::folder));
    store->append(fileEntry(dir + "/missing.txt"));
    store->append(urlEntry(QStringLiteral("https://example.com")));

    // The first notification after launch always verifies.
    cache.setLastCacheRebuild(QDateTime::fromMSecsSinceEpoch(0, QTimeZone::utc()));
    vantel::platform::NotificationCenter::defaultCenter().post(QStringLiteral("dataStorageRebuildIsFinished"));
    EXPECT_EQ(cache.objectCount(), 0); // each entry in its own later block
    EXPECT_TRUE(vantel::test::waitUntil([&] { return cache.objectCount() == 2; }));
    const QDateTime first = cache.lastCacheRebuild();
    EXPECT_LE(first.secsTo(QDateTime::currentDateTimeUtc()), 60);

    // Ten seconds later: skipped, and the time stamp stays.
    cache.removeAllObjects();
    const QDateTime tenSecondsAgo = QDateTime::currentDateTimeUtc().addSecs(-10);
    cache.setLastCacheRebuild(tenSecondsAgo);
    vantel::platform::Log::CaptureSink log;
    cache.dataStorageRebuildIsFinished();
    vantel::test::spinEventLoop(std::chrono::milliseconds(50));
    EXPECT_EQ(cache.objectCount(), 0);
    EXPECT_EQ(cache.lastCacheRebuild(), tenSecondsAgo);
    EXPECT_TRUE(log.messages().contains(QStringLiteral(
        "dataStorageRebuildIsFinished but we don't verify the cache because the last verify was less than 300.0 "
        "seconds ago ...")));

    // 301 seconds later: verified again.
    cache.setLastCacheRebuild(QDateTime::currentDateTimeUtc().addSecs(-301));
    cache.dataStorageRebuildIsFinished();
    EXPECT_TRUE(vantel::test::waitUntil([&] { return cache.objectCount() == 2; }));
}

TEST_F(IconCacheTest, BusyStoreVerifiesNothingButRenewsTheTimeStamp)
{
    IconCache& cache = IconCache::shared();
    DataStorage::shared().allData()->append(fileEntry(dir, ListviewItemType::folder));
    DataStorage::shared().setState(DatastorageState::changingCurrentData);
    cache.setLastCacheRebuild(QDateTime::currentDateTimeUtc().addSecs(-1000));
    cache.dataStorageRebuildIsFinished();
    vantel::test::spinEventLoop(std::chrono::milliseconds(50));
    EXPECT_EQ(cache.objectCount(), 0);
    EXPECT_LE(cache.lastCacheRebuild().secsTo(QDateTime::currentDateTimeUtc()), 60);
}

// What the lists show, drawn into one picture to look at.
TEST_F(IconCacheTest, IconsOfEveryKindDrawn)
{
    IconCache& cache = IconCache::shared();
    QImage picture(120, 60, QImage::Format_ARGB32);
    picture.fill(Qt::white);
    {
        QPainter painter(&picture);
        painter.fillRect(10, 10, 100, 40, QColor(240, 140, 20));
    }
    ASSERT_TRUE(picture.save(dir + "/landscape.png"));
    {
        QPdfWriter writer(dir + "/letter.pdf");
        QPainter painter(&writer);
        const QRect page = painter.viewport();
        painter.fillRect(page.adjusted(page.width() / 8, page.height() / 10, -page.width() / 8, -page.height() / 2),
                         QColor(40, 90, 200));
    }
    QFile text(dir + "/notes.txt");
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("words\n");
    text.close();
    QFile app(dir + "/editor.desktop");
    ASSERT_TRUE(app.open(QIODevice::WriteOnly));
    app.write("[Desktop Entry]\nType=Application\nName=Editor\nExec=true\nIcon=accessories-text-editor\n");
    app.close();
    // Executable by its owner, as an installed desktop entry may be: an application.
    ASSERT_TRUE(app.setPermissions(app.permissions() | QFileDevice::ExeOwner));

    const QList<TableViewItemPtr> entries{
        fileEntry(dir + "/editor.desktop", ListviewItemType::application),
        fileEntry(dir + "/landscape.png"),
        fileEntry(dir + "/letter.pdf"),
        fileEntry(dir + "/notes.txt"),
        fileEntry(dir, ListviewItemType::folder),
        urlEntry(QStringLiteral("https://example.com")),
        urlEntry(QStringLiteral("mailto:a@example.com")),
        urlEntry(QStringLiteral("ftp://example.com")),
        TableViewItem::initForTag(QStringLiteral("NoSuchTagHere"), QStringLiteral("x")),
        fileEntry(dir + "/missing.png"),
    };
    for (const auto& entry : entries)
        (void)cache.getIcon(entry);
    ASSERT_TRUE(vantel::test::waitUntil([] { return Thumbnails::shared().pendingCount() == 0; }));

    const QIcon editor = cache.getIcon(entries[0]);
    EXPECT_EQ(editor.cacheKey(), cache.getIcon(entries[0]).cacheKey());
    const QImage pdf = renderIcon(cache.getIcon(entries[2]), 48);
    // The page is drawn, not a document symbol: white paper around a blue block.
    EXPECT_TRUE(paintedColours(pdf).contains(qRgb(255, 255, 255)));

    const int cell = 60;
    QImage sheet(int(entries.size()) * cell, 2 * cell, QImage::Format_ARGB32);
    sheet.fill(QColor(236, 236, 236));
    QPainter painter(&sheet);
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QIcon large = cache.getIcon(entries[i]);
        // As a list cell shows it: the 48 box, the picture centred, whatever sticks out clipped.
        QSize size = naturalImageSize(large);
        if (size.width() > 128 || size.height() > 128) // a drawing of no fixed size: the box
            size = QSize(48, 48);
        const QRect box(int(i) * cell + 6, 6, 48, 48);
        painter.save();
        painter.setClipRect(box);
        large.paint(&painter, QRect(box.center() - QPoint(size.width() / 2, size.height() / 2), size));
        painter.restore();
        cache.getIcon(entries[i], false).paint(&painter, QRect(int(i) * cell + 14, cell + 10, 32, 32));
    }
    painter.end();
    const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/output");
    ASSERT_TRUE(QDir().mkpath(folder));
    EXPECT_TRUE(sheet.save(folder + QStringLiteral("/icon-cache.png")));
}
