#pragma once

#include "graphics/widgets/DrawnButton.h"
#include "graphics/widgets/PressActivatedButton.h"
#include "platform/ui/WeakDelegate.h"

#include <optional>

namespace vantel {

class ColorCircleDelegate;

// A round colour swatch. A click (or Space / Return with the focus) calls
// the delegate's colorCircleClicked with the swatch and its colour, when it
// has a colour and the delegate is still alive; it never sends clicked() and
// shows no pressed state. Without a colour, or set to the clear colour, it
// draws a transparent disc (only the ring and the inner shadow show).
class DrawnColorCircle : public PressActivatedButton<DrawnButton> {
    Q_OBJECT
public:
    explicit DrawnColorCircle(QWidget* parent = nullptr);

    // The delegate is not kept alive by the swatch. A delegate that is a
    // QObject is forgotten when it is destroyed; any other must be cleared
    // by its owner before it goes.
    ColorCircleDelegate* delegate() const;
    void setDelegate(ColorCircleDelegate* delegate);

    // Initially a 0.808 grey; none after being cleared.
    const std::optional<QColor>& color() const { return color_; }
    void setColor(const std::optional<QColor>& color);

    double redColor() const { return redColor_; }
    double greenColor() const { return greenColor_; }
    double blueColor() const { return blueColor_; }
    double alphaColorBackground() const { return alphaColorBackground_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    // Tells the delegate.
    void pressActivated() override;

private:
    double redColor_ = 0.808;
    double greenColor_ = 0.808;
    double blueColor_ = 0.808;
    double alphaColorBackground_ = 1.0;
    platform::WeakDelegate<ColorCircleDelegate> delegate_;
    std::optional<QColor> color_;
};

} // namespace vantel
