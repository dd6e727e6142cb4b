#pragma once

#include "model/iconTag.h"
#include "platform/ui/PopoverHost.h"
#include "platform/ui/WeakDelegate.h"

#include <QObject>
#include <QPointer>

#include <memory>

class QWidget;

namespace vantel {

class TagTableViewPopupViewController;

// Told when the tag popover of a tags-pane row has closed (the row then
// redraws its symbol button in the tag's new symbol and colour).
class TagTableViewPopupManagerDelegate {
public:
    virtual ~TagTableViewPopupManagerDelegate() = default;
    virtual void tagTableViewPopupDidClose() = 0;
};

// The popover of one row of the tags pane: it makes the popover and its
// content controller (at the first use, kept while the row lives) and tells
// its delegate when the popover has closed. Once shown, the popover is a
// child of the window that shows it, so that it answers while that window
// runs modally; it goes with that window or with the manager. Main thread only.
class TagTableViewPopupManager : public QObject, public platform::PopoverHostDelegate {
    Q_OBJECT
public:
    explicit TagTableViewPopupManager(QObject* parent = nullptr);
    ~TagTableViewPopupManager() override;

    // Not kept alive by the manager: a delegate that is a QObject is
    // forgotten when destroyed, any other must be cleared by its owner.
    TagTableViewPopupManagerDelegate* customDelegate() const;
    void setCustomDelegate(TagTableViewPopupManagerDelegate* delegate);

    platform::PopoverHost* popover() const { return popover_; }
    TagTableViewPopupViewController* tagTableViewPopupViewController();

    // Gives the popover its content and its transient behaviour.
    void configurePopover();

    // What the row's symbol button does: closes the popover when it is
    // shown, otherwise shows it for `tag` at the left of the button.
    void toggle(QWidget* iconButton, const iconTagPtr& tag);

    void popoverDidClose(platform::PopoverHost& popover) override;

private:
    QPointer<platform::PopoverHost> popover_;
    std::unique_ptr<TagTableViewPopupViewController> controller_;
    platform::WeakDelegate<TagTableViewPopupManagerDelegate> customDelegate_;
};

} // namespace vantel
