#pragma once

#include <QWidget>

namespace vantel {

// The company word mark, scaled to fit, light or dark after the
// application's appearance.
class DrawnLogo : public QWidget {
    Q_OBJECT
public:
    explicit DrawnLogo(QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace vantel
