#pragma once

#include "support/TestSupport.h"

#include <QApplication>
#include <QImage>
#include <QPalette>
#include <QWidget>

#include <cstdlib>

namespace vantel::test {

// The widget drawn alone onto transparent pixels, without any background:
// what the control itself paints.
inline QImage renderAlone(QWidget& widget, const QRegion& region = QRegion())
{
    QImage image(widget.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    widget.render(&image, QPoint(), region, QWidget::DrawChildren);
    return image;
}

inline bool near(const QColor& a, const QColor& b, int tolerance = 6)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
        && std::abs(a.blue() - b.blue()) <= tolerance && std::abs(a.alpha() - b.alpha()) <= tolerance;
}

// Switches the application palette to a dark or light window for as long
// as it lives.
class AppearanceScope {
public:
    explicit AppearanceScope(bool dark)
        : saved_(QApplication::palette())
    {
        QPalette palette = saved_;
        palette.setColor(QPalette::Window, dark ? QColor(40, 40, 40) : QColor(236, 236, 236));
        palette.setColor(QPalette::WindowText, dark ? QColor(230, 230, 230) : QColor(20, 20, 20));
        QApplication::setPalette(palette);
    }
    ~AppearanceScope() { QApplication::setPalette(saved_); }

private:
    QPalette saved_;
};

} // namespace vantel::test
