#pragma once

#include "graphics/widgets/DrawnButton.h"

namespace vantel {

// The power symbol, orange while the pointer is over it. Sends clicked().
class DrawnButtonExit : public DrawnButton {
    Q_OBJECT
public:
    explicit DrawnButtonExit(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace vantel
