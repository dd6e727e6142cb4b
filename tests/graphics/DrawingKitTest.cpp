#include "graphics/DrawingKit.h"

#include <QImage>
#include <QPainter>

#include <functional>

#include <gtest/gtest.h>

using namespace vantel;

namespace {

QImage draw(QSize size, const std::function<void(QPainter&)>& routine)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    routine(painter);
    painter.end();
    return image;
}

int alphaAt(const QImage& image, int x, int y) { return image.pixelColor(x, y).alpha(); }

bool near(const QColor& a, const QColor& b, int tolerance = 3)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
        && std::abs(a.blue() - b.blue()) <= tolerance && std::abs(a.alpha() - b.alpha()) <= tolerance;
}

const QColor grey = QColor::fromRgbF(0.799f, 0.799f, 0.799f);

} // namespace

TEST(DrawingKitTest, ResizingPlacesTheCanvasInTheFrame)
{
    const QRectF canvas(0, 0, 18, 18);
    const QRectF wide(0, 0, 36, 18);
    EXPECT_EQ(applyResizing(ResizingBehavior::scaleToFit, canvas, wide), QRectF(9, 0, 18, 18));
    EXPECT_EQ(applyResizing(ResizingBehavior::scaleToFill, canvas, wide), QRectF(0, -9, 36, 36));
    EXPECT_EQ(applyResizing(ResizingBehavior::stretchToFill, canvas, wide), QRectF(0, 0, 36, 18));
    EXPECT_EQ(applyResizing(ResizingBehavior::keepSizeCentered, canvas, wide), QRectF(9, 0, 18, 18));
    EXPECT_EQ(applyResizing(ResizingBehavior::scaleToFill, canvas, QRectF()), canvas);
    EXPECT_EQ(applyResizing(ResizingBehavior::stretchToFill, canvas, canvas), canvas);
    EXPECT_EQ(applyResizing(ResizingBehavior::scaleToFit, canvas, QRectF(10, 20, 9, 9)), QRectF(10, 20, 9, 9));
    EXPECT_EQ(resizingBehaviorFromRaw(3), ResizingBehavior::keepSizeCentered);
    EXPECT_FALSE(resizingBehaviorFromRaw(4));
    EXPECT_FALSE(resizingBehaviorFromRaw(-1));

    // The menu's top bar spans x 2 to 16, y 2 to 5 of the canvas.
    const QImage fit = draw({36, 18}, [](QPainter& p) {
        DrawingKit::drawIcon_menuCanvas(p, QRectF(0, 0, 36, 18), ResizingBehavior::scaleToFit, false, 0, 0, 0, 1);
    });
    EXPECT_TRUE(near(fit.pixelColor(9 + 9, 3), grey));
    EXPECT_EQ(alphaAt(fit, 5, 3), 0);
    const QImage zero = draw({36, 18}, [](QPainter& p) {
        DrawingKit::drawIcon_menuCanvas(p, QRectF(), ResizingBehavior::scaleToFit, false, 0, 0, 0, 1);
    });
    EXPECT_TRUE(near(zero.pixelColor(5, 3), grey));
    EXPECT_EQ(alphaAt(zero, 20, 3), 0);
    const QImage stretched = draw({36, 18}, [](QPainter& p) {
        DrawingKit::drawIcon_menuCanvas(p, QRectF(0, 0, 36, 18), ResizingBehavior::stretchToFill, false, 0, 0, 0, 1);
    });
    EXPECT_TRUE(near(stretched.pixelColor(29, 3), grey)); // x 14.5 of the canvas, doubled
}

