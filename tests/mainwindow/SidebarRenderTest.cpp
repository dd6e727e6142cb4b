#include "SidebarTestSupport.h"

#include "mainwindow/MainViewController.h"
#include "mainwindow/SidebarItemDelegate.h"

#include <QImage>
#include <QPixmap>

using namespace vantel;

class SidebarRenderTest : public test::SidebarTest {
protected:
    // A catalogue as a user has it: files, folders, web links, a favourite
    // and nested tags, some with a colour and a symbol of their own.
    void fillCatalogue()
    {
        addPath(QStringLiteral("Budget 2026.ods"), ListviewItemType::file, {QStringLiteral("Office|Finance")});
        addPath(QStringLiteral("Projects"), ListviewItemType::folder, {QStringLiteral("Development")});
        for (int i = 0; i < 12; ++i)
            addURL(QStringLiteral("doc%1").arg(i), {QStringLiteral("Office|Documents and Spreadsheets of the Team")});
        addURL(QStringLiteral("mail"), {QStringLiteral("Office|Mail")});
        addURL(QStringLiteral("repo"), {QStringLiteral("Development|Git")})->setIsFavorite(true);
        for (int i = 0; i < 128; ++i)
            addURL(QStringLiteral("game%1").arg(i), {QStringLiteral("Games")});
        addURL(QStringLiteral("chess"), {QStringLiteral("Games|Board|Chess")});
        store->rebuildData(DataStorageRebuildReason::userInitiatedRequest);
        const auto style = [this](const QString& name, const QString& symbol, std::optional<QColor> colour) {
            const iconTagPtr tag = tags().tagForName(name);
            ASSERT_NE(tag, nullptr) << name.toStdString();
            tag->setTagSymbol(symbol);
            if (colour)
                tag->setColor(platform::Color::fromQColor(*colour));
        };
        style(QStringLiteral("Office|Finance"), QStringLiteral("icon_money_euro"), QColor(0x2e, 0x9e, 0x4f));
        style(QStringLiteral("Office|Mail"), QStringLiteral("icon_envelope"), QColor(0x1f, 0x6f, 0xd1));
        style(QStringLiteral("Development"), QStringLiteral("icon_code"), QColor(0xe0, 0x6c, 0x1a));
        style(QStringLiteral("Development|Git"), QStringLiteral("icon_database"), std::nullopt);
        style(QStringLiteral("Games"), QStringLiteral("icon_game"), QColor(0xb0, 0x32, 0xc8));
        sidebar->updateContent(true);
    }
};

TEST_F(SidebarRenderTest, ACatalogueRendersWithIconsAndAlignedCounts)
{
    fillCatalogue();
    ASSERT_TRUE(sidebar->selectItemWithTagName(QStringLiteral("Office|Mail")));
    sidebar->resize(240, 620);
    sidebar->show();
    sidebar->setFocus();
    QCoreApplication::processEvents();

    const QPixmap picture = sidebar->grab();
    ASSERT_TRUE(picture.save(outputFolder() + QStringLiteral("/sidebar.png")));

    // Every entry row has its icon; every badge ends at the same column and
    // no caption runs into a badge or off the row.
    const SidebarItemDelegate& cells = sidebar->cellDelegate();
    std::optional<int> badgeRight;
    int badges = 0;
    for (int row = 0; row < sidebar->numberOfRows(); ++row) {
        const SourceListItemPtr item = sidebar->itemAtRow(row);
        if (item->itemType() == SourceListItemType::header)
            continue;
        EXPECT_TRUE(item->icon().has_value()) << item->name().toStdString();
        QStyleOptionViewItem option;
        option.initFrom(sidebar->viewport());
        option.rect = sidebar->visualRect(sidebar->model().indexForItem(item.get()));
        option.rect.setRight(sidebar->viewport()->width() - 1);
        const auto layout = cells.iconCellLayout(option, *item);
        EXPECT_GE(layout.icon.left(), 0) << item->name().toStdString();
        if (!layout.badge.isEmpty()) {
            ++badges;
            if (!badgeRight)
                badgeRight = layout.badge.right();
            EXPECT_EQ(layout.badge.right(), *badgeRight) << item->name().toStdString();
            EXPECT_LT(layout.caption.right(), layout.badge.left());
        }
        EXPECT_LE(layout.caption.right(), sidebar->viewport()->width());
    }
    // Documents..., Finance, Mail, Development, Git, Games, Chess: the folders Office and Board have none.
    EXPECT_EQ(badges, 7);

    // The selected row is painted in the highlight colour.
    const QImage image = picture.toImage();
    const QRect selected = sidebar->visualRect(sidebar->model().indexForItem(sidebar->selectedItem().get()));
    const QPoint probe = sidebar->viewport()->mapTo(sidebar.get(), QPoint(sidebar->viewport()->width() - 30,
                                                                          selected.center().y()));
    const QColor highlight = sidebar->palette().color(QPalette::Active, QPalette::Highlight);
    EXPECT_EQ(image.pixelColor(probe * image.devicePixelRatio()).rgb(), highlight.rgb());
}

