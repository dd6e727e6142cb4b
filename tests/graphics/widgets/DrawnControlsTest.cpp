#include "WidgetProbe.h"

#include "graphics/widgets/ColorCircleDelegate.h"
#include "graphics/widgets/DrawnButtonDelete.h"
#include "graphics/widgets/DrawnButtonExit.h"
#include "graphics/widgets/DrawnButtonMenu.h"
#include "graphics/widgets/DrawnCheckBoxFavorite.h"
#include "graphics/widgets/DrawnColorCircle.h"
#include "graphics/widgets/DrawnGroupBox.h"
#include "graphics/widgets/DrawnLogo.h"
#include "graphics/widgets/DrawnMainViewBackground.h"
#include "graphics/widgets/SwatchColors.h"

#include <QEnterEvent>
#include <QGridLayout>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace vantel;
using vantel::test::near;
using vantel::test::renderAlone;

namespace {

const QColor iconGrey = QColor::fromRgbF(0.799f, 0.799f, 0.799f);
const QColor orange = QColor::fromRgbF(1.0f, 0.635f, 0.0f);

void hover(QWidget& widget, bool over)
{
    if (over) {
        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QApplication::sendEvent(&widget, &enter);
    } else {
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&widget, &leave);
    }
}

struct RecordingDelegate : QObject, ColorCircleDelegate {
    void colorCircleClicked(DrawnColorCircle* sender, const QColor& color) override
    {
        senders.append(sender);
        colors.append(color);
    }
    QList<DrawnColorCircle*> senders;
    QList<QColor> colors;
};

struct PlainDelegate : ColorCircleDelegate {
    void colorCircleClicked(DrawnColorCircle*, const QColor& color) override { colors.append(color); }
    QList<QColor> colors;
};

} // namespace

TEST(RowBackgroundStateTest, AlphaAndColourFollowTheirRules)
{
    RowBackgroundState state;
    EXPECT_FALSE(state.hasColor);
    EXPECT_TRUE(state.drawBackground);

    state.setAlphaColor(0.04f);
    EXPECT_FALSE(state.drawBackground);
    EXPECT_FLOAT_EQ(float(state.alphaColorBackground), 0.04f);
    state.setAlphaColor(0.05f);
    EXPECT_TRUE(state.drawBackground);
    state.setAlphaColor(1.5f);
    EXPECT_FLOAT_EQ(state.alphaColor, 1.0f);
    EXPECT_DOUBLE_EQ(state.alphaColorBackground, 1.0);

    EXPECT_TRUE(state.setColor(QColor(255, 0, 0)));
    EXPECT_TRUE(state.hasColor);
    EXPECT_DOUBLE_EQ(state.alphaColorIndicator, 0.9);
    EXPECT_DOUBLE_EQ(state.alphaColorBackground, 1.0); // kept from alphaColor
    EXPECT_FALSE(state.setColor(QColor(255, 0, 0)));   // the same colour again: nothing to redraw

    EXPECT_TRUE(state.setColor(clearColor()));
    EXPECT_FALSE(state.hasColor);
    EXPECT_EQ(state.alphaColorBackground, 0.0);
    EXPECT_EQ(state.alphaColorIndicator, 0.0);
    EXPECT_EQ(state.redColor, 1.0);

    // A colour again shows the indicator, but the background waits for alphaColor.
    state.setColor(QColor(0, 0, 255));
    EXPECT_TRUE(state.hasColor);
    EXPECT_DOUBLE_EQ(state.alphaColorIndicator, 0.9);
    EXPECT_EQ(state.alphaColorBackground, 0.0);

    EXPECT_TRUE(state.setColor(std::nullopt));
    EXPECT_FALSE(state.hasColor);
    EXPECT_FALSE(state.setColor(std::nullopt));
    EXPECT_FALSE(state.setColor(QColor())); // an invalid colour counts as none
}

TEST(DrawnMainViewBackgroundTest, DrawsTheRowAndItsIndicatorOnlyWhenColoured)
{
    DrawnMainViewBackground background;
    background.resize(120, 28);
    // Never coloured: nothing but the (transparent) base view, though the fields hold grey.
    QImage image = renderAlone(background);
    EXPECT_EQ(image.pixelColor(6, 14).alpha(), 0);
    EXPECT_EQ(image.pixelColor(60, 14).alpha(), 0);

    background.setColor(QColor(255, 0, 0));
    background.setAlphaColor(0.5f);
    image = renderAlone(background);
    // The indicator (x 3..10) over the background: red, nearly opaque.
    EXPECT_GT(image.pixelColor(6, 14).alpha(), 220);
    EXPECT_GT(image.pixelColor(6, 14).red(), 240);
    // The background alone, half transparent.
    EXPECT_NEAR(image.pixelColor(60, 14).alpha(), 128, 3);
    EXPECT_GT(image.pixelColor(60, 14).red(), 240);

    background.setAlphaColor(0.04f); // hides the rectangle, keeps the indicator
    image = renderAlone(background);
    EXPECT_EQ(image.pixelColor(60, 14).alpha(), 0);
    EXPECT_NEAR(image.pixelColor(6, 14).alpha(), 230, 3);

    background.setColor(clearColor());
    image = renderAlone(background);
    EXPECT_EQ(image.pixelColor(6, 14).alpha(), 0);
}

