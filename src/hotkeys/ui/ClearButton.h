#pragma once

#include <QAbstractButton>
#include <QPainterPath>

namespace vantel {

// A round grey button with a cross cut out of it, the control that clears a
// field (the shortcut recorder's key combination). The disc darkens while
// pressed. On a button that is not square the disc is an ellipse and the
// cross runs from 30 % to 70 % of each side. Sends clicked().
class ClearButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit ClearButton(QWidget* parent = nullptr);

    // The disc with the cross cut out (even-odd) for a button of `size`.
    static QPainterPath discPath(const QSizeF& size);
    // The cross's outline alone.
    static QPainterPath crossPath(const QSizeF& size);
    // 191/255 grey at rest, 134/255 while pressed, faded while disabled.
    QColor discColor() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace vantel
