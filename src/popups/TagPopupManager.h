#pragma once

#include "platform/ui/PopoverHost.h"

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>

#include <memory>
#include <optional>

class QWidget;

namespace vantel {

class TagPopupViewController;

// The sidebar's tag popover: one transient popover and one content
// controller (made at the first use and kept), shown beside a tag's row for
// that tag. The sidebar connects redrawSelectedRowsNeeded to redraw its
// selected rows after a colour or symbol change. Main thread only.
class TagPopupManager : public QObject, public platform::PopoverHostDelegate {
    Q_OBJECT
public:
    // The one the sidebar uses, kept for the life of the process.
    static TagPopupManager& shared();

    explicit TagPopupManager(QObject* parent = nullptr);
    ~TagPopupManager() override;

    platform::PopoverHost* sectionViewPopover() const { return popover_; }
    TagPopupViewController* sectionViewPopupViewController();

    // Gives the popover its content, no animation and the transient
    // behaviour; showPopover does it too.
    void configurePopover();

    // Shows the popover at the left of `globalAnchorRect` (the row's
    // rectangle in global coordinates; an empty one stands for the whole
    // anchor view) for the tag named `tagName`. `displayName` is what the
    // row shows (the tag name when empty), `index` the row. An already
    // shown popover moves there and shows the new tag.
    void showPopover(QWidget* anchorView, const QRect& globalAnchorRect, const QString& tagName,
                     const QString& displayName = QString(), std::optional<int> index = std::nullopt);

    bool isShown() const;
    void close();

    void popoverDidClose(platform::PopoverHost& popover) override;

signals:
    // A colour or symbol changed: the sidebar redraws its selected rows.
    void redrawSelectedRowsNeeded();
    void didClose();

private:
    QPointer<platform::PopoverHost> popover_;
    std::unique_ptr<TagPopupViewController> controller_;
};

} // namespace vantel