TEST(DrawnControlsTest, EveryButtonFollowsThePointer)
{
    DrawnButtonExit exitButton;
    DrawnButtonDelete deleteButton;
    DrawnButtonMenu menuButton;
    DrawnCheckBoxFavorite favorite;
    DrawnColorCircle swatch;
    for (QWidget* w : std::initializer_list<QWidget*>{&exitButton, &deleteButton, &menuButton, &favorite, &swatch})
        w->resize(36, 36);

    // Made in code, not loaded from an interface file: hover works all the same.
    hover(exitButton, true);
    EXPECT_TRUE(exitButton.isMouseOver());
    // The power symbol's bar at the top centre turns orange.
    EXPECT_TRUE(near(renderAlone(exitButton).pixelColor(18, 6), orange));
    hover(exitButton, false);
    EXPECT_FALSE(exitButton.isMouseOver());
    EXPECT_TRUE(near(renderAlone(exitButton).pixelColor(18, 6), iconGrey));

    // The bin's body line at its left, x 3.65 .. 4.57 on the canvas: red on hover.
    QImage bin = renderAlone(deleteButton);
    hover(deleteButton, true);
    QImage binHover = renderAlone(deleteButton);
    EXPECT_TRUE(near(bin.pixelColor(18, 6), iconGrey, 40));
    EXPECT_GT(binHover.pixelColor(18, 6).red(), 200);
    EXPECT_LT(binHover.pixelColor(18, 6).green(), 80);

    // The menu bars take the application's accent colour on hover.
    QPalette palette = QApplication::palette();
    palette.setColor(QPalette::Highlight, QColor(0, 120, 0));
    QApplication::setPalette(palette);
    hover(menuButton, true);
    const QImage menu = renderAlone(menuButton);
    EXPECT_TRUE(near(menu.pixelColor(18, 17), QColor(0, 120, 0))) << menu.pixelColor(18, 17).name().toStdString();
    EXPECT_NEAR(menuButton.greenColor(), 120 / 255.0, 0.01);
    QApplication::setPalette(QPalette());

    // The swatch's ring brightens.
    swatch.setColor(QColor(0, 0, 255));
    const QColor ringAtRest = renderAlone(swatch).pixelColor(18, 0);
    hover(swatch, true);
    const QColor ringLit = renderAlone(swatch).pixelColor(18, 1);
    EXPECT_GT(ringLit.lightness(), ringAtRest.lightness());

    hover(favorite, true);
    EXPECT_TRUE(favorite.isMouseOver());
}

TEST(DrawnControlsTest, ControlsDrawIntoTheirWholeBoundsWhateverIsRepainted)
{
    DrawnButtonExit exitButton;
    exitButton.resize(36, 36);
    const QImage whole = renderAlone(exitButton);
    // Only the left half is repainted: it must show the left half of the
    // same graphic, not a smaller one squeezed into the dirty part.
    const QImage half = renderAlone(exitButton, QRegion(0, 0, 18, 36));
    int compared = 0;
    for (int y = 0; y < 36; ++y)
        for (int x = 0; x < 18; ++x) {
            EXPECT_EQ(half.pixel(x, y), whole.pixel(x, y)) << x << "," << y;
            compared += qAlpha(whole.pixel(x, y)) > 0;
        }
    EXPECT_GT(compared, 20);
}

TEST(DrawnControlsTest, StarShowsItsCheckedStateInBothAppearances)
{
    DrawnCheckBoxFavorite star;
    star.resize(36, 36);
    // The star's middle: empty unchecked, yellow checked.
    EXPECT_EQ(renderAlone(star).pixelColor(18, 18).alpha(), 0);
    star.setIsChecked(true);
    EXPECT_TRUE(near(renderAlone(star).pixelColor(18, 18), QColor::fromRgbF(0.999f, 0.986f, 0.0f)));

    // The outline blends grey toward white (light) or black (dark). The
    // outline runs through the top point (9.25, 1.35) of the canvas.
    QColor light, dark;
    {
        vantel::test::AppearanceScope scope(false);
        light = renderAlone(star).pixelColor(18, 4);
    }
    {
        vantel::test::AppearanceScope scope(true);
        dark = renderAlone(star).pixelColor(18, 4);
    }
    EXPECT_GT(light.lightness(), dark.lightness());
}

