#include "popups/IconChooseButton.h"

#include "model/LocalizedStrings.h"
#include "platform/ui/PopoverHost.h"
#include "popups/IconChoosePopupViewController.h"

namespace vantel {

IconChooseButton::IconChooseButton(QWidget* parent)
    : PressActivatedButton(parent)
    , iconChoosePopover_(new platform::PopoverHost)
{
    iconChoosePopover_->setObjectName(QStringLiteral("iconChoosePopover"));
    if (accessibleName().isEmpty())
        setAccessibleName(localized("Choose Symbol"));
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

} // namespace vantel
