#include "graphics/DrawingKit.h"

#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QPixmap>

#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>

namespace vantel {

namespace {

const QRectF iconCanvas(0, 0, 18, 18);
const QRectF swatchCanvas(0, 0, 36, 36);
const QRectF logoCanvas(0, 0, 227, 43);

QColor rgba(double r, double g, double b, double a)
{
    return QColor::fromRgbF(float(r), float(g), float(b), float(a));
}

QColor iconGrey() { return rgba(0.799, 0.799, 0.799, 1.0); }
QColor warningRed() { return rgba(1.0, 0.0, 0.0, 1.0); }
QColor starYellow() { return rgba(0.999, 0.986, 0.0, 1.0); }

// Saves the painter, moves and scales it so that the canvas lands on the
// resized rectangle, runs the drawing and restores the painter.
void onCanvas(QPainter& painter, const QRectF& canvas, const QRectF& frame, ResizingBehavior resizing,
              const std::function<void(QPainter&)>& draw)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF target = applyResizing(resizing, canvas, frame);
    painter.translate(target.left(), target.top());
    painter.scale(target.width() / canvas.width(), target.height() / canvas.height());
    draw(painter);
    painter.restore();
}

void stroke(QPainter& painter, const QPainterPath& path, const QColor& colour, double width,
            Qt::PenCapStyle cap = Qt::FlatCap, Qt::PenJoinStyle join = Qt::MiterJoin)
{
    QPen pen(colour, width, Qt::SolidLine, cap, join);
    painter.strokePath(path, pen);
}

QPainterPath polyline(std::initializer_list<QPointF> points)
{
    QPainterPath path;
    auto it = points.begin();
    path.moveTo(*it);
    for (++it; it != points.end(); ++it)
        path.lineTo(*it);
    return path;
}

QPainterPath gearPath()
{
    const QPointF centre(9, 9);
    QPainterPath body;
    body.addEllipse(centre, 6.15, 6.15);
    for (int k = 0; k < 8; ++k) {
        QPainterPath tooth;
        // The right-hand tooth, turned into place: x 6.0 to 8.23, 2.74 wide.
        tooth.addRoundedRect(QRectF(6.0, -1.37, 2.23, 2.74), 0.69, 0.69);
        QTransform turn;
        turn.translate(centre.x(), centre.y());
        turn.rotate(45.0 * k);
        body = body.united(turn.map(tooth));
    }
    QPainterPath gear = body.simplified();
    gear.addEllipse(centre, 4.11, 4.11);
    gear.addEllipse(centre, 2.06, 2.06);
    gear.setFillRule(Qt::OddEvenFill);
    return gear;
}

QPainterPath powerPath()
{
    const QPointF centre(9, 9.35);
    const double radius = (8.07 + 5.96) / 2;
    const double open = 26.0; // half the gap at the top, in degrees
    QPainterPath arc;
    const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    arc.arcMoveTo(box, 90 + open);
    arc.arcTo(box, 90 + open, 360 - 2 * open);
    QPainterPathStroker ring;
    ring.setWidth(8.07 - 5.96);
    ring.setCapStyle(Qt::RoundCap);
    QPainterPathStroker bar;
    bar.setWidth(2.1);
    bar.setCapStyle(Qt::RoundCap);
    QPainterPath path = ring.createStroke(arc).simplified();
    path.addPath(bar.createStroke(polyline({{9, 0.58 + 1.05}, {9, 9.0 - 1.05}})).simplified());
    path.setFillRule(Qt::OddEvenFill);
    return path;
}

QPainterPath eyeOutline()
{
    QPainterPath path;
    path.moveTo(1.32, 9);
    path.quadTo(9.25, -1, 17.18, 9); // the upper lid peaks at y 4
    path.quadTo(9.25, 19, 1.32, 9);  // the lower at y 14
    return path;
}

QPainterPath eyeIris()
{
    QPainterPath path;
    path.addEllipse(QRectF(6.15, 6.0, 6.2, 6.0));
    return path;
}

QPainterPath starPath()
{
    QPainterPath path = polyline({{9.25, 1.35}, {11.25, 6.5}, {16.76, 6.81}, {12.48, 10.3}, {13.89, 15.64},
                                  {9.25, 12.65}, {4.61, 15.64}, {6.02, 10.3}, {1.74, 6.81}, {7.25, 6.5}});
    path.closeSubpath();
    return path;
}

void drawStar(QPainter& painter, const QColor& appearance, double outlineFraction, double hoverFraction,
              bool mouseOver, bool isChecked)
{
    const QColor outline = blendedColor(iconGrey(), outlineFraction, appearance);
    const QColor hover = blendedColor(iconGrey(), hoverFraction, Qt::white);
    const QPainterPath star = starPath();
    stroke(painter, star, outline, 1.0);
    if (isChecked) {
        painter.fillPath(star, starYellow());
        stroke(painter, star, outline, 1.0);
    }
    if (mouseOver)
        stroke(painter, star, hover, 1.0);
}

// Separable box blur, three passes, which is close to a gaussian.
void blur(QImage& image, int radius)
{
    if (radius < 1)
        return;
    const int w = image.width();
    const int h = image.height();
    std::vector<int> line(size_t(std::max(w, h)));
    for (int pass = 0; pass < 3; ++pass) {
        for (int horizontal = 1; horizontal >= 0; --horizontal) {
            const int outer = horizontal ? h : w;
            const int inner = horizontal ? w : h;
            for (int o = 0; o < outer; ++o) {
                auto at = [&](int i) -> QRgb& {
                    return reinterpret_cast<QRgb*>(image.scanLine(horizontal ? o : i))[horizontal ? i : o];
                };
                for (int i = 0; i < inner; ++i)
                    line[size_t(i)] = qAlpha(at(i));
                int sum = 0;
                for (int i = -radius; i <= radius; ++i)
                    sum += line[size_t(std::clamp(i, 0, inner - 1))];
                for (int i = 0; i < inner; ++i) {
                    const int a = sum / (2 * radius + 1);
                    at(i) = qRgba(0, 0, 0, a);
                    sum += line[size_t(std::clamp(i + radius + 1, 0, inner - 1))]
                        - line[size_t(std::clamp(i - radius, 0, inner - 1))];
                }
            }
        }
    }
}

// A shadow cast inside the oval by what lies outside it, black at alpha
// 0.45, offset downwards by 2 and blurred by 6, both times the scale.
void innerShadow(QPainter& painter, const QRectF& oval, double scale)
{
    const QTransform toDevice = painter.worldTransform();
    const QRect area = toDevice.mapRect(oval).toAlignedRect();
    if (area.isEmpty())
        return;
    const double offset = 2.0 * scale;
    const int radius = std::max(1, int(std::lround(6.0 * scale / 2)));
    QImage layer(area.size(), QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    {
        QPainter p(&layer);
        p.setRenderHint(QPainter::Antialiasing);
        p.translate(-area.topLeft());
        p.translate(0, offset);
        QPainterPath outside;
        outside.addRect(QRectF(area).adjusted(-4 * radius, -4 * radius - offset, 4 * radius, 4 * radius));
        QPainterPath ovalPath;
        ovalPath.addEllipse(oval);
        outside.addPath(toDevice.map(ovalPath));
        outside.setFillRule(Qt::OddEvenFill);
        p.fillPath(outside, Qt::black);
    }
    blur(layer, radius);
    painter.save();
    QPainterPath inside;
    inside.addEllipse(oval);
    painter.setClipPath(inside, Qt::IntersectClip);
    painter.resetTransform();
    painter.setOpacity(0.45);
    painter.drawImage(area.topLeft(), layer);
    painter.restore();
}

void drawSwatch(QPainter& painter, const QRectF& frame, ResizingBehavior resizing, bool mouseOver, const QColor& fill,
                const QColor& appearance, double outlineFraction, double hoverFraction)
{
    const QColor outline = blendedColor(iconGrey(), outlineFraction, appearance);
    const QColor hover = blendedColor(iconGrey(), hoverFraction, Qt::white);
    const QRectF target = applyResizing(resizing, swatchCanvas, frame);
    const double scale = std::min(target.width() / 36.0, target.height() / 36.0);
    onCanvas(painter, swatchCanvas, frame, resizing, [&](QPainter& p) {
        auto ring = [&](const QRectF& rect, const QColor& edge, double width) {
            QPainterPath oval;
            oval.addEllipse(rect);
            p.fillPath(oval, fill);
            innerShadow(p, rect, scale);
            stroke(p, oval, edge, width);
        };
        ring(QRectF(0.5, 0.5, 35, 35), outline, 1.0);
        if (mouseOver)
            ring(QRectF(1, 1, 34, 34), hover, 1.5);
    });
}

void drawGroupBox(QPainter& painter, const QRectF& frame, const QColor& fill, const QColor& towards, double fraction)
{
    QPainterPath box;
    box.addRoundedRect(frame.adjusted(2, 2, -2, -2), 5, 5);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(box, fill);
    stroke(painter, box, blendedColor(rgba(0.71, 0.71, 0.71, 0.314), fraction, towards), 1.0);
    painter.restore();
}

// The word mark: a bar, a ring, two letter strokes and a dot.
void drawLogo(QPainter& painter, const QRectF& frame, ResizingBehavior resizing, const QColor& text)
{
    onCanvas(painter, logoCanvas, frame, resizing, [&](QPainter& p) {
        QPainterPath first; // T
        first.addRect(QRectF(4, 6, 30, 6));
        first.addRect(QRectF(16, 6, 6, 31));
        first = first.simplified();
        QPainterPath second; // the orange ring
        second.addEllipse(QPointF(56, 21.5), 15.5, 15.5);
        second.addEllipse(QPointF(56, 21.5), 9.5, 9.5);
        second.setFillRule(Qt::OddEvenFill);
        QPainterPath third; // R
        third.moveTo(80, 6);
        third.lineTo(98, 6);
        third.cubicTo(110, 6, 110, 24, 98, 24);
        third.lineTo(110, 37);
        third.lineTo(102, 37);
        third.lineTo(91, 24);
        third.lineTo(86, 24);
        third.lineTo(86, 37);
        third.lineTo(80, 37);
        third.closeSubpath();
        third.moveTo(86, 12);
        third.lineTo(97, 12);
        third.cubicTo(103, 12, 103, 18, 97, 18);
        third.lineTo(86, 18);
        third.closeSubpath();
        third.setFillRule(Qt::OddEvenFill);
        QPainterPath fourth; // N and W, a letter gap apart
        fourth.addPolygon(QPolygonF({{116, 37}, {116, 6}, {122, 6}, {140, 27}, {140, 6}, {146, 6}, {146, 37},
                                     {140, 37}, {122, 16}, {122, 37}}));
        fourth.closeSubpath();
        fourth.addPolygon(QPolygonF({{152, 6}, {158, 6}, {163, 27}, {168, 6}, {174, 6}, {179, 27}, {184, 6},
                                     {190, 6}, {182, 37}, {176, 37}, {171, 17}, {166, 37}, {160, 37}}));
        fourth.closeSubpath();
        QPainterPath fifth; // the orange dot
        fifth.addEllipse(QPointF(204, 31.5), 5.5, 5.5);
        p.fillPath(first, text);
        p.fillPath(second, DrawingKit::tarnwickOrange());
        p.fillPath(third, text);
        p.fillPath(fourth, text);
        p.fillPath(fifth, DrawingKit::tarnwickOrange());
    });
}

// An 18 x 18 image drawn by `draw` each time it is rendered.
class DrawnEngine : public QIconEngine {
public:
    explicit DrawnEngine(std::function<void(QPainter&, const QRectF&)> draw) : draw_(std::move(draw)) { }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override
    {
        painter->save();
        painter->translate(rect.topLeft());
        painter->scale(rect.width() / 18.0, rect.height() / 18.0);
        draw_(*painter, QRectF(0, 0, 18, 18));
        painter->restore();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap pix(size);
        pix.fill(Qt::transparent);
        QPainter painter(&pix);
        paint(&painter, QRect(QPoint(), size), mode, state);
        return pix;
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        return QSize(18, 18).scaled(size, Qt::KeepAspectRatio);
    }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override { return {QSize(18, 18)}; }
    QString key() const override { return QStringLiteral("drawn"); }
    QIconEngine* clone() const override { return new DrawnEngine(draw_); }

private:
    std::function<void(QPainter&, const QRectF&)> draw_;
};

QIcon drawnImage(std::function<void(QPainter&, const QRectF&)> draw)
{
    return QIcon(new DrawnEngine(std::move(draw)));
}

} // namespace

std::optional<ResizingBehavior> resizingBehaviorFromRaw(int raw)
{
    if (raw < 0 || raw > 3)
        return std::nullopt;
    return static_cast<ResizingBehavior>(raw);
}

QRectF applyResizing(ResizingBehavior behavior, const QRectF& canvas, const QRectF& target)
{
    if (canvas == target || target == QRectF(0, 0, 0, 0))
        return canvas;
    const double horizontal = std::abs(target.width() / canvas.width());
    const double vertical = std::abs(target.height() / canvas.height());
    double sx = 1.0;
    double sy = 1.0;
    switch (behavior) {
    case ResizingBehavior::scaleToFit:
        sx = sy = std::min(horizontal, vertical);
        break;
    case ResizingBehavior::scaleToFill:
        sx = sy = std::max(horizontal, vertical);
        break;
    case ResizingBehavior::stretchToFill:
        sx = horizontal;
        sy = vertical;
        break;
    case ResizingBehavior::keepSizeCentered:
        break;
    }
    const double width = canvas.width() * sx;
    const double height = canvas.height() * sy;
    return QRectF(target.left() + (target.width() - width) / 2, target.top() + (target.height() - height) / 2, width,
                  height);
}

QColor blendedColor(const QColor& from, double fraction, const QColor& to)
{
    auto mix = [fraction](float a, float b) { return a + (b - a) * float(fraction); };
    return QColor::fromRgbF(mix(from.redF(), to.redF()), mix(from.greenF(), to.greenF()),
                            mix(from.blueF(), to.blueF()), mix(from.alphaF(), to.alphaF()));
}

const QColor& DrawingKit::tarnwickOrange()
{
    static const QColor orange = rgba(1.0, 0.635, 0.0, 1.0);
    return orange;
}

void DrawingKit::drawIcon_settingCanvas(QPainter& painter, const QRectF& frame, ResizingBehavior resizing,
                                        bool mouseOver)
{
    onCanvas(painter, iconCanvas, frame, resizing, [&](QPainter& p) {
        const QPainterPath gear = gearPath();
        p.fillPath(gear, iconGrey());
        if (mouseOver)
            p.fillPath(gear, tarnwickOrange());
    });
}

void DrawingKit::drawIcon_exitCanvas(QPainter& painter, const QRectF& frame, ResizingBehavior resizing, bool mouseOver)
{
    onCanvas(painter, iconCanvas, frame, resizing, [&](QPainter& p) {
        const QPainterPath power = powerPath();
        p.fillPath(power, iconGrey());
        if (mouseOver)
            p.fillPath(power, tarnwickOrange());
    });
}

void DrawingKit::drawIcon_deleteCanvas(QPainter& painter, const QRectF& frame, ResizingBehavior resizing,
                                       bool mouseOver)
{
    onCanvas(painter, iconCanvas, frame, resizing, [&](QPainter& p) {
        auto draw = [&](const QColor& colour) {
            stroke(p, polyline({{2, 3.33}, {16, 3.33}}), colour, 1.0, Qt::RoundCap);
            stroke(p, polyline({{3.65, 3.31}, {4.57, 16.75}, {13.37, 16.75}, {14.41, 3.31}}), colour, 1.0,
                   Qt::FlatCap, Qt::RoundJoin);
            stroke(p, polyline({{7.79, 5.33}, {7.81, 15.08}}), colour, 0.8);
            stroke(p, polyline({{10.1, 5.33}, {10.13, 15.08}}), colour, 0.8);
            stroke(p, polyline({{6.63, 3.33}, {6.66, 0.75}, {11.4, 0.75}, {11.4, 3.31}}), colour, 1.0, Qt::FlatCap,
                   Qt::RoundJoin);
        };
        draw(iconGrey());
        if (mouseOver)
            draw(warningRed());
    });
}

void DrawingKit::drawIcon_menuCanvas(QPainter& painter, const QRectF& frame, ResizingBehavior resizing,
                                     bool mouseOver, double red, double green, double blue, double alphaBackground)
{
    onCanvas(painter, iconCanvas, frame, resizing, [&](QPainter& p) {
        QPainterPath bars;
        bars.addRoundedRect(QRectF(2, 12.77, 14, 3.23), 1.62, 1.62);
        bars.addRoundedRect(QRectF(2, 7.38, 14, 3.24), 1.62, 1.62);
        bars.addRoundedRect(QRectF(2, 2.0, 14, 3.0), 1.5, 1.5);
        p.fillPath(bars, iconGrey());
        if (mouseOver)
            p.fillPath(bars, rgba(red, green, blue, alphaBackground));
    });
}

void DrawingKit::drawIcon_visibleCanvas(QPainter& painter, const QRectF& frame, ResizingBehavior resizing,
                                        bool isChecked)
{
    onCanvas(painter, iconCanvas, frame, resizing, [&](QPainter& p) {
        if (isChecked) {
            stroke(p, eyeOutline(), iconGrey(), 1.0, Qt::RoundCap, Qt::RoundJoin);
            stroke(p, eyeIris(), iconGrey(), 1.0);
            QPainterPath highlight;
            const QRectF box(9.25 - 1.43, 9.02 - 1.43, 2.86, 2.86);
            highlight.arcMoveTo(box, 90);
            highlight.arcTo(box, 90, -270); // top, right, bottom, left
            stroke(p, highlight, iconGrey(), 1.0, Qt::RoundCap, Qt::RoundJoin);
        }
        // The slashed eye: outline and iris broken where the slash crosses.
        p.save();
        QPainterPath gap;
        gap.addRect(QRectF(-5, -5, 28, 28));
        QPainterPathStroker band;
        band.setWidth(3.0);
        gap.addPath(band.createStroke(polyline({{19, -1}, {-1, 19}})));
        gap.setFillRule(Qt::OddEvenFill);
        p.setClipPath(gap);
        stroke(p, eyeOutline(), iconGrey(), 1.0, Qt::RoundCap, Qt::RoundJoin);
        stroke(p, eyeIris(), iconGrey(), 1.0, Qt::RoundCap);
        p.restore();
        stroke(p, polyline({{15, 3}, {3, 15}}), warningRed(), 1.0, Qt::RoundCap);
    });
}

void DrawingKit::drawIcon_favoriteLightUICanvas(QPainter& painter, const QRectF& frame, ResizingBehavior resizing,
                                                bool mouseOver, bool isChecked)
{
    onCanvas(painter, iconCanvas, frame, resizing,
             [&](QPainter& p) { drawStar(p, Qt::white, 0.4, 1.0, mouseOver, isChecked); });
}

void DrawingKit::drawIcon_favoriteDarkUICanvas(QPainter& painter, const QRectF& frame, ResizingBehavior resizing,
                                               bool mouseOver, bool isChecked)
{
    onCanvas(painter, iconCanvas, frame, resizing,
             [&](QPainter& p) { drawStar(p, Qt::black, 0.2, 0.8, mouseOver, isChecked); });
}

void DrawingKit::drawColorCircleLightUICanvas(QPainter& painter, const QRectF& frame, ResizingBehavior resizing,
                                              bool mouseOver, double red, double green, double blue,
                                              double alphaBackground)
{
    drawSwatch(painter, frame, resizing, mouseOver, rgba(red, green, blue, alphaBackground), Qt::white, 0.4, 1.0);
}

void DrawingKit::drawColorCircleDarkUICanvas(QPainter& painter, const QRectF& frame, ResizingBehavior resizing,
                                             bool mouseOver, double red, double green, double blue,
                                             double alphaBackground)
{
    drawSwatch(painter, frame, resizing, mouseOver, rgba(red, green, blue, alphaBackground), Qt::black, 0.2, 0.8);
}

void DrawingKit::drawTarnwickLightUI(QPainter& painter, const QRectF& frame, ResizingBehavior resizing)
{
    drawLogo(painter, frame, resizing, Qt::black);
}

void DrawingKit::drawTarnwickDarkUI(QPainter& painter, const QRectF& frame, ResizingBehavior resizing)
{
    drawLogo(painter, frame, resizing, Qt::white);
}

void DrawingKit::drawGroupBoxLightUICanvas(QPainter& painter, const QRectF& frame)
{
    drawGroupBox(painter, frame, rgba(1.0, 1.0, 1.0, 0.157), Qt::black, 0.3);
}

void DrawingKit::drawGroupBoxDarkUICanvas(QPainter& painter, const QRectF& frame)
{
    drawGroupBox(painter, frame, rgba(0.741, 0.741, 0.741, 0.098), Qt::white, 0.1);
}

void DrawingKit::drawVantelBackground(QPainter& painter, const QRectF& frame, double red, double green, double blue,
                                      double alphaBackground, double alphaIndicator, bool drawBackground)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (drawBackground) {
        QPainterPath back;
        back.addRoundedRect(frame, 5, 5);
        painter.fillPath(back, rgba(red, green, blue, alphaBackground));
    }
    const QRectF indicator(frame.left() + 3, frame.top() + 2, 7, frame.height() - 4);
    if (indicator.height() > 0) {
        QPainterPath path;
        path.addRoundedRect(indicator, 3.5, 3.5);
        painter.fillPath(path, rgba(red, green, blue, alphaIndicator));
    }
    painter.restore();
}

