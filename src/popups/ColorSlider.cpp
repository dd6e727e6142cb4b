#include "popups/ColorSlider.h"

#include "graphics/widgets/Appearance.h"
#include "model/LocalizedStrings.h"

#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QVariantAnimation>

#include <algorithm>
#include <cmath>

namespace vantel {

namespace {

// The thin track is this high; the thick one sliderHeight.
constexpr double thinTrackHeight = 3.0;
constexpr double maximumKnobBorderSize = 5.0;
// At most this many temperature stops, whatever the range: a guard against
// a range whose stride would never reach its end.
constexpr int maximumTemperatureStops = 11;

const QColor disabledKnobColor = QColor::fromRgbF(251.0f / 255.0f, 251.0f / 255.0f, 251.0f / 255.0f);

// One channel of the temperature formula: truncated toward zero, then kept
// within 0...255; a value the formula cannot give (NaN) counts as 0.
float channel(float value)
{
    if (std::isnan(value))
        return 0.0f;
    return std::clamp(std::trunc(std::clamp(value, -1.0f, 256.0f)), 0.0f, 255.0f);
}

QColor greyed(const QColor& color)
{
    const QColor rgb = color.toRgb();
    const float level = std::clamp(0.5f * (rgb.redF() + rgb.greenF() + rgb.blueF()), 0.0f, 1.0f);
    return QColor::fromRgbF(level, level, level, rgb.alphaF());
}

QRectF lerp(const QRectF& from, const QRectF& to, double t)
{
    return QRectF(from.x() + (to.x() - from.x()) * t, from.y() + (to.y() - from.y()) * t,
                  from.width() + (to.width() - from.width()) * t, from.height() + (to.height() - from.height()) * t);
}

} // namespace

std::optional<ColorSlider::ColorType> ColorSlider::colorTypeFromRawValue(int raw)
{
    switch (raw) {
    case 0:
        return ColorType::unknown;
    case 3:
        return ColorType::color;
    case 4:
        return ColorType::temperature;
    default:
        return std::nullopt;
    }
}

ColorSlider::ColorSlider(QWidget* parent)
    : QWidget(parent)
    , trackAnimation_(new QVariantAnimation(this))
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover);
    setAccessibleName(localized("Colour"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(trackAnimation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        trackFraction_ = value.toDouble();
        update();
    });
    layoutLayers();
}

ColorSlider::~ColorSlider() = default;

void ColorSlider::setMinValue(double value)
{
    minValue_ = value;
    value_ = std::clamp(value_, std::min(minValue_, maxValue_), std::max(minValue_, maxValue_));
    updateLayer();
}

void ColorSlider::setMaxValue(double value)
{
    maxValue_ = value;
    value_ = std::clamp(value_, std::min(minValue_, maxValue_), std::max(minValue_, maxValue_));
    updateLayer();
}

void ColorSlider::setDoubleValue(double value)
{
    if (std::isnan(value))
        return;
    value_ = std::clamp(value, std::min(minValue_, maxValue_), std::max(minValue_, maxValue_));
    updateLayer();
}

void ColorSlider::setRefusesFirstResponder(bool refuses)
{
    refusesFirstResponder_ = refuses;
    setFocusPolicy(refuses ? Qt::NoFocus : Qt::StrongFocus);
    if (refuses && hasFocus())
        clearFocus();
    update();
}

void ColorSlider::setColorType(ColorType type)
{
    colorType_ = type;
    layoutLayers();
}

void ColorSlider::setSaturation(float saturation)
{
    saturation_ = saturation;
    layoutLayers();
}

void ColorSlider::setColorTemperatureMin(qint64 kelvin)
{
    colorTemperatureMin_ = kelvin;
    layoutLayers();
}

void ColorSlider::setColorTemperatureMax(qint64 kelvin)
{
    colorTemperatureMax_ = kelvin;
    layoutLayers();
}

double ColorSlider::cappedHeight(double requested) const
{
    return std::min(requested, double(height()));
}

void ColorSlider::setSliderHeight(double height)
{
    sliderHeight_ = cappedHeight(height);
    update();
}

void ColorSlider::setKnobHeight(double height)
{
    knobHeight_ = cappedHeight(height);
    updateLayer();
}

void ColorSlider::setKnobBorderColor(const QColor& color)
{
    knobBorderColor_ = color;
    update();
}

void ColorSlider::setKnobBorderSize(double size)
{
    knobBorderSize_ = std::min(size, maximumKnobBorderSize);
    updateLayer();
}

void ColorSlider::setIsTracking(bool tracking)
{
    const bool wasTracking = isTracking_;
    isTracking_ = tracking;
    updateLayer();
    animateTrack();
    if (wasTracking)
        emit triggered();
}

