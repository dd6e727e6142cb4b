#include "graphics/ImageUtilities.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>

#include <gtest/gtest.h>

using namespace vantel;

namespace {

QIcon blank(int width, int height)
{
    QPixmap pix(width, height);
    pix.fill(Qt::gray);
    return QIcon(pix);
}

QSize filled(int w, int h, int boxW, int boxH)
{
    const std::optional<QIcon> icon = resizedToFill(blank(w, h), boxW, boxH);
    return icon ? naturalImageSize(*icon) : QSize();
}

} // namespace

TEST(ImageUtilitiesTest, ResizedToFillCoversTheBoxKeepingAspect)
{
    EXPECT_EQ(filled(200, 100, 48, 48), QSize(96, 48));
    EXPECT_EQ(filled(100, 200, 48, 48), QSize(48, 96));
    EXPECT_EQ(filled(512, 512, 48, 48), QSize(48, 48));
    EXPECT_EQ(filled(100, 50, 32, 32), QSize(64, 32));
    EXPECT_EQ(filled(3, 7, 10, 10), QSize(10, 23)); // rounded down

    // Drawn at its new size, sharp from the source, not a copy made earlier.
    const std::optional<QIcon> icon = resizedToFill(blank(200, 100), 48, 48);
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->pixmap(QSize(96, 48)).size(), QSize(96, 48));
    EXPECT_EQ(icon->pixmap(QSize(96, 48)).toImage().pixelColor(50, 20), QColor(Qt::gray));
}

TEST(ImageUtilitiesTest, PaintFillingFillsTheBoxWithImagesOfSmallerSizesOnly)
{
    const auto painted = [](const QIcon& image, QSize box) {
        QImage canvas(box, QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::transparent);
        QPainter painter(&canvas);
        paintFilling(painter, image, QRect(QPoint(0, 0), box));
        return canvas;
    };
    // The extent of what was drawn.
    const auto inked = [](const QImage& canvas) {
        QRect found;
        for (int y = 0; y < canvas.height(); ++y)
            for (int x = 0; x < canvas.width(); ++x)
                if (qAlpha(canvas.pixel(x, y)) > 0)
                    found |= QRect(x, y, 1, 1);
        return found;
    };
    EXPECT_EQ(inked(painted(blank(16, 16), QSize(32, 32))), QRect(0, 0, 32, 32));
    EXPECT_EQ(inked(painted(blank(16, 8), QSize(32, 32))), QRect(0, 8, 32, 16)) << "proportions kept, centred";
    EXPECT_EQ(inked(painted(blank(64, 64), QSize(32, 32))), QRect(0, 0, 32, 32)) << "a larger one as before";

    // As a theme icon in fixed-size folders: 16 and 22 pixels only.
    QIcon fixedSizes = blank(16, 16);
    fixedSizes.addPixmap(blank(22, 22).pixmap(22, 22));
    ASSERT_EQ(fixedSizes.actualSize(QSize(48, 48)), QSize(22, 22));
    EXPECT_EQ(inked(painted(fixedSizes, QSize(48, 48))), QRect(0, 0, 48, 48));
}

TEST(ImageUtilitiesTest, ImagesWithoutAreaAnswerNone)
{
    EXPECT_FALSE(resizedToFill(QIcon(), 48, 48));
    EXPECT_FALSE(resizedToFill(QIcon(QPixmap()), 48, 48));
    EXPECT_FALSE(resized(QIcon(), 48, 48));
}

TEST(ImageUtilitiesTest, TintKeepsOpacityAndLeavesTransparencyAlone)
{
    QImage symbol(16, 16, QImage::Format_ARGB32_Premultiplied);
    symbol.fill(Qt::transparent);
    symbol.setPixelColor(3, 3, QColor(0, 0, 0, 255));
    symbol.setPixelColor(5, 5, QColor(0, 0, 0, 128));
    QIcon source(QPixmap::fromImage(symbol));
    source.setIsMask(true);

    EXPECT_EQ(tinted(source, std::nullopt).cacheKey(), source.cacheKey());

    const QIcon red = tinted(source, QColor(Qt::red));
    EXPECT_NE(red.cacheKey(), source.cacheKey());
    EXPECT_FALSE(red.isMask());
    EXPECT_EQ(red.actualSize(QSize(16, 16)), QSize(16, 16));
    const QImage out = red.pixmap(QSize(16, 16)).toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(out.pixelColor(3, 3), QColor(255, 0, 0, 255));
    EXPECT_EQ(out.pixelColor(5, 5).red(), 255);
    EXPECT_EQ(out.pixelColor(5, 5).green(), 0);
    EXPECT_NEAR(out.pixelColor(5, 5).alpha(), 128, 1);
    EXPECT_EQ(out.pixelColor(0, 0).alpha(), 0);
}

TEST(ImageUtilitiesTest, OnlySymbolsTakeATint)
{
    // A symbol in grey with a blue accent: both parts take the tint.
    QImage symbol(16, 16, QImage::Format_ARGB32);
    symbol.fill(Qt::transparent);
    QPainter(&symbol).fillRect(2, 2, 8, 8, QColor(0x23, 0x26, 0x29));
    QPainter(&symbol).fillRect(10, 10, 4, 4, QColor(0x3d, 0xae, 0xe9));
    const QImage symbolOut =
        tinted(QIcon(QPixmap::fromImage(symbol)), QColor(Qt::red)).pixmap(QSize(16, 16)).toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(symbolOut.pixelColor(4, 4), QColor(Qt::red));
    EXPECT_EQ(symbolOut.pixelColor(11, 11), QColor(Qt::red));

    // A shaded, many-coloured picture is drawn as it is.
    QImage picture(16, 16, QImage::Format_ARGB32);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            picture.setPixelColor(x, y, QColor::fromHsv((x * 22) % 360, 200, 100 + y * 9));
    const QImage pictureOut =
        tinted(QIcon(QPixmap::fromImage(picture)), QColor(Qt::red)).pixmap(QSize(16, 16)).toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(pictureOut.size(), picture.size());
    int changed = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            changed += pictureOut.pixel(x, y) != picture.pixel(x, y);
    EXPECT_EQ(changed, 0);
}
