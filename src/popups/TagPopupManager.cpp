#include "popups/TagPopupManager.h"
#include "popups/TransientPopover.h"

#include "popups/TagPopupViewController.h"

#include <QWidget>

namespace vantel {

TagPopupManager& TagPopupManager::shared()
{
    static TagPopupManager* const instance = new TagPopupManager();
    return *instance;
}

TagPopupManager::TagPopupManager(QObject* parent)
    : QObject(parent)
    , popover_(new platform::PopoverHost)
{
    popover_->setObjectName(QStringLiteral("sectionViewPopover"));
}

TagPopupManager::~TagPopupManager()
{
    if (popover_) {
        popover_->setDelegate(nullptr);
        if (popover_->isShown())
            popover_->close();
        popover_->setContentViewController(nullptr);
        delete popover_.data();
    }
}

TagPopupViewController* TagPopupManager::sectionViewPopupViewController()
{
    if (!controller_) {
        controller_ = std::make_unique<TagPopupViewController>();
        connect(controller_.get(), &TagPopupViewController::redrawSelectedRowsNeeded, this,
                &TagPopupManager::redrawSelectedRowsNeeded);
    }
    return controller_.get();
}

void TagPopupManager::configurePopover()
{
    if (!popover_)
        return;
    configureTransientPopover(*popover_, *sectionViewPopupViewController(), this);
}

void TagPopupManager::showPopover(QWidget* anchorView, const QRect& globalAnchorRect, const QString& tagName,
                                  const QString& displayName, std::optional<int> index)
{
    if (!popover_ || !anchorView)
        return;
    configurePopover();
    TagPopupViewController* controller = sectionViewPopupViewController();
    // A popover still shown for another row closes first, so the next
    // showing fills every control for the new tag.
    if (popover_->isShown())
        popover_->close();
    controller->setCurrentSourcelistItem(
        TagPopupViewController::SourceListItem{tagName, displayName.isEmpty() ? tagName : displayName});
    controller->setIndex(index);
    // Sized for the hidden grid before the popover is placed.
    controller->view();
    controller->showIconChooser(false);
    QRect inView = anchorView->rect();
    if (!globalAnchorRect.isEmpty())
        inView = QRect(anchorView->mapFromGlobal(globalAnchorRect.topLeft()), globalAnchorRect.size());
    popover_->showRelativeTo(anchorView, inView, platform::PopoverHost::left);
}

bool TagPopupManager::isShown() const
{
    return popover_ && popover_->isShown();
}

void TagPopupManager::close()
{
    if (isShown())
        popover_->close();
}

void TagPopupManager::popoverDidClose(platform::PopoverHost&)
{
    emit didClose();
}

} // namespace vantel
