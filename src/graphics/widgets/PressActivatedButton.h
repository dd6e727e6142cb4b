#pragma once

#include <QKeyEvent>
#include <QMouseEvent>

namespace vantel {

// A button that acts at once on the press rather than on the click: a left
// press, or Space / Return / Enter with the focus (not its auto-repeat),
// calls pressActivated() once. It then sends no clicked() and shows no
// pressed state; other mouse buttons go on to the parent.
template <class Button>
class PressActivatedButton : public Button {
public:
    using Button::Button;

protected:
    virtual void pressActivated() = 0;

    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() != Qt::LeftButton) {
            event->ignore();
            return;
        }
        event->accept();
        pressActivated();
    }

    void mouseReleaseEvent(QMouseEvent* event) override { event->accept(); }

    void keyPressEvent(QKeyEvent* event) override
    {
        switch (event->key()) {
        case Qt::Key_Space:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (!event->isAutoRepeat())
                pressActivated();
            event->accept();
            return;
        default:
            Button::keyPressEvent(event);
        }
    }

    void keyReleaseEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_Space) {
            event->accept();
            return;
        }
        Button::keyReleaseEvent(event);
    }
};

} // namespace vantel