void ColorSlider::setIsDragging(bool dragging)
{
    isDragging_ = dragging;
    updateLayer();
    if (continuous_)
        emit triggered();
}

double ColorSlider::hueOfValue() const
{
    const float max = float(maxValue_);
    if (max == 0.0f)
        return 0.0;
    const float hue = float(value_) / max;
    if (!std::isfinite(hue))
        return 0.0;
    return std::clamp(double(hue), 0.0, 1.0);
}

QColor ColorSlider::selectedColor() const
{
    if (colorType_ == ColorType::temperature) {
        const double range = maxValue_ - minValue_;
        const double fraction = range == 0.0 ? 0.0 : std::clamp((value_ - minValue_) / range, 0.0, 1.0);
        const double kelvin = double(colorTemperatureMin_)
            + fraction * double(colorTemperatureMax_ - colorTemperatureMin_);
        return colorForTemperature(kelvin + 500.0);
    }
    return QColor::fromHsvF(float(hueOfValue()), std::clamp(saturation_, 0.0f, 1.0f), 1.0f, 1.0f);
}

QColor ColorSlider::colorForTemperature(double kelvin)
{
    float t = float(kelvin) / 100.0f;
    if (!(t > 0.0f))
        t = 0.01f; // the formula needs a positive temperature: the reddest end
    const float red = t <= 66.0f ? 255.0f : 329.698727446f * std::pow(t - 60.0f, -0.1332047592f);
    const float green = t <= 66.0f ? 99.4708025861f * std::log(t) - 161.1195681661f
                                   : 288.1221695283f * std::pow(t - 60.0f, -0.0755148492f);
    const float blue = t >= 66.0f  ? 255.0f
                       : t <= 19.0f ? 0.0f
                                    : 138.5177312231f * std::log(t - 10.0f) - 305.0447927307f;
    return QColor::fromRgbF(channel(red) / 255.0f, channel(green) / 255.0f, channel(blue) / 255.0f, 1.0f);
}

QList<QColor> ColorSlider::gradientColors() const
{
    QList<QColor> colors;
    switch (colorType_) {
    case ColorType::unknown:
        return {QColor(Qt::black)};
    case ColorType::color:
        for (int i = 0; i <= 10; ++i)
            colors.append(QColor::fromHsvF(float(i) / 10.0f, std::clamp(saturation_, 0.0f, 1.0f), 1.0f, 1.0f));
        break;
    case ColorType::temperature: {
        const qint64 step = (colorTemperatureMax_ - colorTemperatureMin_) / 10;
        const qint64 end = colorTemperatureMax_ + step;
        const qint64 stride = (end - colorTemperatureMin_) / 10;
        if (stride == 0) {
            colors.append(colorForTemperature(double(colorTemperatureMin_ + 500)));
            break;
        }
        for (qint64 t = colorTemperatureMin_; (stride > 0 ? t < end : t > end) && colors.size() < maximumTemperatureStops;
             t += stride)
            colors.append(colorForTemperature(double(t + 500)));
        break;
    }
    }
    if (!isEnabled())
        for (QColor& color : colors)
            color = greyed(color);
    return colors;
}

double ColorSlider::innerLeft() const
{
    return knobHeight_ / 2.0 + knobBorderSize_;
}

double ColorSlider::innerWidth() const
{
    return std::max(0.0, double(width()) - 2.0 * innerLeft());
}

double ColorSlider::knobPosition() const
{
    const double range = maxValue_ - minValue_;
    if (range == 0.0)
        return innerLeft();
    return innerLeft() + (value_ - minValue_) / range * innerWidth();
}

double ColorSlider::valueAt(double x) const
{
    const double inner = innerWidth();
    if (inner <= 0.0)
        return minValue_;
    const double fraction = std::clamp((x - innerLeft()) / inner, 0.0, 1.0);
    return minValue_ + fraction * (maxValue_ - minValue_);
}

QRectF ColorSlider::thinTrackRect() const
{
    return QRectF(0, height() / 2.0 - thinTrackHeight / 2.0, width(), thinTrackHeight);
}

QRectF ColorSlider::thickTrackRect() const
{
    const double h = std::min(sliderHeight_, double(height()));
    return QRectF(0, (height() - h) / 2.0, width(), h);
}

QRectF ColorSlider::trackRect() const
{
    return lerp(thinTrackRect(), thickTrackRect(), trackFraction_);
}

void ColorSlider::layoutLayers()
{
    gradient_ = gradientColors();
    knobShadowOpacity_ = isEnabled() ? 0.35 : 0.1;
    updateLayer();
}