TEST(DrawingKitTest, IconsFillTheirShapesAndTakeTheHoverColour)
{
    const QRectF frame(0, 0, 180, 180); // ten times the canvas, to probe inside thin shapes
    const QImage gear = draw({180, 180}, [&](QPainter& p) {
        DrawingKit::drawIcon_settingCanvas(p, frame, ResizingBehavior::scaleToFit, false);
    });
    EXPECT_TRUE(near(gear.pixelColor(90, 90), grey));     // the dot
    EXPECT_EQ(alphaAt(gear, 90 + 30, 90), 0);             // the hole, radius 2.06 to 4.11
    EXPECT_TRUE(near(gear.pixelColor(90 + 50, 90), grey)); // the body
    EXPECT_TRUE(near(gear.pixelColor(165, 90), grey));    // the right-hand tooth
    EXPECT_TRUE(near(gear.pixelColor(90, 165), grey));    // the bottom tooth
    EXPECT_EQ(alphaAt(gear, 165, 70), 0);                 // beside the tooth
    const QImage gearHover = draw({180, 180}, [&](QPainter& p) {
        DrawingKit::drawIcon_settingCanvas(p, frame, ResizingBehavior::scaleToFit, true);
    });
    EXPECT_TRUE(near(gearHover.pixelColor(165, 90), DrawingKit::tarnwickOrange()));

    const QImage power = draw({180, 180}, [&](QPainter& p) {
        DrawingKit::drawIcon_exitCanvas(p, frame, ResizingBehavior::scaleToFit, true);
    });
    EXPECT_TRUE(near(power.pixelColor(90, 40), DrawingKit::tarnwickOrange())); // the bar
    EXPECT_TRUE(near(power.pixelColor(90, 163), DrawingKit::tarnwickOrange())); // the ring's bottom
    EXPECT_EQ(alphaAt(power, 90, 93), 0);  // the ring's inside
    EXPECT_EQ(alphaAt(power, 72, 22), 0);  // the opening at the top

    const QImage bin = draw({180, 180}, [&](QPainter& p) {
        DrawingKit::drawIcon_deleteCanvas(p, frame, ResizingBehavior::scaleToFit, true);
    });
    EXPECT_TRUE(near(bin.pixelColor(90, 33), Qt::red));  // the lid
    EXPECT_TRUE(near(bin.pixelColor(90, 167), Qt::red)); // the bottom
    EXPECT_EQ(alphaAt(bin, 90, 100), 0);

    const QImage menu = draw({180, 180}, [&](QPainter& p) {
        DrawingKit::drawIcon_menuCanvas(p, frame, ResizingBehavior::scaleToFit, true, 0, 0, 1, 1);
    });
    EXPECT_TRUE(near(menu.pixelColor(90, 90), Qt::blue));
    EXPECT_EQ(alphaAt(menu, 90, 60), 0); // between two bars
}

TEST(DrawingKitTest, EyeStarAndSwatchFollowTheirStates)
{
    const QRectF frame(0, 0, 180, 180);
    auto eye = [&](bool checked) {
        return draw({180, 180}, [&](QPainter& p) {
            DrawingKit::drawIcon_visibleCanvas(p, frame, ResizingBehavior::scaleToFit, checked);
        });
    };
    const QImage slashed = eye(false);
    const QImage open = eye(true);
    EXPECT_TRUE(near(slashed.pixelColor(90, 90), Qt::red)); // the slash through the middle
    EXPECT_TRUE(near(slashed.pixelColor(62, 90), grey));    // the iris's left edge
    EXPECT_EQ(alphaAt(slashed, 107, 90), 0);                // the highlight is the open eye's
    EXPECT_TRUE(near(open.pixelColor(107, 90), grey));
    EXPECT_EQ(alphaAt(slashed, 137, 56), 0); // the outline breaks where the slash crosses
    EXPECT_TRUE(near(open.pixelColor(137, 56), grey, 60));

    auto star = [&](bool hover, bool checked) {
        return draw({180, 180}, [&](QPainter& p) {
            DrawingKit::drawIcon_favoriteLightUICanvas(p, frame, ResizingBehavior::scaleToFit, hover, checked);
        });
    };
    const QColor yellow = QColor::fromRgbF(0.999f, 0.986f, 0.0f);
    EXPECT_TRUE(near(star(false, true).pixelColor(92, 90), yellow));
    EXPECT_EQ(alphaAt(star(false, false), 92, 90), 0);
    const QColor outline = blendedColor(grey, 0.4, Qt::white);
    EXPECT_TRUE(near(star(false, true).pixelColor(92, 14), outline, 8)); // the top point's edge
    EXPECT_TRUE(near(star(true, true).pixelColor(92, 14), Qt::white, 8));

    // A transparent swatch shows its ring and the shadow, darkest at the top.
    const QImage swatch = draw({36, 36}, [](QPainter& p) {
        DrawingKit::drawColorCircleLightUICanvas(p, QRectF(0, 0, 36, 36), ResizingBehavior::scaleToFit, false, 1, 0,
                                                 0, 0);
    });
    EXPECT_GT(alphaAt(swatch, 18, 3), 40);
    EXPECT_LT(alphaAt(swatch, 18, 18), 10);
    EXPECT_GT(alphaAt(swatch, 18, 3), alphaAt(swatch, 18, 33));
    EXPECT_EQ(alphaAt(swatch, 1, 1), 0); // outside the circle
    EXPECT_EQ(swatch.pixelColor(18, 3).red(), 0); // black shadow, not the transparent red fill
}

