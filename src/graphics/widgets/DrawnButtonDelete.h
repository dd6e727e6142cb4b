#pragma once

#include "graphics/widgets/DrawnButton.h"

namespace vantel {

// The waste bin, red while the pointer is over it. Sends clicked().
class DrawnButtonDelete : public DrawnButton {
    Q_OBJECT
public:
    explicit DrawnButtonDelete(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace vantel
