#include "PopupsProbe.h"

#include "hotkeys/ui/ClearButton.h"
#include "popups/TagTableView.h"

#include <QHBoxLayout>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace vantel;
using vantel::test::near;
using vantel::test::renderAlone;

TEST(ClearButtonTest, DiscWithTheCrossCutOut)
{
    ClearButton button;
    button.resize(40, 40);
    QImage image = renderAlone(button);
    // The centre, where the bars cross, is cut out.
    EXPECT_EQ(image.pixelColor(20, 20).alpha(), 0);
    // On a diagonal, inside a bar (30 % to 70 %): cut out; off the bars: the disc.
    EXPECT_EQ(image.pixelColor(14, 14).alpha(), 0);
    EXPECT_LT(image.pixelColor(25, 14).alpha(), 10); // edge pixels of a 1.5 bar keep a trace
    EXPECT_TRUE(near(image.pixelColor(20, 8), QColor(191, 191, 191), 1));
    EXPECT_TRUE(near(image.pixelColor(8, 20), QColor(191, 191, 191), 1));
    // Past the bars' ends the diagonal is disc again.
    EXPECT_TRUE(near(image.pixelColor(9, 9), QColor(191, 191, 191), 1));
    // Outside the ellipse: nothing.
    EXPECT_EQ(image.pixelColor(1, 1).alpha(), 0);

    // The bars are 1.5 wide: the cross covers about 2 x 1.5 x 0.4 x 40 x sqrt 2.
    const QPainterPath cross = ClearButton::crossPath(QSizeF(40, 40));
    EXPECT_TRUE(cross.contains(QPointF(20, 20)));
    EXPECT_TRUE(cross.contains(QPointF(12.5, 12.5)));
    EXPECT_FALSE(cross.contains(QPointF(10, 10)));
    EXPECT_FALSE(cross.contains(QPointF(22, 20))); // between the bars
}

TEST(ClearButtonTest, DarkensWhilePressedAndClicks)
{
    ClearButton button;
    button.resize(16, 16);
    QSignalSpy clicked(&button, &QAbstractButton::clicked);
    EXPECT_EQ(button.discColor(), QColor(191, 191, 191));
    QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(8, 3));
    EXPECT_EQ(button.discColor(), QColor(134, 134, 134));
    EXPECT_TRUE(near(renderAlone(button).pixelColor(8, 3), QColor(134, 134, 134), 1));
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(8, 3));
    EXPECT_EQ(button.discColor(), QColor(191, 191, 191));
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_TRUE(button.text().isEmpty());
    EXPECT_FALSE(button.accessibleName().isEmpty());
}

TEST(ClearButtonTest, NonSquareButtonFollowsEachSide)
{
    ClearButton button;
    button.resize(60, 20);
    const QImage image = renderAlone(button);
    // The disc is an ellipse: its left end at x 0..1, not cut to a circle.
    EXPECT_GT(image.pixelColor(2, 10).alpha(), 200);
    // The cross runs from 30 % to 70 % of each side: (18, 6) to (42, 14).
    const QPainterPath cross = ClearButton::crossPath(QSizeF(60, 20));
    EXPECT_TRUE(cross.contains(QPointF(30, 10)));
    EXPECT_TRUE(cross.contains(QPointF(19, 6.4)));
    EXPECT_TRUE(cross.contains(QPointF(41, 13.6)));
    EXPECT_FALSE(cross.contains(QPointF(14, 5)));
    EXPECT_EQ(image.pixelColor(30, 10).alpha(), 0);
}

TEST(ClearButtonTest, PictureAtRestPressedAndWide)
{
    QWidget sheet;
    sheet.setAutoFillBackground(true);
    auto* row = new QHBoxLayout(&sheet);
    auto* rest = new ClearButton;
    rest->setFixedSize(16, 16);
    auto* large = new ClearButton;
    large->setFixedSize(40, 40);
    auto* pressed = new ClearButton;
    pressed->setFixedSize(40, 40);
    pressed->setDown(true);
    auto* wide = new ClearButton;
    wide->setFixedSize(60, 24);
    for (QWidget* w : std::initializer_list<QWidget*>{rest, large, pressed, wide})
        row->addWidget(w);
    auto* table = new TagTableView;
    table->setFixedSize(80, 40);
    row->addWidget(table);
    sheet.adjustSize();
    EXPECT_TRUE(sheet.grab().toImage().save(vantel::test::outputFolder() + QStringLiteral("/clear-button.png")));
}
