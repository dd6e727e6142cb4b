#pragma once

#include <QAbstractButton>

namespace vantel {

// A button that knows whether the pointer is over it and draws itself; the
// subclasses draw one of the application's own graphics into their whole
// bounds. A plain DrawnButton looks like the platform's push button. Clicks
// behave as for any button (clicked()), unless a subclass says otherwise.
// Main thread only.
class DrawnButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit DrawnButton(QWidget* parent = nullptr);

    bool isMouseOver() const { return isMouseOver_; }
    // Set by the pointer entering and leaving; each change redraws.
    void setIsMouseOver(bool over);

    QSize sizeHint() const override;

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    // A hidden button has no pointer over it (no leave event comes then).
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    // A thin ring in the accent colour while the button has the keyboard
    // focus, so that a graphic without a focus state of its own shows it.
    void drawFocusRing(QPainter& painter) const;
    // A disabled button draws its graphic faded.
    void dimWhileDisabled(QPainter& painter) const;

private:
    bool isMouseOver_ = false;
};

} // namespace vantel
