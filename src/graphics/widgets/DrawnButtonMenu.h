#pragma once

#include "graphics/widgets/DrawnButton.h"
#include "graphics/widgets/PressActivatedButton.h"

#include <functional>

namespace vantel {

// The three-bar menu button. While the pointer is over it the bars fill in
// the application's accent colour, read at every draw. A mouse press (or
// Space / Return with the focus) calls mouseDownHandler once and nothing
// else: the button sends no clicked() and shows no pressed state.
class DrawnButtonMenu : public PressActivatedButton<DrawnButton> {
    Q_OBJECT
public:
    explicit DrawnButtonMenu(QWidget* parent = nullptr);

    // The last accent colour drawn, as components; 0.808 before the first draw.
    double redColor() const { return redColor_; }
    double greenColor() const { return greenColor_; }
    double blueColor() const { return blueColor_; }
    double alphaColorBackground() const { return alphaColorBackground_; }
    void setAlphaColorBackground(double alpha);

    std::function<void()> mouseDownHandler;

protected:
    void paintEvent(QPaintEvent* event) override;
    void pressActivated() override;

private:
    double redColor_ = 0.808;
    double greenColor_ = 0.808;
    double blueColor_ = 0.808;
    double alphaColorBackground_ = 1.0;
};

} // namespace vantel
