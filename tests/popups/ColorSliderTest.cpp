#include "PopupsProbe.h"

#include "popups/ColorSlider.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <cmath>

using namespace vantel;
using vantel::test::near;
using vantel::test::renderAlone;

namespace {

// The temperature formula worked out independently, in double precision.
QColor expectedTemperature(double kelvin)
{
    const double t = kelvin / 100.0;
    auto ch = [](double v) { return std::clamp(int(std::trunc(v)), 0, 255); };
    const int r = ch(t <= 66 ? 255 : 329.698727446 * std::pow(t - 60, -0.1332047592));
    const int g = ch(t <= 66 ? 99.4708025861 * std::log(t) - 161.1195681661
                             : 288.1221695283 * std::pow(t - 60, -0.0755148492));
    const int b = ch(t >= 66 ? 255 : t <= 19 ? 0 : 138.5177312231 * std::log(t - 10) - 305.0447927307);
    return QColor(r, g, b);
}

// A slider as the popovers set it up: 200 x 20, knob 16, border 0.5.
void setUpLikeAPopover(ColorSlider& slider)
{
    slider.resize(200, 20);
    slider.setMaxValue(360);
    slider.setContinuous(false);
    slider.setRefusesFirstResponder(true);
    slider.setKnobBorderSize(0.5);
    slider.setKnobHeight(16);
    slider.setSliderHeight(10);
}

} // namespace

TEST(ColorSliderTest, KnobSitsWhereTheValueSays)
{
    ColorSlider slider;
    setUpLikeAPopover(slider);
    // Inner track: inset by 16 / 2 + 0.5 on each side, 183 wide.
    slider.setDoubleValue(0);
    EXPECT_DOUBLE_EQ(slider.knobPosition(), 8.5);
    slider.setDoubleValue(180);
    EXPECT_DOUBLE_EQ(slider.knobPosition(), 8.5 + 91.5);
    EXPECT_EQ(slider.knobRect(), QRectF(100 - 8, 2, 16, 16));
    slider.setDoubleValue(360);
    EXPECT_DOUBLE_EQ(slider.knobPosition(), 191.5);
    slider.setDoubleValue(500); // kept in the range
    EXPECT_DOUBLE_EQ(slider.doubleValue(), 360);

    EXPECT_EQ(slider.thinTrackRect(), QRectF(0, 8.5, 200, 3));
    EXPECT_EQ(slider.thickTrackRect(), QRectF(0, 5, 200, 10));
    EXPECT_EQ(slider.trackRect(), slider.thinTrackRect());

    // Drawn: the knob's middle is filled with the colour of the value.
    slider.setDoubleValue(120); // hue 1/3: green
    const QImage image = renderAlone(slider);
    const QPointF centre = slider.knobRect().center();
    EXPECT_TRUE(near(image.pixelColor(int(centre.x()), int(centre.y())), QColor(0, 255, 0), 8));
    // The track at the far left is red, the thin line only 3 high.
    EXPECT_TRUE(near(image.pixelColor(1, 10), QColor(255, 0, 0), 30));
    EXPECT_EQ(image.pixelColor(1, 4).alpha(), 0);
}

TEST(ColorSliderTest, HueRunsFromRedToRed)
{
    ColorSlider slider;
    setUpLikeAPopover(slider);
    slider.setDoubleValue(0);
    EXPECT_EQ(slider.selectedColor().toRgb(), QColor(255, 0, 0));
    slider.setDoubleValue(360);
    EXPECT_EQ(slider.selectedColor().toRgb(), QColor(255, 0, 0)); // hue 1
    slider.setDoubleValue(180);
    EXPECT_EQ(slider.selectedColor().toRgb(), QColor(0, 255, 255));
    slider.setSaturation(0.5f);
    slider.setDoubleValue(0);
    EXPECT_TRUE(near(slider.selectedColor().toRgb(), QColor(255, 128, 128), 1));

    const QList<QColor> gradient = slider.gradientColors();
    ASSERT_EQ(gradient.size(), 11);
    EXPECT_EQ(gradient.first().toRgb(), gradient.last().toRgb());
    EXPECT_TRUE(near(gradient.first().toRgb(), QColor(255, 128, 128), 1));
}

TEST(ColorSliderTest, ZeroRangeAndZeroMaximumStayFinite)
{
    ColorSlider slider;
    setUpLikeAPopover(slider);
    slider.setMinValue(50);
    slider.setMaxValue(50);
    EXPECT_DOUBLE_EQ(slider.knobPosition(), 8.5); // the left end
    EXPECT_TRUE(std::isfinite(slider.knobRect().x()));

    slider.setMinValue(0);
    slider.setMaxValue(0);
    const QColor colour = slider.selectedColor();
    EXPECT_TRUE(colour.isValid());
    EXPECT_EQ(colour.toRgb(), QColor(255, 0, 0)); // hue 0, never NaN
    EXPECT_DOUBLE_EQ(slider.knobPosition(), 8.5);
}