QIcon DrawingKit::imageOfIcon_settingCanvas(bool mouseOver)
{
    return drawnImage([mouseOver](QPainter& p, const QRectF& r) {
        drawIcon_settingCanvas(p, r, ResizingBehavior::scaleToFit, mouseOver);
    });
}

QIcon DrawingKit::imageOfIcon_exitCanvas(bool mouseOver)
{
    return drawnImage([mouseOver](QPainter& p, const QRectF& r) {
        drawIcon_exitCanvas(p, r, ResizingBehavior::scaleToFit, mouseOver);
    });
}

QIcon DrawingKit::imageOfIcon_deleteCanvas(bool mouseOver)
{
    return drawnImage([mouseOver](QPainter& p, const QRectF& r) {
        drawIcon_deleteCanvas(p, r, ResizingBehavior::scaleToFit, mouseOver);
    });
}

QIcon DrawingKit::imageOfIcon_visibleCanvas(bool isChecked)
{
    return drawnImage([isChecked](QPainter& p, const QRectF& r) {
        drawIcon_visibleCanvas(p, r, ResizingBehavior::scaleToFit, isChecked);
    });
}

QIcon DrawingKit::imageOfIcon_favoriteLightUICanvas(bool mouseOver, bool isChecked)
{
    return drawnImage([mouseOver, isChecked](QPainter& p, const QRectF& r) {
        drawIcon_favoriteLightUICanvas(p, r, ResizingBehavior::scaleToFit, mouseOver, isChecked);
    });
}

QIcon DrawingKit::imageOfIcon_favoriteDarkUICanvas(bool mouseOver, bool isChecked)
{
    return drawnImage([mouseOver, isChecked](QPainter& p, const QRectF& r) {
        drawIcon_favoriteDarkUICanvas(p, r, ResizingBehavior::scaleToFit, mouseOver, isChecked);
    });
}

} // namespace vantel
