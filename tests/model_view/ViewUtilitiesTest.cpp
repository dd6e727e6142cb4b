#include "model/view/ViewUtilities.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QMimeData>
#include <QUrl>

using namespace vantel;

TEST(ViewUtilities, DragsAreAcceptedOnlyWhenEveryItemIsRegistered)
{
    const QStringList filesOnly{fileURLDragType};
    const QStringList filesAndURLs{fileURLDragType, urlDragType};

    QMimeData empty;
    EXPECT_TRUE(acceptsDraggedFiles(filesOnly, &empty));
    EXPECT_TRUE(acceptsDraggedFiles(filesOnly, nullptr));

    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/a")), QUrl::fromLocalFile(QStringLiteral("/tmp/b"))});
    files.setText(QStringLiteral("/tmp/a\n/tmp/b"));  // file managers add the paths as text
    EXPECT_TRUE(acceptsDraggedFiles(filesOnly, &files));

    QMimeData mixed;
    mixed.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/a"))});
    mixed.setText(QStringLiteral("some plain text"));
    EXPECT_FALSE(acceptsDraggedFiles(filesOnly, &mixed));

    QMimeData web;
    web.setUrls({QUrl(QStringLiteral("https://example.org"))});
    EXPECT_FALSE(acceptsDraggedFiles(filesOnly, &web));
    EXPECT_TRUE(acceptsDraggedFiles(filesAndURLs, &web));

    QMimeData image;
    image.setData(QStringLiteral("image/png"), QByteArray("png"));
    EXPECT_FALSE(acceptsDraggedFiles(filesAndURLs, &image));
}

TEST(ViewUtilities, DarkPalettes)
{
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(30, 30, 30));
    EXPECT_TRUE(isDark(dark));
    QPalette light;
    light.setColor(QPalette::Window, QColor(240, 240, 240));
    EXPECT_FALSE(isDark(light));
}

TEST(ViewUtilities, SnapshotsOfRowsUseTheBaseColourAndRestoreTheirOwn)
{
    QLabel row;
    row.resize(40, 10);
    QPalette palette = row.palette();
    palette.setColor(QPalette::Base, QColor(10, 200, 10));
    palette.setColor(row.backgroundRole(), QColor(200, 10, 10));
    row.setPalette(palette);
    row.setAutoFillBackground(false);

    const QImage image = snapshotImage(&row, true);
    ASSERT_EQ(image.size(), QSize(40, 10) * image.devicePixelRatio());
    EXPECT_EQ(image.pixelColor(1, 1), QColor(10, 200, 10));
    EXPECT_EQ(row.palette().color(row.backgroundRole()), QColor(200, 10, 10));
    EXPECT_FALSE(row.autoFillBackground());

    QLabel empty;
    empty.resize(0, 0);
    const QImage none = snapshotImage(&empty);
    EXPECT_FALSE(none.isNull());
    EXPECT_EQ(none.size(), QSize(1, 1));
    EXPECT_FALSE(snapshotImage(nullptr).isNull());
}
