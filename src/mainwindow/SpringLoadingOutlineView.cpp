#include "mainwindow/SpringLoadingOutlineView.h"

#include "mainwindow/MainOutlineView.h"
#include "platform/Bundle.h"

#include <QMimeData>

namespace vantel {

SpringLoadingOutlineView::SpringLoadingOutlineView(QWidget* parent)
    : QTreeView(parent)
{
    springLoadingTimer_.setSingleShot(true);
    springLoadingTimer_.setInterval(springLoadingDelay);
    connect(&springLoadingTimer_, &QTimer::timeout, this, &SpringLoadingOutlineView::countdownEnded);
}

QString SpringLoadingOutlineView::privateEntryPathType()
{
    return platform::Bundle::main().bundleIdentifier() + QStringLiteral(".mainTableViewItemPath");
}

bool SpringLoadingOutlineView::springLoadingEntered(const QMimeData* data)
{
    springLoadingActive_ = data && !data->hasFormat(privateEntryPathType());
    return springLoadingActive_;
}

void SpringLoadingOutlineView::springLoadingActivated(bool activated, const QPoint& draggingLocation)
{
    if (!activated || !delegate_)
        return;
    MainOutlineView* sidebar = delegate_->sectionView();
    if (!sidebar)
        return;
    if (const SourceListItemPtr item = itemAtDraggingLocation(draggingLocation))
        sidebar->selectByItem(item);
}

void SpringLoadingOutlineView::springLoadingExited()
{
    springLoadingActive_ = false;
}

void SpringLoadingOutlineView::springLoadingDragEntered(const QMimeData* data)
{
    springLoadingRow_ = QPersistentModelIndex();
    springLoadingTimer_.stop();
    springLoadingEntered(data);
}

void SpringLoadingOutlineView::springLoadingDragMoved(const QPoint& position)
{
    draggingLocation_ = position;
    const QModelIndex index = indexAt(position);
    if (!springLoadingActive_ || !isSpringLoadingCandidate(index)) {
        springLoadingTimer_.stop();
        springLoadingRow_ = QPersistentModelIndex();
        return;
    }
    // Moving within the row keeps the countdown; a new row starts it again.
    if (springLoadingRow_ == index)
        return;
    springLoadingRow_ = index;
    springLoadingTimer_.start();
}

void SpringLoadingOutlineView::springLoadingDragEnded()
{
    springLoadingTimer_.stop();
    springLoadingRow_ = QPersistentModelIndex();
    springLoadingExited();
}

void SpringLoadingOutlineView::countdownEnded()
{
    springLoadingActivated(true, draggingLocation_);
}

} // namespace vantel
