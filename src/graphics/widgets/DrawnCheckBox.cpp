#include "graphics/widgets/DrawnCheckBox.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace vantel {

DrawnCheckBox::DrawnCheckBox(QWidget* parent)
    : DrawnButton(parent)
{
}

void DrawnCheckBox::setIsChecked(bool checked)
{
    if (isChecked_ == checked)
        return;
    isChecked_ = checked;
    update();
}

void DrawnCheckBox::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    option.initFrom(this);
    option.text = text();
    option.state |= isChecked_ ? QStyle::State_On : QStyle::State_Off;
    if (isDown())
        option.state |= QStyle::State_Sunken;
    if (isMouseOver())
        option.state |= QStyle::State_MouseOver;
    painter.drawControl(QStyle::CE_CheckBox, option);
}

} // namespace vantel
