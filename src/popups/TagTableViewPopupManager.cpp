#include "popups/TagTableViewPopupManager.h"
#include "popups/TransientPopover.h"

#include "popups/TagTableViewPopupViewController.h"

#include <QWidget>

namespace vantel {

TagTableViewPopupManager::TagTableViewPopupManager(QObject* parent)
    : QObject(parent)
    , popover_(new platform::PopoverHost)
{
    popover_->setObjectName(QStringLiteral("tagTableViewPopover"));
}

TagTableViewPopupManager::~TagTableViewPopupManager()
{
    if (popover_) {
        popover_->setDelegate(nullptr);
        popover_->setContentViewController(nullptr);
        delete popover_.data();
    }
}

TagTableViewPopupManagerDelegate* TagTableViewPopupManager::customDelegate() const
{
    return customDelegate_.get();
}

void TagTableViewPopupManager::setCustomDelegate(TagTableViewPopupManagerDelegate* delegate)
{
    customDelegate_.set(delegate);
}

TagTableViewPopupViewController* TagTableViewPopupManager::tagTableViewPopupViewController()
{
    if (!controller_)
        controller_ = std::make_unique<TagTableViewPopupViewController>();
    return controller_.get();
}

void TagTableViewPopupManager::configurePopover()
{
    if (!popover_)
        return;
    configureTransientPopover(*popover_, *tagTableViewPopupViewController(), this);
}

void TagTableViewPopupManager::toggle(QWidget* iconButton, const iconTagPtr& tag)
{
    if (!popover_ || !iconButton)
        return;
    if (popover_->isShown()) {
        popover_->close();
        return;
    }
    // It belongs to the window that shows it: a modal window (the tags window
    // opened from the data window) blocks every window but its own, and a
    // popover of no window would ignore clicks and Escape.
    if (QWidget* window = iconButton->window(); popover_->parentWidget() != window)
        popover_->setParent(window, popover_->windowFlags());
    configurePopover();
    tagTableViewPopupViewController()->setCurrentIconTag(tag);
    popover_->showRelativeTo(iconButton, iconButton->rect(), platform::PopoverHost::left);
}

void TagTableViewPopupManager::popoverDidClose(platform::PopoverHost&)
{
    if (TagTableViewPopupManagerDelegate* delegate = customDelegate())
        delegate->tagTableViewPopupDidClose();
}

} // namespace vantel