TEST(ColorSliderTest, TemperatureGradientFollowsTheFormula)
{
    EXPECT_EQ(ColorSlider::colorForTemperature(6500).toRgb(), expectedTemperature(6500));
    EXPECT_EQ(ColorSlider::colorForTemperature(6500).toRgb(), QColor(255, 254, 250));
    EXPECT_EQ(ColorSlider::colorForTemperature(2200).toRgb(), expectedTemperature(2200));
    EXPECT_EQ(ColorSlider::colorForTemperature(2200).toRgb(), QColor(255, 146, 39));
    EXPECT_EQ(ColorSlider::colorForTemperature(7000).toRgb(), expectedTemperature(7000));
    EXPECT_EQ(ColorSlider::colorForTemperature(1500).toRgb(), QColor(255, 108, 0)); // blue 0 below 1900 K
    // Outside the formula's domain: a colour all the same, no NaN.
    EXPECT_TRUE(ColorSlider::colorForTemperature(-800).isValid());

    ColorSlider slider;
    slider.resize(200, 20);
    slider.setColorType(ColorSlider::ColorType::temperature);
    const QList<QColor> stops = slider.gradientColors();
    ASSERT_EQ(stops.size(), 10); // 6500, 6027 ... 2243
    EXPECT_EQ(stops.first().toRgb(), expectedTemperature(7000));
    EXPECT_EQ(stops.at(1).toRgb(), expectedTemperature(6527));
    EXPECT_EQ(stops.last().toRgb(), expectedTemperature(2743));

    // A range too small for a stride gives one colour instead of looping.
    slider.setColorTemperatureMin(3000);
    slider.setColorTemperatureMax(3000);
    ASSERT_EQ(slider.gradientColors().size(), 1);
    EXPECT_EQ(slider.gradientColors().first().toRgb(), expectedTemperature(3500));
    slider.setColorTemperatureMax(3009);
    EXPECT_EQ(slider.gradientColors().size(), 1);
    // Rising temperatures work too.
    slider.setColorTemperatureMin(2000);
    slider.setColorTemperatureMax(6000);
    EXPECT_EQ(slider.gradientColors().size(), 10);

    // Its knob shows the temperature at the value: the ends of the range.
    slider.setColorTemperatureMin(6500);
    slider.setColorTemperatureMax(2200);
    slider.setDoubleValue(0);
    EXPECT_EQ(slider.selectedColor().toRgb(), expectedTemperature(7000));
    slider.setDoubleValue(1);
    EXPECT_EQ(slider.selectedColor().toRgb(), expectedTemperature(2700));

    slider.setColorType(ColorSlider::ColorType::unknown);
    ASSERT_EQ(slider.gradientColors().size(), 1);
    EXPECT_EQ(slider.gradientColors().first(), QColor(Qt::black));
    EXPECT_EQ(ColorSlider::colorTypeFromRawValue(4), ColorSlider::ColorType::temperature);
    EXPECT_FALSE(ColorSlider::colorTypeFromRawValue(1));
}

TEST(ColorSliderTest, SizesAreCapped)
{
    ColorSlider slider;
    slider.resize(200, 20);
    slider.setKnobBorderSize(8);
    EXPECT_DOUBLE_EQ(slider.knobBorderSize(), 5);
    slider.setKnobHeight(30);
    EXPECT_DOUBLE_EQ(slider.knobHeight(), 20);
    slider.setSliderHeight(25);
    EXPECT_DOUBLE_EQ(slider.sliderHeight(), 20);
}

TEST(ColorSliderTest, DisabledGreysOutAndIgnoresTheMouse)
{
    ColorSlider slider;
    setUpLikeAPopover(slider);
    slider.setSaturation(0.0f); // white stops: 0.5 x 3 would be 1.5
    slider.setEnabled(false);
    for (const QColor& stop : slider.gradientColors()) {
        EXPECT_EQ(stop.toRgb(), QColor(255, 255, 255)); // clamped to 1
    }
    slider.setSaturation(1.0f);
    const QList<QColor> greys = slider.gradientColors();
    EXPECT_EQ(greys.first().toRgb(), QColor::fromRgbF(0.5f, 0.5f, 0.5f).toRgb()); // red: 0.5
    EXPECT_EQ(slider.knobFillColor().toRgb(), QColor(251, 251, 251));
    EXPECT_DOUBLE_EQ(slider.knobShadowOpacity(), 0.1);

    QSignalSpy actions(&slider, &ColorSlider::triggered);
    QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(150, 10));
    EXPECT_EQ(actions.count(), 0);
    EXPECT_DOUBLE_EQ(slider.doubleValue(), 0);
    EXPECT_FALSE(slider.isTracking());

    slider.setEnabled(true);
    EXPECT_DOUBLE_EQ(slider.knobShadowOpacity(), 0.35);
    EXPECT_EQ(slider.knobFillColor().toRgb(), QColor(255, 0, 0));
}

