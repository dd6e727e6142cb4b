#include "PopupsProbe.h"

#include "datastore/TagManager.h"
#include "popups/IconChooseCollectionView.h"
#include "popups/TagIconModel.h"

#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace vantel;

namespace {

// The share of painted pixels of the icon at `row` that are close to `colour`.
double shareInColour(const TagIconModel& model, int row, const QColor& colour)
{
    const QIcon icon = model.data(model.index(row), Qt::DecorationRole).value<QIcon>();
    const QImage image = icon.pixmap(QSize(32, 32), 1.0).toImage().convertToFormat(QImage::Format_ARGB32);
    int painted = 0;
    int matching = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.alpha() < 128)
                continue;
            ++painted;
            matching += vantel::test::near(QColor(pixel.red(), pixel.green(), pixel.blue()), colour, 10);
        }
    return painted == 0 ? 0.0 : double(matching) / painted;
}

} // namespace

TEST(TagIconModelTest, OneRowPerSymbolTintedInTheTintColour)
{
    TagIconModel model;
    ASSERT_EQ(model.rowCount(), 143);
    EXPECT_EQ(model.imageName(0), QStringLiteral("icon_tags"));
    EXPECT_EQ(model.imageName(142), QStringLiteral("icon_ai_brain"));
    EXPECT_EQ(model.rowOf(QStringLiteral("icon_3D")), TagManager::shared().iconNames().indexOf(QStringLiteral("icon_3D")));
    EXPECT_EQ(model.data(model.index(5), TagIconModel::ImageNameRole).toString(), model.imageName(5));

    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.setTintColor(QColor(200, 30, 40));
    EXPECT_EQ(changed.count(), 1);
    for (int row : {0, 20, 80, 142})
        EXPECT_GT(shareInColour(model, row, QColor(200, 30, 40)), 0.95) << model.imageName(row).toStdString();
    model.setTintColor(std::nullopt);
    EXPECT_LT(shareInColour(model, 20, QColor(200, 30, 40)), 0.05);
}

TEST(TagIconModelTest, NameWithoutImageStaysEmpty)
{
    TagIconModel model({QStringLiteral("icon_tags"), QStringLiteral("icon_no_such_symbol")});
    model.setTintColor(QColor(Qt::red));
    EXPECT_FALSE(model.data(model.index(1), Qt::DecorationRole).isValid());
    EXPECT_TRUE(model.data(model.index(0), Qt::DecorationRole).isValid());
}

// An image's name ("icon_folder_home") is no word a user reads, in any language.
TEST(TagIconModelTest, NoSymbolShowsItsImageName)
{
    TagIconModel model;
    ASSERT_GT(model.rowCount(), 0);
    for (int row = 0; row < model.rowCount(); ++row) {
        EXPECT_FALSE(model.data(model.index(row), Qt::ToolTipRole).isValid()) << model.imageName(row).toStdString();
        EXPECT_EQ(model.data(model.index(row), Qt::AccessibleTextRole).toString(),
                  QStringLiteral("Symbol %1").arg(row + 1));
    }
}

TEST(IconChooseCollectionViewTest, SelectionIsSingleAndNeverEmptied)
{
    IconChooseCollectionView view;
    view.setItemSize(QSize(24, 24));
    view.resize(view.sizeHint());
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    EXPECT_FALSE(view.selectionModel()->hasSelection()); // nothing selected to begin with

    QSignalSpy selected(&view, &IconChooseCollectionView::iconSelected);
    const QRect third = view.visualRect(view.model()->index(3, 0));
    ASSERT_TRUE(third.isValid());
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, third.center());
    ASSERT_EQ(selected.count(), 1);
    EXPECT_EQ(selected.at(0).at(0).toInt(), 3);

    // A control-click on the selected item, or a click beside all items, keeps it.
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ControlModifier, third.center());
    EXPECT_TRUE(view.selectionModel()->isSelected(view.model()->index(3, 0)));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(view.viewport()->width() - 2, view.viewport()->height() - 2));
    EXPECT_EQ(view.selectionModel()->selectedIndexes().size(), 1);

    // Another item replaces it; a control-click does not add a second one.
    const QRect fifth = view.visualRect(view.model()->index(5, 0));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, fifth.center());
    const QRect sixth = view.visualRect(view.model()->index(6, 0));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ControlModifier, sixth.center());
    const QModelIndexList now = view.selectionModel()->selectedIndexes();
    ASSERT_EQ(now.size(), 1);
    EXPECT_EQ(now.first().row(), 6);
}

TEST(IconChooseCollectionViewTest, ItemsAreSpacedByTenAndSizedAsAsked)
{
    IconChooseCollectionView view;
    view.setItemSize(QSize(20, 20));
    view.resize(400, 300);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    const QRect first = view.visualRect(view.model()->index(0, 0));
    const QRect second = view.visualRect(view.model()->index(1, 0));
    EXPECT_EQ(first.size(), QSize(20, 20));
    EXPECT_EQ(first.topLeft(), QPoint(10, 10));
    EXPECT_EQ(second.left() - first.right() - 1, 10);
}

TEST(IconChooseCollectionViewTest, PictureOfAllSymbolsTinted)
{
    IconChooseCollectionView view;
    auto* model = new TagIconModel(&view);
    view.setModel(model);
    model->setTintColor(QColor(40, 120, 200));
    view.setItemSize(QSize(24, 24));
    // Room for all 143 at once: 13 columns by 11 rows of 34 points.
    view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view.resize(13 * 34 + 10 + 4, 11 * 34 + 10 + 4);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    const QRect last = view.visualRect(model->index(142));
    EXPECT_TRUE(view.viewport()->rect().contains(last)) << "the last symbol is off the picture";
    EXPECT_TRUE(view.grab().toImage().save(vantel::test::outputFolder() + QStringLiteral("/tag-symbols-tinted.png")));
}