TEST(DrawnControlsTest, SwatchReportsItsColourToALiveDelegateOnly)
{
    DrawnColorCircle swatch;
    swatch.resize(24, 24);
    auto delegate = std::make_unique<RecordingDelegate>();
    swatch.setDelegate(delegate.get());
    QSignalSpy clicked(&swatch, &QAbstractButton::clicked);

    // Never assigned: its grey placeholder is reported.
    QTest::mouseClick(&swatch, Qt::LeftButton);
    ASSERT_EQ(delegate->colors.size(), 1);
    EXPECT_TRUE(near(delegate->colors.at(0), QColor::fromRgbF(0.808f, 0.808f, 0.808f), 1));
    EXPECT_EQ(delegate->senders.at(0), &swatch);

    swatch.setColor(QColor(10, 200, 30));
    QTest::mouseClick(&swatch, Qt::LeftButton);
    EXPECT_EQ(delegate->colors.last(), QColor(10, 200, 30));
    QTest::keyClick(&swatch, Qt::Key_Space); // reachable by keyboard as well
    EXPECT_EQ(delegate->colors.size(), 3);

    swatch.setColor(clearColor()); // reports the clear colour
    QTest::mouseClick(&swatch, Qt::LeftButton);
    EXPECT_EQ(delegate->colors.last().alpha(), 0);
    EXPECT_EQ(delegate->colors.size(), 4);

    swatch.setColor(std::nullopt); // no colour: nothing to report
    QTest::mouseClick(&swatch, Qt::LeftButton);
    EXPECT_EQ(delegate->colors.size(), 4);
    EXPECT_EQ(clicked.count(), 0); // never the button's own action

    swatch.setColor(QColor(1, 2, 3));
    delegate.reset(); // the swatch does not keep its delegate alive
    EXPECT_EQ(swatch.delegate(), nullptr);
    QTest::mouseClick(&swatch, Qt::LeftButton); // and does not crash

    PlainDelegate plain;
    swatch.setDelegate(&plain);
    QTest::mouseClick(&swatch, Qt::LeftButton);
    EXPECT_EQ(plain.colors.size(), 1);
    swatch.setDelegate(nullptr);
}

TEST(DrawnControlsTest, SwatchDrawsItsColourOrATransparentDisc)
{
    DrawnColorCircle swatch;
    swatch.resize(36, 36);
    // Never assigned: a 0.808 grey disc at full alpha.
    EXPECT_TRUE(near(renderAlone(swatch).pixelColor(18, 22), QColor::fromRgbF(0.808f, 0.808f, 0.808f), 12));
    swatch.setColor(QColor(255, 0, 0));
    EXPECT_DOUBLE_EQ(swatch.alphaColorBackground(), 1.0);
    const QColor red = renderAlone(swatch).pixelColor(18, 22);
    EXPECT_GT(red.red(), 200);
    EXPECT_LT(red.green(), 40);
    swatch.setColor(std::nullopt);
    EXPECT_EQ(swatch.alphaColorBackground(), 0.0);
    EXPECT_EQ(swatch.redColor(), 1.0);
    // Only the faint inner shadow is left in the middle.
    EXPECT_LT(renderAlone(swatch).pixelColor(18, 22).alpha(), 60);
}

TEST(DrawnControlsTest, MenuButtonRunsItsHandlerOnPressInsteadOfClicking)
{
    DrawnButtonMenu menu;
    menu.resize(18, 18);
    int calls = 0;
    QSignalSpy clicked(&menu, &QAbstractButton::clicked);
    QTest::mouseClick(&menu, Qt::LeftButton); // no handler yet: nothing
    menu.mouseDownHandler = [&] { ++calls; };
    QTest::mousePress(&menu, Qt::LeftButton);
    EXPECT_EQ(calls, 1);
    QTest::mouseRelease(&menu, Qt::LeftButton);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(clicked.count(), 0);
    EXPECT_FALSE(menu.isDown());
}

TEST(DrawnControlsTest, ExitAndDeleteAreOrdinaryButtons)
{
    DrawnButtonDelete bin;
    bin.resize(18, 18);
    QSignalSpy clicked(&bin, &QAbstractButton::clicked);
    QTest::mouseClick(&bin, Qt::LeftButton);
    EXPECT_EQ(clicked.count(), 1);
    bin.setEnabled(false);
    QTest::mouseClick(&bin, Qt::LeftButton);
    EXPECT_EQ(clicked.count(), 1);
    // Disabled, the graphic is faded.
    bin.resize(36, 36);
    EXPECT_LT(renderAlone(bin).pixelColor(18, 6).alpha(), 160);
}

