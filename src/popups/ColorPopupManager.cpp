#include "popups/ColorPopupManager.h"

#include "platform/ui/PopoverHost.h"
#include "popups/ColorPopupViewController.h"

#include <QWidget>

namespace vantel {

ColorPopupManager& ColorPopupManager::shared()
{
    // Kept for the life of the process, like the popover it owns.
    static ColorPopupManager* const instance = new ColorPopupManager();
    return *instance;
}

ColorPopupManager::ColorPopupManager()
    : colorPopover_(new platform::PopoverHost)
{
    colorPopover_->setObjectName(QStringLiteral("colorPopover"));
}

ColorPopupManager::~ColorPopupManager()
{
    delete colorPopover_.data();
}

ColorPopupViewController* ColorPopupManager::popupViewController()
{
    if (!popupViewController_) {
        popupViewController_ = std::make_unique<ColorPopupViewController>();
        connect(popupViewController_.get(), &ColorPopupViewController::editingFinished, this,
                &ColorPopupManager::closePopover);
    }
    return popupViewController_.get();
}

void ColorPopupManager::showPopover(QWidget* anchorView, const TableViewItem::Ptr& entry,
                                    platform::PopoverHost::Edge preferredEdge)
{
    if (!anchorView || !colorPopover_)
        return;
    ColorPopupViewController* controller = popupViewController();
    if (colorPopover_->contentViewController() != controller)
        colorPopover_->setContentViewController(controller);
    colorPopover_->setBehavior(platform::PopoverHost::Behavior::transient);
    controller->setItem(entry);
    colorPopover_->showRelativeTo(anchorView, anchorView->rect(), preferredEdge);
}

void ColorPopupManager::closePopover()
{
    if (colorPopover_ && colorPopover_->isShown())
        colorPopover_->close();
}

} // namespace vantel