QRectF ColorSlider::knobRect() const
{
    const double k = std::min(knobHeight_, double(height()));
    return QRectF(knobPosition() - k / 2.0, (height() - k) / 2.0, k, k);
}

void ColorSlider::updateLayer()
{
    knobFill_ = isEnabled() ? selectedColor() : disabledKnobColor;
    update();
}

void ColorSlider::animateTrack()
{
    if (!useAnimation_)
        return;
    trackAnimation_->stop();
    const double target = isTracking_ ? 1.0 : 0.0;
    const double duration = isTracking_ ? animationDurationIn_ : animationDurationOut_;
    trackAnimation_->setStartValue(trackFraction_);
    trackAnimation_->setEndValue(target);
    trackAnimation_->setDuration(std::max(1, int(std::lround(duration * 1000.0))));
    trackAnimation_->start();
}

QSize ColorSlider::sizeHint() const
{
    return QSize(200, 20);
}

QSize ColorSlider::minimumSizeHint() const
{
    return QSize(40, 16);
}

void ColorSlider::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    const QRectF track = trackRect();
    QPainterPath trackPath;
    trackPath.addRoundedRect(track, track.height() / 2.0, track.height() / 2.0);
    if (gradient_.size() == 1) {
        painter.fillPath(trackPath, gradient_.first());
    } else if (!gradient_.isEmpty()) {
        QLinearGradient fill(0, 0, width(), 0);
        for (qsizetype i = 0; i < gradient_.size(); ++i)
            fill.setColorAt(double(i) / double(gradient_.size() - 1), gradient_.at(i));
        painter.fillPath(trackPath, fill);
    }

    // The knob's soft shadow, half a point above it (the shadow colour is
    // black), faded out over one point.
    const QRectF knobSquare = knobRect();
    const double radius = knobSquare.width() / 2.0;
    if (radius > 0) {
        const QPointF centre = knobSquare.center() + QPointF(0, -0.5);
        QRadialGradient shadow(centre, radius + 1.0);
        QColor dark(0, 0, 0);
        dark.setAlphaF(float(knobShadowOpacity_));
        QColor clear = dark;
        clear.setAlphaF(0);
        shadow.setColorAt(0, dark);
        shadow.setColorAt(std::max(0.0, (radius - 0.5) / (radius + 1.0)), dark);
        shadow.setColorAt(1, clear);
        painter.setPen(Qt::NoPen);
        painter.setBrush(shadow);
        painter.drawEllipse(centre, radius + 1.0, radius + 1.0);
    }

    QPainterPath knob;
    knob.addEllipse(knobSquare);
    painter.fillPath(knob, knobFill_);
    if (knobBorderSize_ > 0)
        painter.strokePath(knob, QPen(knobBorderColor_, knobBorderSize_));

    if (hasFocus() && !refusesFirstResponder_) {
        QColor ring = applicationAccentColor();
        ring.setAlphaF(0.6f);
        painter.strokePath(knob, QPen(ring, 2.0));
    }
}

void ColorSlider::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // The track and the knob follow the new bounds.
    layoutLayers();
}

void ColorSlider::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        if (!isEnabled() && isTracking_) {
            isTracking_ = false;
            animateTrack();
        }
        layoutLayers();
    }
}

void ColorSlider::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !isEnabled()) {
        event->ignore();
        return;
    }
    event->accept();
    const double x = event->position().x();
    const bool onKnob = std::abs(x - knobPosition()) <= knobRect().width() / 2.0;
    grabOffset_ = onKnob ? x - knobPosition() : 0.0;
    if (!onKnob)
        value_ = valueAt(x);
    setIsTracking(true);
}

void ColorSlider::mouseMoveEvent(QMouseEvent* event)
{
    if (!isTracking_ || !isEnabled()) {
        event->ignore();
        return;
    }
    event->accept();
    value_ = valueAt(event->position().x() - grabOffset_);
    setIsDragging(true);
}

void ColorSlider::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !isTracking_) {
        event->ignore();
        return;
    }
    event->accept();
    setIsTracking(false);
}

void ColorSlider::keyPressEvent(QKeyEvent* event)
{
    const double range = maxValue_ - minValue_;
    const double step = range / 36.0;
    double next = value_;
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Down:
        next -= step;
        break;
    case Qt::Key_Right:
    case Qt::Key_Up:
        next += step;
        break;
    case Qt::Key_Home:
        next = minValue_;
        break;
    case Qt::Key_End:
        next = maxValue_;
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    setDoubleValue(next);
    emit triggered();
}

void ColorSlider::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    update();
}

void ColorSlider::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    update();
}

} // namespace vantel
