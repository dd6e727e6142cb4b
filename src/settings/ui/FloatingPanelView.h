#pragma once

#include <QToolButton>

#include <QWidget>

namespace vantel {

// The background of the windows without a title bar (info, hotkey
// overview): the window colour, translucent with rounded corners where the
// desktop composites, opaque otherwise. Dragging it moves the window; a
// close button in the top right corner and Escape close it.
class FloatingPanelView : public QWidget {
    Q_OBJECT

public:
    static constexpr qreal cornerRadius = 10.0;
    static constexpr int translucentAlpha = 225;

    explicit FloatingPanelView(QWidget* parent = nullptr);

    QToolButton* closeButton() const { return closeButton_; }
    // Whether the background is drawn translucent; follows the window's
    // translucency attribute.
    bool isTranslucent() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QToolButton* closeButton_;
};

} // namespace vantel
