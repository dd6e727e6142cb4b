#pragma once

#include "graphics/widgets/DrawnButton.h"

namespace vantel {

// A drawn button with a checked state that its owner sets; a click does not
// toggle it by itself (the owner decides and sets it). A plain DrawnCheckBox
// looks like the platform's check box.
class DrawnCheckBox : public DrawnButton {
    Q_OBJECT
public:
    explicit DrawnCheckBox(QWidget* parent = nullptr);

    bool isChecked() const { return isChecked_; }
    void setIsChecked(bool checked);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool isChecked_ = false;
};

} // namespace vantel
