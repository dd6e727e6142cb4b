#pragma once

#include "graphics/widgets/DrawnCheckBox.h"

namespace vantel {

// The favourite star: an outline, yellow while checked, its outline lit
// while the pointer is over it. Light or dark after the application's
// appearance at each draw.
class DrawnCheckBoxFavorite : public DrawnCheckBox {
    Q_OBJECT
public:
    explicit DrawnCheckBoxFavorite(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace vantel
