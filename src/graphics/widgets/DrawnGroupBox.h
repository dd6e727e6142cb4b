#pragma once

#include <QWidget>

namespace vantel {

// A rounded, lightly filled frame that groups controls, light or dark after
// the application's appearance. It follows the pointer (isMouseOver) but
// looks the same either way.
class DrawnGroupBox : public QWidget {
    Q_OBJECT
public:
    explicit DrawnGroupBox(QWidget* parent = nullptr);

    bool isMouseOver() const { return isMouseOver_; }

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool isMouseOver_ = false;
};

} // namespace vantel
