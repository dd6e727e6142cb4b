#include "settings/ui/ConfigTableView.h"

#include <QDragEnterEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPainter>

#include <algorithm>

namespace vantel::settingsui {

ConfigTableView::ConfigTableView(QWidget* parent)
    : QTableView(parent)
{
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    setDropIndicatorShown(false);
}

ConfigRowIndexSet ConfigTableView::selectedRowIndexes() const
{
    ConfigRowIndexSet rows;
    if (!selectionModel())
        return rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void ConfigTableView::dragEnterEvent(QDragEnterEvent* event)
{
    const Qt::DropAction action = validateDrop ? validateDrop(event->mimeData()) : Qt::IgnoreAction;
    if (action == Qt::IgnoreAction) {
        event->ignore();
        return;
    }
    event->setDropAction(action);
    event->accept();
    dropHighlight_ = true;
    viewport()->update();
}

void ConfigTableView::dragMoveEvent(QDragMoveEvent* event)
{
    // Always the whole table, whatever row is under the pointer.
    const Qt::DropAction action = validateDrop ? validateDrop(event->mimeData()) : Qt::IgnoreAction;
    if (action == Qt::IgnoreAction) {
        event->ignore();
        return;
    }
    event->setDropAction(action);
    event->accept();
}

void ConfigTableView::dragLeaveEvent(QDragLeaveEvent* event)
{
    dropHighlight_ = false;
    viewport()->update();
    QTableView::dragLeaveEvent(event);
}

void ConfigTableView::dropEvent(QDropEvent* event)
{
    dropHighlight_ = false;
    viewport()->update();
    const bool validated = validateDrop && validateDrop(event->mimeData()) != Qt::IgnoreAction;
    if (validated && acceptDrop && acceptDrop(event->mimeData())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void ConfigTableView::paintEvent(QPaintEvent* event)
{
    QTableView::paintEvent(event);
    if (!dropHighlight_)
        return;
    QPainter painter(viewport());
    QPen pen(palette().color(QPalette::Highlight), 3);
    painter.setPen(pen);
    painter.drawRect(viewport()->rect().adjusted(1, 1, -2, -2));
}

} // namespace vantel::settingsui