TEST(DrawnControlsTest, GroupBoxFillFollowsTheAppearance)
{
    DrawnGroupBox box;
    box.resize(80, 40);
    QColor light, dark;
    {
        vantel::test::AppearanceScope scope(false);
        light = renderAlone(box).pixelColor(40, 20);
    }
    {
        vantel::test::AppearanceScope scope(true);
        dark = renderAlone(box).pixelColor(40, 20);
    }
    EXPECT_NEAR(light.alpha(), 40, 2); // white at 0.157
    EXPECT_EQ(light.red(), 255);
    EXPECT_NEAR(dark.alpha(), 25, 2); // 0.741 grey at 0.098
    EXPECT_NEAR(dark.red(), 189, 8); // unpremultiplied from a low alpha
    // Inset by 2: the outer two points stay empty.
    EXPECT_EQ(renderAlone(box).pixelColor(0, 20).alpha(), 0);
}

// One picture of every control in each of its states, light and dark.
TEST(DrawnControlsTest, PictureOfEveryControlInEachState)
{
    for (bool darkMode : {false, true}) {
        vantel::test::AppearanceScope scope(darkMode);
        QWidget sheet;
        sheet.setAutoFillBackground(true);
        auto* grid = new QGridLayout(&sheet);
        const QStringList states = {QStringLiteral("rest"), QStringLiteral("hover"), QStringLiteral("checked / coloured"),
                                    QStringLiteral("disabled")};
        for (int c = 0; c < states.size(); ++c)
            grid->addWidget(new QLabel(states.at(c)), 0, c + 1, Qt::AlignCenter);

        int row = 1;
        auto addRow = [&](const QString& name, auto make) {
            grid->addWidget(new QLabel(name), row, 0);
            for (int state = 0; state < 4; ++state) {
                QWidget* control = make(state);
                control->setFixedSize(control->sizeHint().expandedTo(QSize(28, 28)));
                if (state == 1)
                    hover(*control, true);
                if (state == 3)
                    control->setEnabled(false);
                grid->addWidget(control, row, state + 1, Qt::AlignCenter);
            }
            ++row;
        };
        addRow(QStringLiteral("Exit"), [](int) { return new DrawnButtonExit; });
        addRow(QStringLiteral("Delete"), [](int) { return new DrawnButtonDelete; });
        addRow(QStringLiteral("Menu"), [](int) { return new DrawnButtonMenu; });
        addRow(QStringLiteral("Favorite"), [](int state) {
            auto* star = new DrawnCheckBoxFavorite;
            star->setIsChecked(state == 2);
            return star;
        });
        addRow(QStringLiteral("Swatch"), [](int state) {
            auto* swatch = new DrawnColorCircle;
            if (state == 0)
                swatch->setColor(std::nullopt);
            else
                swatch->setColor(systemColor(state == 2 ? SystemColor::blue : SystemColor::orange));
            return swatch;
        });
        addRow(QStringLiteral("Row background"), [](int state) {
            auto* background = new DrawnMainViewBackground;
            background->setMinimumWidth(90);
            if (state >= 1) {
                background->setColor(state == 2 ? systemColor(SystemColor::teal) : systemColor(SystemColor::pink));
                background->setAlphaColor(state == 3 ? 0.02f : 0.3f);
            }
            return background;
        });
        grid->addWidget(new QLabel(QStringLiteral("Group box / logo")), row, 0);
        auto* box = new DrawnGroupBox;
        box->setFixedSize(120, 60);
        grid->addWidget(box, row, 1, 1, 2);
        auto* logo = new DrawnLogo;
        logo->setFixedSize(170, 32);
        grid->addWidget(logo, row, 3, 1, 2);

        sheet.adjustSize();
        const QImage picture = sheet.grab().toImage();
        const QString name = darkMode ? QStringLiteral("drawn-controls-dark.png") : QStringLiteral("drawn-controls.png");
        EXPECT_TRUE(picture.save(vantel::test::outputFolder() + QLatin1Char('/') + name));
    }
}

TEST(DrawnControlsTest, HidingForgetsThePointer)
{
    DrawnButtonExit button;
    button.resize(18, 18);
    button.show();
    hover(button, true);
    EXPECT_TRUE(button.isMouseOver());
    button.hide(); // e.g. its popover closed under the pointer
    EXPECT_FALSE(button.isMouseOver());
}
