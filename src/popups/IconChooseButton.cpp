#include "popups/IconChooseButton.h"

#include "platform/ui/PopoverHost.h"
#include "popups/IconChoosePopupViewController.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace vantel {

IconChooseButton::IconChooseButton(QWidget* parent)
    : QPushButton(parent)
    , iconChoosePopover_(new platform::PopoverHost)
{
    iconChoosePopover_->setObjectName(QStringLiteral("iconChoosePopover"));
    if (accessibleName().isEmpty())
        setAccessibleName(tr("Choose Symbol"));
}

IconChooseButton::~IconChooseButton()
{
    if (iconChoosePopover_) {
        iconChoosePopover_->setContentViewController(nullptr);
        delete iconChoosePopover_.data();
    }
}

IconChoosePopupViewController* IconChooseButton::iconChoosePopupViewController()
{
    if (!iconChoosePopupViewController_)
        iconChoosePopupViewController_ = std::make_unique<IconChoosePopupViewController>();
    return iconChoosePopupViewController_.get();
}

void IconChooseButton::configurePopover()
{
    if (!iconChoosePopover_)
        return;
    iconChoosePopover_->setContentViewController(iconChoosePopupViewController());
    iconChoosePopover_->setBehavior(platform::PopoverHost::Behavior::transient);
    isInitialized_ = true;
}

void IconChooseButton::showChooser()
{
    if (!isInitialized_)
        configurePopover();
    if (iconChoosePopover_ && iconChoosePopover_->contentViewController())
        iconChoosePopover_->showRelativeTo(this, rect(), platform::PopoverHost::below);
}

void IconChooseButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    event->accept();
    showChooser();
}

void IconChooseButton::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
}

void IconChooseButton::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!event->isAutoRepeat())
            showChooser();
        event->accept();
        return;
    default:
        QPushButton::keyPressEvent(event);
    }
}

void IconChooseButton::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space) {
        event->accept();
        return;
    }
    QPushButton::keyReleaseEvent(event);
}

} // namespace vantel
