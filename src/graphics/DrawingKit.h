#pragma once

#include <QColor>
#include <QIcon>
#include <QRectF>

#include <optional>

class QPainter;

namespace vantel {

// How a graphic designed on a fixed canvas fills the frame it is drawn in.
enum class ResizingBehavior : int { scaleToFit = 0, scaleToFill = 1, stretchToFill = 2, keepSizeCentered = 3 };

std::optional<ResizingBehavior> resizingBehaviorFromRaw(int raw);

// The canvas rectangle scaled as the behaviour asks and centred in the
// target. A target equal to the canvas, or the zero rectangle, leaves the
// canvas as it is.
QRectF applyResizing(ResizingBehavior behavior, const QRectF& canvas, const QRectF& target);

// The application's own vector graphics. Each routine draws with the given
// painter and leaves its state as it found it; icons are designed on an
// 18 x 18 canvas, the swatch on 36 x 36, the logo on 227 x 43, with y
// growing downwards. The routines keep no state apart from the orange, which
// is made once, so they run on whatever thread owns the painter.
class DrawingKit {
public:
    DrawingKit() = delete;

    // The highlight colour of the settings, exit and logo graphics.
    static const QColor& tarnwickOrange();

    static void drawIcon_settingCanvas(QPainter& painter, const QRectF& frame, ResizingBehavior resizing,
                                       bool mouseOver);
    static void drawIcon_exitCanvas(QPainter& painter, const QRectF& frame, ResizingBehavior resizing,
                                    bool mouseOver);
    static void drawIcon_deleteCanvas(QPainter& painter, const QRectF& frame, ResizingBehavior resizing,
                                      bool mouseOver);
    static void drawIcon_menuCanvas(QPainter& painter, const QRectF& frame, ResizingBehavior resizing, bool mouseOver,
                                    double red, double green, double blue, double alphaBackground);
    static void drawIcon_visibleCanvas(QPainter& painter, const QRectF& frame, ResizingBehavior resizing,
                                       bool isChecked);
    static void drawIcon_favoriteLightUICanvas(QPainter& painter, const QRectF& frame, ResizingBehavior resizing,
                                               bool mouseOver, bool isChecked);
    static void drawIcon_favoriteDarkUICanvas(QPainter& painter, const QRectF& frame, ResizingBehavior resizing,
                                              bool mouseOver, bool isChecked);
    static void drawColorCircleLightUICanvas(QPainter& painter, const QRectF& frame, ResizingBehavior resizing,
                                             bool mouseOver, double red, double green, double blue,
                                             double alphaBackground);
    static void drawColorCircleDarkUICanvas(QPainter& painter, const QRectF& frame, ResizingBehavior resizing,
                                            bool mouseOver, double red, double green, double blue,
                                            double alphaBackground);
    static void drawTarnwickLightUI(QPainter& painter, const QRectF& frame, ResizingBehavior resizing);
    static void drawTarnwickDarkUI(QPainter& painter, const QRectF& frame, ResizingBehavior resizing);
    static void drawGroupBoxLightUICanvas(QPainter& painter, const QRectF& frame);
    static void drawGroupBoxDarkUICanvas(QPainter& painter, const QRectF& frame);
    static void drawVantelBackground(QPainter& painter, const QRectF& frame, double red, double green, double blue,
                                     double alphaBackground, double alphaIndicator, bool drawBackground);

    // New 18 x 18 images that draw the routine afresh whenever they are
    // rendered; nothing is kept between calls.
    static QIcon imageOfIcon_settingCanvas(bool mouseOver);
    static QIcon imageOfIcon_exitCanvas(bool mouseOver);
    static QIcon imageOfIcon_deleteCanvas(bool mouseOver);
    static QIcon imageOfIcon_visibleCanvas(bool isChecked);
    static QIcon imageOfIcon_favoriteLightUICanvas(bool mouseOver, bool isChecked);
    static QIcon imageOfIcon_favoriteDarkUICanvas(bool mouseOver, bool isChecked);
};

// Each component of `from` moved toward `to` by `fraction` (0 keeps from,
// 1 gives to), alpha included.
QColor blendedColor(const QColor& from, double fraction, const QColor& to);

} // namespace vantel
