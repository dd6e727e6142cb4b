#include "datastore/DataStorage.h"
#include "datastore/TagManager.h"
#include "platform/Bundle.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QSet>

#include <gtest/gtest.h>

#include <optional>

using vantel::DataStorage;
using vantel::platform::Bundle;

using vantel::test::paintedPixels;
using vantel::test::renderIcon;

namespace {

// One colour, with only its opacity varying, so that a tint shows the
// whole picture.
bool isSingleColour(const QImage& image)
{
    std::optional<QColor> first;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() < 160)
                continue;
            if (!first)
                first = c;
            else if (std::abs(c.red() - first->red()) + std::abs(c.green() - first->green())
                         + std::abs(c.blue() - first->blue()) > 60)
                return false;
        }
    return true;
}

} // namespace

// Every tag symbol and the default tag image show something at the sizes the
// lists and the cache use, and no two symbols look alike.
TEST(ImageLookupTest, EveryTagSymbolResolvesAndLooksDistinct)
{
    DataStorage store;
    QStringList names = store.tagManager().iconNames();
    ASSERT_EQ(names.size(), 143);
    names.prepend(store.tagManager().defaultFolder);

    const int columns = 12;
    const int cell = 56;
    QImage grid(columns * cell, int((names.size() + columns - 1) / columns) * cell, QImage::Format_ARGB32);
    grid.fill(Qt::white);
    QPainter painter(&grid);

    QHash<QByteArray, QString> seen;
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QString& name = names.at(i);
        const std::optional<QIcon> icon = Bundle::main().imageNamed(name);
        ASSERT_TRUE(icon.has_value()) << name.toStdString();
        for (int side : {32, 48}) {
            const QImage image = renderIcon(*icon, side);
            EXPECT_GT(paintedPixels(image), side) << name.toStdString() << " at " << side;
        }
        const QImage big = renderIcon(*icon, 48);
        EXPECT_TRUE(i == 0 || isSingleColour(big)) << name.toStdString() << " is not in one colour";
        const QByteArray hash = QCryptographicHash::hash(
            QByteArrayView(big.constBits(), big.sizeInBytes()), QCryptographicHash::Sha1);
        EXPECT_FALSE(seen.contains(hash)) << name.toStdString() << " looks like " << seen.value(hash).toStdString();
        seen.insert(hash, name);
        painter.drawImage(int(i % columns) * cell + 4, int(i / columns) * cell + 4, big);
    }
    painter.end();
    const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/output");
    ASSERT_TRUE(QDir().mkpath(folder));
    EXPECT_TRUE(grid.save(folder + QStringLiteral("/tag-symbols.png")));
}

// Every other image the application asks for by name: the status item, the
// sidebar's categories, URL entries by scheme, the entry list and the
// settings. Each shows something at both list sizes; the grid is for a look.
TEST(ImageLookupTest, EveryNamedImageResolves)
{
    const QStringList names = {
        QStringLiteral("statusbar-1"),
        QStringLiteral("statusbar-2"),
        QStringLiteral("statusbar-3"),
        QStringLiteral("statusbar-4"),
        QStringLiteral("icon_allApplications"),
        QStringLiteral("icon_allFolders"),
        QStringLiteral("icon_allFiles"),
        QStringLiteral("icon_allFavorites"),
        QStringLiteral("icon_url"),
        QStringLiteral("icon_recentApplications"),
        QStringLiteral("icon_openApplications"),
        QStringLiteral("icon_shortcuts"),
        QStringLiteral("icon_folder"),
        QStringLiteral("icon_tags"),
        QStringLiteral("unkownObject"),
        QStringLiteral("url_Custom"),
        QStringLiteral("url_HTTPs"),
        QStringLiteral("url_Shortcuts"),
        QStringLiteral("url_KeyboardMaestro"),
        QStringLiteral("url_Mail"),
        QStringLiteral("url_Things"),
        QStringLiteral("url_Ulysses"),
        QStringLiteral("url_DevonThink"),
        QStringLiteral("url_Craft"),
        QStringLiteral("url_Drafts"),
        QStringLiteral("tag_Background"),
        QStringLiteral("overlay_Execute"),
        QStringLiteral("status_AppActive"),
        QStringLiteral("status_unknown"),
        QStringLiteral("toolbar_question"),
    };

    const int columns = 6;
    const int cellWidth = 150;
    const int cellHeight = 78;
    QImage grid(columns * cellWidth, int((names.size() + columns - 1) / columns) * cellHeight, QImage::Format_ARGB32);
    grid.fill(Qt::white);
    QPainter painter(&grid);
    QFont font = painter.font();
    font.setPixelSize(11);
    painter.setFont(font);
    painter.setPen(Qt::black);

    for (qsizetype i = 0; i < names.size(); ++i) {
        const QString& name = names.at(i);
        const std::optional<QIcon> icon = Bundle::main().imageNamed(name);
        ASSERT_TRUE(icon.has_value()) << name.toStdString();
        for (int side : {32, 48}) {
            const QImage image = renderIcon(*icon, side);
            EXPECT_GT(paintedPixels(image), side) << name.toStdString() << " at " << side;
        }
        const QPoint cell(int(i % columns) * cellWidth, int(i / columns) * cellHeight);
        painter.drawImage(cell + QPoint((cellWidth - 48) / 2, 6), renderIcon(*icon, 48));
        painter.drawText(QRect(cell + QPoint(2, 56), QSize(cellWidth - 4, 18)), Qt::AlignCenter, name);
    }
    painter.end();
    const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/output");
    ASSERT_TRUE(QDir().mkpath(folder));
    EXPECT_TRUE(grid.save(folder + QStringLiteral("/named-images.png")));
}

TEST(ImageLookupTest, UnknownNameAnswersNone)
{
    EXPECT_FALSE(Bundle::main().imageNamed(QStringLiteral("icon_no_such_symbol")).has_value());
    EXPECT_FALSE(Bundle::main().imageNamed(QStringLiteral("folder")).has_value()); // a theme name is not an image name
    EXPECT_FALSE(Bundle::main().imageNamed(QString()).has_value());
}