TEST_F(SidebarRenderTest, NumbersFollowTheSetting)
{
    fillCatalogue();
    const SourceListItemPtr games = sidebar->searchForSourceListItem(QStringLiteral("Games"));
    ASSERT_NE(games, nullptr);
    EXPECT_EQ(SidebarItemDelegate::usageCounter(*games), 128);
    config().setSidebarCategoriesShowNumberOfElementInSidebar(false);
    EXPECT_FALSE(SidebarItemDelegate::usageCounter(*games).has_value());
    config().setSidebarCategoriesShowNumberOfElementInSidebar(true);
    // Categories never show one.
    const SourceListItemPtr urls = sidebar->searchForSourceListItem(
        sidebar->outlineViewStructure().first()->children().at(1)->tag());
    EXPECT_FALSE(SidebarItemDelegate::usageCounter(*urls).has_value());

    sidebar->resize(240, 620);
    sidebar->show();
    config().setSidebarCategoriesShowNumberOfElementInSidebar(false);
    sidebar->redrawContent();
    ASSERT_TRUE(sidebar->grab().save(outputFolder() + QStringLiteral("/sidebar-without-numbers.png")));
    config().setSidebarCategoriesShowNumberOfElementInSidebar(true);
}

TEST_F(SidebarRenderTest, ADarkPaletteKeepsIconsAndTextReadable)
{
    fillCatalogue();
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(0x2a, 0x2e, 0x32));
    dark.setColor(QPalette::Base, QColor(0x1b, 0x1e, 0x20));
    dark.setColor(QPalette::Text, QColor(0xfc, 0xfc, 0xfc));
    dark.setColor(QPalette::WindowText, QColor(0xfc, 0xfc, 0xfc));
    dark.setColor(QPalette::Highlight, QColor(0x3d, 0xae, 0xe9));
    dark.setColor(QPalette::HighlightedText, QColor(0xfc, 0xfc, 0xfc));
    sidebar->setPalette(dark);
    ASSERT_TRUE(sidebar->selectItemWithSelectionType(SidebarSelectionType::allFiles));
    sidebar->resize(240, 620);
    sidebar->show();
    sidebar->setFocus();
    QCoreApplication::processEvents();
    const QImage image = sidebar->grab().toImage();
    ASSERT_TRUE(image.save(outputFolder() + QStringLiteral("/sidebar-dark.png")));

    // The untinted category icon of an unselected row is drawn light on the dark background.
    const SourceListItemPtr folders = sidebar->searchForSourceListItem(
        sidebar->outlineViewStructure().first()->children().at(2)->tag());
    ASSERT_EQ(folders->itemContentType(), SourceListItemContentType::allFolders);
    QStyleOptionViewItem option;
    option.initFrom(sidebar->viewport());
    option.rect = sidebar->visualRect(sidebar->model().indexForItem(folders.get()));
    const QRect icon = sidebar->cellDelegate().iconCellLayout(option, *folders).icon;
    int light = 0;
    for (int y = icon.top(); y <= icon.bottom(); ++y)
        for (int x = icon.left(); x <= icon.right(); ++x)
            if (qGray(image.pixel(sidebar->viewport()->mapTo(sidebar.get(), QPoint(x, y)) * image.devicePixelRatio()))
                > 200)
                ++light;
    EXPECT_GT(light, 10);
}

// Run with LANG=de_DE.UTF-8 only: at the main view's sidebar width every
// German category caption is shown whole, not cut short with an ellipsis.
using GermanSidebarTest = SidebarRenderTest;
TEST_F(GermanSidebarTest, CategoryCaptionsFitTheSidebar)
{
    fillCatalogue();
    sidebar->resize(mainwindow::MainViewController::sidebarWidth, 620);
    sidebar->show();
    QCoreApplication::processEvents();
    const SidebarItemDelegate& cells = sidebar->cellDelegate();
    int categories = 0;
    for (int row = 0; row < sidebar->numberOfRows(); ++row) {
        const SourceListItemPtr item = sidebar->itemAtRow(row);
        if (item->itemType() == SourceListItemType::header
            || item->itemContentType() == SourceListItemContentType::tag)
            continue;
        ++categories;
        QStyleOptionViewItem option;
        option.initFrom(sidebar->viewport());
        option.rect = sidebar->visualRect(sidebar->model().indexForItem(item.get()));
        option.rect.setRight(sidebar->viewport()->width() - 1);
        const auto layout = cells.iconCellLayout(option, *item);
        EXPECT_GE(layout.caption.width(), sidebar->fontMetrics().horizontalAdvance(item->name()))
            << item->name().toStdString();
    }
    EXPECT_GE(categories, 5);
}