TEST(DrawingKitTest, RowBackgroundGroupBoxAndLogo)
{
    const QImage indicatorOnly = draw({100, 30}, [](QPainter& p) {
        DrawingKit::drawVantelBackground(p, QRectF(0, 0, 100, 30), 0, 0, 1, 0.5, 1.0, false);
    });
    EXPECT_TRUE(near(indicatorOnly.pixelColor(6, 15), Qt::blue));
    EXPECT_EQ(alphaAt(indicatorOnly, 50, 15), 0);
    EXPECT_EQ(alphaAt(indicatorOnly, 12, 15), 0);
    const QImage both = draw({100, 30}, [](QPainter& p) {
        DrawingKit::drawVantelBackground(p, QRectF(0, 0, 100, 30), 0, 0, 1, 0.5, 1.0, true);
    });
    EXPECT_NEAR(alphaAt(both, 50, 15), 128, 2);
    const QImage flat = draw({100, 30}, [](QPainter& p) {
        DrawingKit::drawVantelBackground(p, QRectF(0, 10, 100, 4), 0, 0, 1, 0.5, 1.0, false);
    });
    EXPECT_EQ(flat, draw({100, 30}, [](QPainter&) {}));

    const QImage box
        = draw({100, 60}, [](QPainter& p) { DrawingKit::drawGroupBoxLightUICanvas(p, QRectF(0, 0, 100, 60)); });
    EXPECT_NEAR(alphaAt(box, 50, 30), 40, 2); // white at 0.157
    EXPECT_EQ(alphaAt(box, 0, 30), 0);
    EXPECT_GT(alphaAt(box, 50, 2), 60); // the stroke on the inset edge

    const QImage logo = draw({227, 43}, [](QPainter& p) {
        DrawingKit::drawTarnwickDarkUI(p, QRectF(0, 0, 227, 43), ResizingBehavior::scaleToFit);
    });
    EXPECT_TRUE(near(logo.pixelColor(19, 20), Qt::white));
    EXPECT_TRUE(near(logo.pixelColor(56, 9), DrawingKit::tarnwickOrange()));
    EXPECT_EQ(alphaAt(logo, 56, 21), 0);

    // Its six marks (four letters, the ring and the dot) stand apart: no two
    // letters are drawn over each other.
    const QImage large = draw({4 * 227, 4 * 43}, [](QPainter& p) {
        DrawingKit::drawTarnwickLightUI(p, QRectF(0, 0, 4 * 227, 4 * 43), ResizingBehavior::scaleToFit);
    });
    int marks = 0;
    bool inMark = false;
    for (int x = 0; x < large.width(); ++x) {
        bool ink = false;
        for (int y = 0; y < large.height() && !ink; ++y)
            ink = alphaAt(large, x, y) > 128;
        marks += ink && !inMark ? 1 : 0;
        inMark = ink;
    }
    EXPECT_EQ(marks, 6);
}

TEST(DrawingKitTest, ImagesDrawAfreshAtTheirSize)
{
    const QIcon first = DrawingKit::imageOfIcon_deleteCanvas(true);
    const QIcon second = DrawingKit::imageOfIcon_deleteCanvas(true);
    EXPECT_NE(first.cacheKey(), second.cacheKey());
    EXPECT_EQ(first.actualSize(QSize(64, 64)), QSize(64, 64));
    const QImage small = first.pixmap(QSize(18, 18)).toImage();
    EXPECT_EQ(small.size(), QSize(18, 18));
    EXPECT_GT(small.pixelColor(9, 3).alpha(), 100); // the lid
    const QImage large = DrawingKit::imageOfIcon_favoriteDarkUICanvas(false, true).pixmap(QSize(72, 72)).toImage();
    EXPECT_TRUE(near(large.pixelColor(37, 36), QColor::fromRgbF(0.999f, 0.986f, 0.0f)));
}
