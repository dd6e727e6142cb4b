#include "mainwindow/MainViewDraggingDestination.h"

#include "mainwindow/DragAndDrop.h"
#include "model/view/ViewUtilities.h"

#include <QDragEnterEvent>
#include <QMimeData>

namespace vantel {

MainViewDraggingDestination::MainViewDraggingDestination(QWidget* parent) : QWidget(parent)
{
    setAcceptDrops(true);
}

void MainViewDraggingDestination::dragEnterEvent(QDragEnterEvent* event)
{
    // Always copy: the files are only handed on.
    if (event->possibleActions().testFlag(Qt::CopyAction)) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void MainViewDraggingDestination::dragMoveEvent(QDragMoveEvent* event)
{
    if (event->possibleActions().testFlag(Qt::CopyAction)) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void MainViewDraggingDestination::dropEvent(QDropEvent* event)
{
    const QMimeData* data = event->mimeData();
    bool taken = false;
    if (data && !data->formats().isEmpty() && acceptsDraggedFiles({fileURLDragType}, data)) {
        if (const auto files = MainViewDragAndDrop::draggedFileURLs(data)) {
            QStringList paths;
            for (const QUrl& url : *files)
                paths.append(url.toLocalFile());
            taken = !paths.isEmpty() && openFiles_ && openFiles_(paths);
        }
    }
    if (taken) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

} // namespace vantel