TEST(ColorSliderTest, ActionComesOnReleaseUnlessContinuous)
{
    ColorSlider slider;
    setUpLikeAPopover(slider);
    slider.setUseAnimation(false);
    QSignalSpy actions(&slider, &ColorSlider::triggered);

    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(100, 10));
    EXPECT_TRUE(slider.isTracking());
    EXPECT_NEAR(slider.doubleValue(), 180, 0.01); // the knob jumps to the click
    QTest::mouseMove(&slider, QPoint(150, 10));
    EXPECT_EQ(actions.count(), 0);
    EXPECT_TRUE(slider.isDragging());
    EXPECT_EQ(slider.trackRect(), slider.thinTrackRect()); // no animation: the track stays thin
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(150, 10));
    EXPECT_EQ(actions.count(), 1);
    EXPECT_FALSE(slider.isTracking());
    EXPECT_NEAR(slider.doubleValue(), (150 - 8.5) / 183.0 * 360, 0.01);

    slider.setContinuous(true);
    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(20, 10));
    QTest::mouseMove(&slider, QPoint(30, 10));
    QTest::mouseMove(&slider, QPoint(-40, 10)); // past the end: the minimum
    EXPECT_EQ(actions.count(), 3);
    EXPECT_DOUBLE_EQ(slider.doubleValue(), 0);
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(-40, 10));
    EXPECT_EQ(actions.count(), 4);
}

TEST(ColorSliderTest, TrackGrowsWhileTrackingAndFollowsAResize)
{
    ColorSlider slider;
    setUpLikeAPopover(slider);
    slider.setIsTracking(true);
    EXPECT_TRUE(QTest::qWaitFor([&] { return slider.trackRect() == slider.thickTrackRect(); }, 2000));
    slider.setIsTracking(false);
    EXPECT_TRUE(QTest::qWaitFor([&] { return slider.trackRect() == slider.thinTrackRect(); }, 2000));

    slider.setDoubleValue(360);
    slider.resize(300, 20);
    EXPECT_EQ(slider.thinTrackRect(), QRectF(0, 8.5, 300, 3));
    EXPECT_DOUBLE_EQ(slider.knobPosition(), 291.5);
    EXPECT_EQ(slider.knobRect().center().x(), 291.5);
    const QImage image = renderAlone(slider);
    EXPECT_GT(image.pixelColor(295, 10).alpha(), 200); // the track reaches the new right end
}

TEST(ColorSliderTest, PictureOfTheSliderInItsStates)
{
    QWidget sheet;
    sheet.setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(&sheet);
    auto add = [&](const QString& caption, ColorSlider* slider) {
        layout->addWidget(new QLabel(caption));
        slider->setFixedSize(220, 20);
        slider->setKnobBorderSize(0.5);
        slider->setKnobHeight(16);
        layout->addWidget(slider);
        return slider;
    };
    add(QStringLiteral("hue at 0"), new ColorSlider);
    auto* middle = add(QStringLiteral("hue at 0.6, saturation 0.7"), new ColorSlider);
    middle->setSaturation(0.7f);
    middle->setDoubleValue(0.6);
    auto* end = add(QStringLiteral("hue at the end"), new ColorSlider);
    end->setDoubleValue(1.0);
    auto* tracking = add(QStringLiteral("while dragging (thick track)"), new ColorSlider);
    tracking->setUseAnimation(true);
    tracking->setDoubleValue(0.3);
    auto* temperature = add(QStringLiteral("temperature 6500 K to 2200 K"), new ColorSlider);
    temperature->setColorType(ColorSlider::ColorType::temperature);
    temperature->setDoubleValue(0.5);
    auto* disabled = add(QStringLiteral("disabled"), new ColorSlider);
    disabled->setDoubleValue(0.4);
    disabled->setEnabled(false);
    sheet.adjustSize();
    tracking->setSliderHeight(10);
    tracking->setIsTracking(true);
    EXPECT_TRUE(QTest::qWaitFor([&] { return tracking->trackRect() == tracking->thickTrackRect(); }, 2000));
    EXPECT_TRUE(sheet.grab().toImage().save(vantel::test::outputFolder() + QStringLiteral("/color-slider.png")));
}
