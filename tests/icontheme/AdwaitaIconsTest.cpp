// The named images and the sidebar under a theme whose plain icons are in
// full colour (Adwaita keeps single-colour ones under "-symbolic" names).
// A process of its own: the icon theme and the image lookups are global.
#include "mainwindow/SidebarTestSupport.h"

#include "graphics/ImageUtilities.h"
#include "mainwindow/SidebarItemDelegate.h"
#include "platform/Bundle.h"
#include "platform/SymbolicImage.h"

#include <QIcon>
#include <QImage>
#include <QPixmap>

#include <cstdlib>

using namespace vantel;

namespace {

class AdwaitaIconsTest : public test::SidebarTest {
protected:
    static void SetUpTestSuite()
    {
        QIcon::setThemeSearchPaths(QIcon::themeSearchPaths() << QStringLiteral("/usr/share/icons"));
        QIcon::setThemeName(QStringLiteral("Adwaita"));
    }

    void SetUp() override
    {
        test::SidebarTest::SetUp();
        ASSERT_TRUE(QIcon::hasThemeIcon(QStringLiteral("document-open-recent")))
            << "the Adwaita icon theme (adwaita-icon-theme) is needed";
    }
};

// The share of the square's pixels that differ from the background.
double coverage(const QImage& source, const QRect& square, QRgb background)
{
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    int painted = 0;
    for (int y = square.top(); y <= square.bottom(); ++y)
        for (int x = square.left(); x <= square.right(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (std::abs(qRed(pixel) - qRed(background)) + std::abs(qGreen(pixel) - qGreen(background))
                    + std::abs(qBlue(pixel) - qBlue(background))
                > 60)
                ++painted;
        }
    return double(painted) / (square.width() * square.height());
}

TEST_F(AdwaitaIconsTest, TintedPlacesGetSingleColourPicturesFromAFullColourTheme)
{
    // The premise: the theme's plain icon is a full-colour picture.
    const QIcon plain = QIcon::fromTheme(QStringLiteral("document-open-recent"));
    EXPECT_FALSE(platform::isSymbolicImage(plain));

    for (const char* name : {"icon_recentApplications", "icon_allApplications", "icon_openApplications",
                             "icon_allFavorites", "icon_folder_home", "icon_computer"}) {
        const std::optional<QIcon> image = platform::Bundle::main().imageNamed(QString::fromLatin1(name));
        ASSERT_TRUE(image) << name;
        EXPECT_TRUE(platform::isSymbolicImage(*image)) << name;
    }
    // A name the bundle draws itself stays the bundle's.
    const std::optional<QIcon> bundled = platform::Bundle::main().imageNamed(QStringLiteral("icon_zsh"));
    ASSERT_TRUE(bundled);
    EXPECT_TRUE(platform::isSymbolicImage(*bundled));
}

TEST_F(AdwaitaIconsTest, AFullColourIconKeepsItsColoursWhenATintIsAskedFor)
{
    const QIcon plain = QIcon::fromTheme(QStringLiteral("document-open-recent"));
    const QImage before = plain.pixmap(QSize(32, 32), 1.0).toImage().convertToFormat(QImage::Format_ARGB32);
    const QImage after =
        tinted(plain, QColor(Qt::red)).pixmap(QSize(32, 32), 1.0).toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(before.size(), after.size());
    EXPECT_EQ(before, after);
}

TEST_F(AdwaitaIconsTest, TheRecentApplicationsRowShowsASymbolNotADisc)
{
    sidebar->updateContent(true);
    sidebar->resize(240, 300);
    sidebar->show();
    QCoreApplication::processEvents();
    const QImage picture = sidebar->viewport()->grab().toImage();
    ASSERT_TRUE(picture.save(outputFolder() + QStringLiteral("/sidebar-adwaita.png")));

    int checked = 0;
    for (int row = 0; row < sidebar->numberOfRows(); ++row) {
        const SourceListItemPtr item = sidebar->itemAtRow(row);
        if (item->itemType() == SourceListItemType::header)
            continue;
        QStyleOptionViewItem option;
        option.initFrom(sidebar->viewport());
        option.rect = sidebar->visualRect(sidebar->model().indexForItem(item.get()));
        option.rect.setRight(sidebar->viewport()->width() - 1);
        const QRect icon = sidebar->cellDelegate().iconCellLayout(option, *item).icon;
        ASSERT_FALSE(icon.isEmpty()) << item->name().toStdString();
        // Sampled just left of the icon: the row's own background.
        ASSERT_GE(icon.left(), 2) << item->name().toStdString();
        const QRgb background = picture.pixel(icon.left() - 2, icon.center().y());
        const double share = coverage(picture, icon, background);
        // A blot covers most of its square; a symbol's strokes far less.
        EXPECT_GT(share, 0.05) << item->name().toStdString() << ": blank";
        EXPECT_LT(share, 0.6) << item->name().toStdString() << ": a solid blot";
        ++checked;
    }
    EXPECT_GE(checked, 3);
}

} // namespace
