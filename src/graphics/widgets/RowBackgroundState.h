#pragma once

#include <QColor>
#include <QRectF>

#include <optional>

class QPainter;

namespace vantel {

// What an entry row's background shows: a rounded rectangle in the row's
// colour at alphaColorBackground (while drawBackground) and the colour
// indicator at its left at alphaColorIndicator, only while hasColor. A plain
// value, so that a list delegate paints rows from it without a widget per
// row; DrawnMainViewBackground wraps one. The setters answer whether what is
// drawn may have changed.
struct RowBackgroundState {
    double redColor = 0.808;
    double greenColor = 0.808;
    double blueColor = 0.808;
    double alphaColorBackground = 0.2;
    double alphaColorIndicator = 0.9;
    bool hasColor = false;
    bool drawBackground = true;
    float alphaColor = 0.2f;
    // Initially a 0.808 grey that nothing draws (hasColor is false).
    std::optional<QColor> color = QColor::fromRgbF(0.808f, 0.808f, 0.808f);

    bool setDrawBackground(bool draw);
    // Above 1 is stored as 1; below 0.05 hides the background rectangle (the
    // indicator stays), anything else shows it. The background then takes
    // this alpha.
    bool setAlphaColor(float alpha);
    // None or the clear colour: nothing coloured (both alphas 0, white).
    // Another colour: its red, green and blue, the indicator at 0.9; the
    // background alpha is left as it was, so owners set the colour first and
    // alphaColor after it. The same colour again changes nothing.
    bool setColor(const std::optional<QColor>& color);

    // Draws into `frame` (the whole row), nothing while hasColor is false.
    void paint(QPainter& painter, const QRectF& frame) const;
};

} // namespace vantel
