#pragma once

#include <QColor>
#include <QList>
#include <QRectF>
#include <QWidget>

#include <optional>

class QVariantAnimation;

namespace vantel {

// A horizontal slider that picks a hue (or a colour temperature): a thin
// pill-shaped track filled with the colour gradient and a round knob filled
// with the colour at the value. While the user drags, the track grows from a
// 3-point line to a pill `sliderHeight` high and shrinks back on release.
//
// The value range is minValue...maxValue (0...1 unless the owner sets
// another). The slider sends triggered() - its action - once when the mouse
// is released, and also at every drag step while continuous. Owners read the
// chosen colour from selectedColor(). Disabled, it greys out and ignores the
// mouse. Main thread only.
class ColorSlider : public QWidget {
    Q_OBJECT
public:
    enum class ColorType : int { unknown = 0, color = 3, temperature = 4 };
    static std::optional<ColorType> colorTypeFromRawValue(int raw);

    explicit ColorSlider(QWidget* parent = nullptr);
    ~ColorSlider() override;

    // ---- The value ----
    double minValue() const { return minValue_; }
    void setMinValue(double value);
    double maxValue() const { return maxValue_; }
    void setMaxValue(double value);
    double doubleValue() const { return value_; }
    float floatValue() const { return float(value_); }
    // Kept inside the range; moves the knob, sends nothing.
    void setDoubleValue(double value);
    bool isContinuous() const { return continuous_; }
    void setContinuous(bool continuous) { continuous_ = continuous; }
    // Refusing keeps the keyboard focus away (and draws no focus ring).
    bool refusesFirstResponder() const { return refusesFirstResponder_; }
    void setRefusesFirstResponder(bool refuses);

    // ---- Appearance; each of the first four lays the slider out anew ----
    ColorType colorType() const { return colorType_; }
    void setColorType(ColorType type);
    float saturation() const { return saturation_; }
    void setSaturation(float saturation);
    qint64 colorTemperatureMin() const { return colorTemperatureMin_; }
    void setColorTemperatureMin(qint64 kelvin);
    qint64 colorTemperatureMax() const { return colorTemperatureMax_; }
    void setColorTemperatureMax(qint64 kelvin);
    bool useAnimation() const { return useAnimation_; }
    void setUseAnimation(bool use) { useAnimation_ = use; }
    double animationDurationIn() const { return animationDurationIn_; }
    void setAnimationDurationIn(double seconds) { animationDurationIn_ = seconds; }
    double animationDurationOut() const { return animationDurationOut_; }
    void setAnimationDurationOut(double seconds) { animationDurationOut_ = seconds; }
    // Both heights are stored as at most the slider's height.
    double sliderHeight() const { return sliderHeight_; }
    void setSliderHeight(double height);
    double knobHeight() const { return knobHeight_; }
    void setKnobHeight(double height);
    QColor knobBorderColor() const { return knobBorderColor_; }
    void setKnobBorderColor(const QColor& color);
    // Stored as at most 5.
    double knobBorderSize() const { return knobBorderSize_; }
    void setKnobBorderSize(double size);

    // ---- Tracking state ----
    bool isTracking() const { return isTracking_; }
    // Grows or shrinks the track; leaving a tracking state sends the action.
    void setIsTracking(bool tracking);
    bool isDragging() const { return isDragging_; }
    // Moves the knob; sends the action while continuous.
    void setIsDragging(bool dragging);

    // ---- Computed ----
    // The HSB colour (hue = floatValue / maxValue, this saturation,
    // brightness 1, alpha 1). A maxValue of 0 gives hue 0. A temperature
    // slider answers the temperature's colour at the value, as on its track.
    QColor selectedColor() const;
    // The track's colours from left to right.
    QList<QColor> gradientColors() const;
    // The x of the knob's centre.
    double knobPosition() const;
    // The colour of a black body at `kelvin` (a positive temperature).
    static QColor colorForTemperature(double kelvin);

    // What is drawn now: the track's rectangle (animated between the thin
    // and the thick one), the knob's square, its fill and shadow opacity.
    QRectF trackRect() const;
    QRectF knobRect() const;
    QColor knobFillColor() const { return knobFill_; }
    double knobShadowOpacity() const { return knobShadowOpacity_; }
    QRectF thinTrackRect() const;
    QRectF thickTrackRect() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // The slider's action.
    void triggered();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void layoutLayers();
    void updateLayer();
    void animateTrack();
    double innerLeft() const;
    double innerWidth() const;
    double valueAt(double x) const;
    double cappedHeight(double requested) const;
    double hueOfValue() const;

    double minValue_ = 0.0;
    double maxValue_ = 1.0;
    double value_ = 0.0;
    bool continuous_ = false;
    bool refusesFirstResponder_ = false;

    ColorType colorType_ = ColorType::color;
    float saturation_ = 1.0f;
    qint64 colorTemperatureMin_ = 6500;
    qint64 colorTemperatureMax_ = 2200;
    bool useAnimation_ = true;
    double animationDurationIn_ = 0.05;
    double animationDurationOut_ = 0.15;
    double sliderHeight_ = 10;
    double knobHeight_ = 15;
    QColor knobBorderColor_ = Qt::white;
    double knobBorderSize_ = 1.0;
    bool isTracking_ = false;
    bool isDragging_ = false;

    // What layoutLayers computed.
    QList<QColor> gradient_;
    QColor knobFill_;
    double knobShadowOpacity_ = 0.35;
    // 0 thin ... 1 thick.
    double trackFraction_ = 0.0;
    QVariantAnimation* trackAnimation_ = nullptr;
    // Where in the knob the drag took hold, so that the knob does not jump.
    double grabOffset_ = 0.0;
};

} // namespace vantel
