#pragma once

#include "mainwindow/SourceListItem.h"

#include <QModelIndex>
#include <QTimer>
#include <QTreeView>

#include <chrono>

class QMimeData;

namespace vantel {

class MainOutlineView;

// Who selects the row that a drag springs open: the main view controller,
// through its sidebar.
class SpringLoadingOutlineViewDelegate {
public:
    virtual ~SpringLoadingOutlineViewDelegate() = default;
    virtual MainOutlineView* sectionView() const = 0;
};

// A tree view whose rows spring-load during a drag: while a drag that may
// spring-load rests on a candidate row for springLoadingDelay, the row is
// activated (selected by the delegate's sidebar), once per row entered.
// Entries dragged from the entry list (the private entry type) never
// spring-load; files and URLs from outside do.
class SpringLoadingOutlineView : public QTreeView {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds springLoadingDelay{600};

    explicit SpringLoadingOutlineView(QWidget* parent = nullptr);

    // The pasteboard type of an entry dragged out of the entry list: the
    // bundle identifier followed by ".mainTableViewItemPath".
    static QString privateEntryPathType();

    bool springLoadingActive() const { return springLoadingActive_; }
    // Not owned; the delegate outlives the view or clears itself.
    SpringLoadingOutlineViewDelegate* springLoadingOutlineViewDelegate() const { return delegate_; }
    void setSpringLoadingOutlineViewDelegate(SpringLoadingOutlineViewDelegate* delegate) { delegate_ = delegate; }
    // Whether a drag is counting down on a row.
    bool springLoadingPending() const { return springLoadingTimer_.isActive(); }

    // A drag entered: whether it may spring-load.
    virtual bool springLoadingEntered(const QMimeData* data);
    // The countdown ended (activated) or the drag left before.
    virtual void springLoadingActivated(bool activated, const QPoint& draggingLocation);
    virtual void springLoadingExited();
    // The sidebar item of the row under a point of the viewport; none off the rows.
    virtual SourceListItemPtr itemAtDraggingLocation(const QPoint& location) const = 0;

protected:
    // Whether the row at the index springs open while a drag rests on it.
    virtual bool isSpringLoadingCandidate(const QModelIndex& index) const = 0;

    // The subclass's drag handlers call these around their own work.
    void springLoadingDragEntered(const QMimeData* data);
    void springLoadingDragMoved(const QPoint& position);
    void springLoadingDragEnded();

private:
    void countdownEnded();

    bool springLoadingActive_ = false;
    SpringLoadingOutlineViewDelegate* delegate_ = nullptr;
    QTimer springLoadingTimer_;
    QPersistentModelIndex springLoadingRow_;
    QPoint draggingLocation_;
};

} // namespace vantel
