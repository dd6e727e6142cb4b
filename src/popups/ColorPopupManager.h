#pragma once

#include "model/TableViewItem.h"
#include "platform/ui/PopoverHost.h"

#include <QObject>
#include <QPointer>

#include <memory>

class QWidget;

namespace vantel {

class ColorPopupViewController;

// Shows the colour popover of the settings' entry list: one popover and
// one content controller for the whole process, bound to one entry per
// showing. A choice in it closes it; a press outside closes it too, and the
// entry then keeps its colour. Main thread only.
class ColorPopupManager : public QObject {
    Q_OBJECT
public:
    static ColorPopupManager& shared();

    platform::PopoverHost* colorPopover() const { return colorPopover_; }
    // Made at the first showing and kept.
    ColorPopupViewController* popupViewController();

    // Shows the popover on the preferred edge of the anchor (flipped when
    // there is no room), bound to `entry`.
    void showPopover(QWidget* anchorView, const TableViewItem::Ptr& entry,
                     platform::PopoverHost::Edge preferredEdge = platform::PopoverHost::left);
    void closePopover();

private:
    ColorPopupManager();
    ~ColorPopupManager() override;

    QPointer<platform::PopoverHost> colorPopover_;
    std::unique_ptr<ColorPopupViewController> popupViewController_;
};

} // namespace vantel
