#include "mainwindow/MainTableView.h"

#include "datastore/DataStorage.h"
#include "mainwindow/MainTableViewModel.h"
#include "model/LocalizedStrings.h"
#include "model/Logger.h"
#include "model/TableViewItemChangedNotifyObject.h"
#include "platform/Log.h"
#include "platform/MainQueue.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QDrag>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace vantel {

namespace {

const platform::LogCategory& category()
{
    return Logger::mainTableView();
}

// Notifications arrive on the posting thread; the list is touched on the
// main thread only, and not at all once it is gone.
void onMainThread(MainTableView* view, std::function<void(MainTableView&)> body)
{
    if (platform::MainQueue::isMainThread()) {
        body(*view);
        return;
    }
    platform::MainQueue::async([guard = QPointer<MainTableView>(view), body = std::move(body)] {
        if (guard)
            body(*guard);
    });
}

} // namespace

MainTableView::MainTableView(QWidget* parent) : MainTableView(DataStorage::shared(), parent)
{
}

MainTableView::MainTableView(DataStorage& store, QWidget* parent)
    : QListView(parent),
      store_(store),
      model_(new MainTableViewModel(store, this)),
      cell_(new TableViewCellMainWindow(store, this)),
      dragAndDrop_(store)
{
    setModel(model_);
    setItemDelegate(cell_);
    // Every row has the same height: a reset or a scroll never asks each row.
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTextElideMode(Qt::ElideRight);
    setMouseTracking(false);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(false);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::CopyAction);
    setAccessibleName(localized("Entries"));

    modifierFlagsObserver_ = platform::NotificationCenter::defaultCenter().addObserver(
        QStringLiteral("modifierFlagsChanged"), [this](const platform::Notification& notification) {
            // Any other object is ignored.
            if (const auto* flags = std::any_cast<CurrentModifierFlags>(&notification.object))
                onMainThread(this, [keys = *flags](MainTableView& view) {
                    view.refreshQuickLaunchNumber(keys.controlKey, keys.optionKey, keys.commandKey, keys.shiftKey);
                });
        });
    // The selected row is drawn by where the focus is.
    focusConnection_ = connect(qApp, &QApplication::focusChanged, this, [this] {
        if (isVisible())
            viewport()->update();
    });
}

MainTableView::~MainTableView()
{
    // A widget gives up its focus while the base class destroys it, after
    // this part of the object is gone.
    disconnect(focusConnection_);
}

void MainTableView::setRowStyle(RowStyle style)
{
    if (cell_->rowStyle() == style)
        return;
    cell_->setRowStyle(style);
    // The uniform row height is measured again only after a reset.
    const auto entry = selectedEntry();
    model_->reload();
    if (entry)
        if (const auto row = model_->rowOfEqualEntry(*entry))
            selectRow(*row);
}

// ---- Guarded refreshes ----

bool MainTableView::guardRefresh(const char* notIdle, const char* notVisible, const char* storeBusy) const
{
    if (refreshState_ != RefreshState::idle) {
        VLOG(category(), platform::LogType::Fault, "%{public}@", QString::fromLatin1(notIdle));
        return false;
    }
    if (!isVisible()) {
        VLOG(category(), platform::LogType::Fault, "%{public}@", QString::fromLatin1(notVisible));
        return false;
    }
    if (store_.state() != DatastorageState::idle) {
        VLOG(category(), platform::LogType::Fault, "%{public}@", QString::fromLatin1(storeBusy));
        return false;
    }
    return true;
}

void MainTableView::reloadData()
{
    if (!guardRefresh("reloadData cancelled -> TableView was not idle",
                      "reloadData cancelled -> TableView was not visible",
                      "refreshAllItems failed -> DataStorage was not idle!"))
        return;
    refreshState_ = RefreshState::reload;
    // The entry the user sees selected, taken from the list shown until now.
    const std::optional<int> previousRow = selectedRow();
    const TableViewItemPtr remembered = previousRow ? model_->entryAt(*previousRow) : nullptr;
    model_->reload();
    const int count = model_->rowCount();
    std::optional<int> row;
    if (remembered)
        row = model_->rowOfEqualEntry(*remembered);
    // The list never stays without a selection while it has rows.
    if (!row && count > 0)
        row = std::clamp(previousRow.value_or(0), 0, count - 1);
    if (row)
        selectRow(*row);
    refreshState_ = RefreshState::idle;
}

void MainTableView::redrawData()
{
    if (!guardRefresh("redrawData cancelled -> TableView was not idle",
                      "redrawData cancelled -> TableView was not visible",
                      "redrawData failed -> DataStorage was not idle!"))
        return;
    refreshState_ = RefreshState::redraw;
    model_->refreshRows();
    viewport()->update();
    refreshState_ = RefreshState::idle;
}

void MainTableView::redrawSelected()
{
    VLOG(category(), platform::LogType::Default, "-> redrawSelected");
    if (!guardRefresh("redrawSelected cancelled -> TableView was not idle",
                      "redrawSelected cancelled -> TableView was not visible",
                      "redrawSelected failed -> DataStorage was not idle!"))
        return;
    if (model_->rowCount() == 0)
        return;
    refreshState_ = RefreshState::redraw;
    if (const auto row = selectedRow())
        model_->refreshRow(*row);
    viewport()->repaint();
    VLOG(category(), platform::LogType::Default, "<- redrawSelected");
    refreshState_ = RefreshState::idle;
}

void MainTableView::refreshQuickLaunchNumber(bool control, bool option, bool command, bool shift)
{
    if (!isVisible()) {
        VLOG(category(), platform::LogType::Fault, "refreshQuickLaunchNumber cancelled -> TableView was not visible");
        return;
    }
    if (cell_->setModifierKeys(control, option, command, shift))
        viewport()->update();
}

// ---- Store notifications ----

void MainTableView::currentDataHadChanged()
{
    reloadData();
    if (model_->rowCount() > 0)
        selectRow(0);
}

void MainTableView::currentDataWasNotChanged()
{
    redrawData();
}

void MainTableView::tableViewItemChanged(const QString& path, TableViewItemChangeReason reason)
{
    if (path.isEmpty() || reason == TableViewItemChangeReason::tagChanged
        || reason == TableViewItemChangeReason::visibilityChanged)
        return;
    if (const auto row = model_->rowOfPath(path))
        model_->refreshRow(*row);
}

void MainTableView::setFollowsStoreNotifications(bool follow)
{
    storeObservers_.clear();
    if (follow)
        followNotifications();
}

void MainTableView::followNotifications()
{
    auto& center = platform::NotificationCenter::defaultCenter();
    // Changes that arrive while the list is off screen are dropped: the next
    // reload, when it appears, shows them.
    storeObservers_.push_back(center.addObserver(
        QStringLiteral("currentDataChanged"),
        [this](const platform::Notification&) {
            onMainThread(this, [](MainTableView& view) {
                if (view.isVisible())
                    view.currentDataHadChanged();
            });
        },
        &store_));
    storeObservers_.push_back(center.addObserver(
        QStringLiteral("currentDataNotChangedWithLastRequest"),
        [this](const platform::Notification&) {
            onMainThread(this, [](MainTableView& view) {
                if (view.isVisible())
                    view.currentDataWasNotChanged();
            });
        },
        &store_));
    storeObservers_.push_back(center.addObserver(
        QStringLiteral("tableViewItemChanged"), [this](const platform::Notification& notification) {
            const auto* object = std::any_cast<TableViewItemChangedNotifyObject>(&notification.object);
            if (!object || !object->reason)
                return;
            onMainThread(this, [path = object->path, reason = *object->reason](MainTableView& view) {
                if (view.isVisible())
                    view.tableViewItemChanged(path, reason);
            });
        }));
    storeObservers_.push_back(center.addObserver(QStringLiteral("showPathInMainViewChanged"),
                                                 [this](const platform::Notification&) {
                                                     onMainThread(this, [](MainTableView& view) {
                                                         if (view.isVisible())
                                                             view.viewport()->update();
                                                     });
                                                 }));
}

// ---- Entries ----

std::optional<int> MainTableView::selectedRow() const
{
    const QModelIndexList rows = selectionModel() ? selectionModel()->selectedRows() : QModelIndexList();
    if (rows.isEmpty())
        return std::nullopt;
    return rows.first().row();
}

void MainTableView::selectRow(int row)
{
    const QModelIndex index = model_->index(row);
    if (!index.isValid())
        return;
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

TableViewItemPtr MainTableView::selectedEntry() const
{
    const auto row = selectedRow();
    return row ? model_->entryAt(*row) : nullptr;
}

void MainTableView::executeSelectedItem(const std::optional<QVariantList>& files)
{
    if (!selectedRow() || isEntryPopoverShown())
        return;
    if (const TableViewItemPtr entry = selectedEntry())
        entry->execute(files);
}

void MainTableView::showContextMenu(const QPoint& position)
{
    const QModelIndex index = indexAt(position);
    if (!index.isValid())
        return;
    const TableViewItemPtr entry = model_->entryAt(index.row());
    if (!entry || entry->itemType() == ListviewItemType::tag)
        return;
    VLOG(Logger::mainViewController(), platform::LogType::Default, "Show context-menu for: %{public}@", entry->path());
    if (selectedRow() != index.row())
        selectRow(index.row());
    if (isEntryPopoverShown())
        return;
    setFocus(Qt::PopupFocusReason);
    const QRect rect = visualRect(index);
    emit contextMenuRequested(entry, index.row(), QRect(viewport()->mapToGlobal(rect.topLeft()), rect.size()));
}

std::optional<platform::ScreenInfo> MainTableView::screenWithMouse()
{
    return platform::ScreenProvider::shared().screenWithMouse();
}

// ---- Mouse ----

void MainTableView::mousePressEvent(QMouseEvent* event)
{
    // Super is the desktop's Control key: Super-click is a right click.
    if (event->button() == Qt::RightButton
        || (event->button() == Qt::LeftButton && event->modifiers().testFlag(Qt::MetaModifier))) {
        showContextMenu(event->position().toPoint());
        event->accept();
        return;
    }
    // A click below the last row keeps the selection: the list is never
    // left without one.
    if (!indexAt(event->position().toPoint()).isValid()) {
        setFocus(Qt::MouseFocusReason);
        event->accept();
        return;
    }
    QListView::mousePressEvent(event);
}

void MainTableView::contextMenuEvent(QContextMenuEvent* event)
{
    // The mouse press has opened the popover already.
    event->accept();
}

void MainTableView::keyboardSearch(const QString&)
{
    // Typed letters go to the search field (the main view's keyboard handling).
}

// ---- Dragging an entry out ----

void MainTableView::startDrag(Qt::DropActions)
{
    const auto row = selectedRow();
    if (!row)
        return;
    const QModelIndex index = model_->index(*row);
    QMimeData* data = model_->mimeData({index});
    if (!data)
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    const QPixmap image = cell_->rowImage(option, index);
    drag->setPixmap(image);
    const QPoint pointer = viewport()->mapFromGlobal(QCursor::pos());
    drag->setHotSpot(QPoint(std::clamp(pointer.x() - option.rect.left(), 0, option.rect.width()),
                            std::clamp(pointer.y() - option.rect.top(), 0, option.rect.height())));
    // Copy only: a tag drop files the entry, nothing is ever moved.
    drag->exec(Qt::CopyAction, Qt::CopyAction);
}

// ---- Drops from outside ----

MainTableView::ListDrop MainTableView::listDropFor(const QMimeData* data, Qt::DropActions possibleActions,
                                                   Qt::KeyboardModifiers modifiers, std::optional<int> row) const
{
    if (!data || data->formats().isEmpty())
        return ListDrop::refused;
    const auto files = MainViewDragAndDrop::draggedFileURLs(data);
    const auto urls = MainViewDragAndDrop::draggedURLs(data);
    if (!files && !urls)
        return ListDrop::refused;
    const bool copyOnly = MainViewDragAndDrop::isCopyOnly(possibleActions, modifiers);
    if (row && !copyOnly && MainViewDragAndDrop::rowAcceptsDrop(model_->entryAt(*row)))
        return ListDrop::ontoRow;
    const bool tagSelected = selectedTag_ && selectedTag_().has_value();
    if (!tagSelected)
        return ListDrop::refused;
    // Too many files are refused; a web URL among them is still taken.
    if ((files && files->size() <= MainViewDragAndDrop::maximumFilesOntoList) || urls)
        return ListDrop::addToCatalogue;
    return ListDrop::refused;
}

void MainTableView::setDropHighlight(DropHighlight highlight)
{
    if (dropHighlight_ == highlight)
        return;
    dropHighlight_ = highlight;
    viewport()->update();
}

namespace {

// Opening or adding only reads the dropped items: the answer is never a move,
// which would let a file manager delete its files after the drop.
Qt::DropAction readingAction(Qt::DropActions possible)
{
    if (possible.testFlag(Qt::CopyAction))
        return Qt::CopyAction;
    if (possible.testFlag(Qt::LinkAction))
        return Qt::LinkAction;
    return Qt::IgnoreAction;
}

} // namespace

void MainTableView::dragEnterEvent(QDragEnterEvent* event)
{
    setFocus(Qt::OtherFocusReason);
    setDropHighlight(DropHighlight::none);
    const QMimeData* data = event->mimeData();
    const bool offered = data && (MainViewDragAndDrop::draggedFileURLs(data) || MainViewDragAndDrop::draggedURLs(data));
    if (offered && readingAction(event->possibleActions()) != Qt::IgnoreAction) {
        setState(DraggingState);
        event->setDropAction(readingAction(event->possibleActions()));
        event->accept();
    } else {
        event->ignore();
    }
}

void MainTableView::dragMoveEvent(QDragMoveEvent* event)
{
    // Near the top or bottom edge the list scrolls, so any row can be reached.
    const QPoint at = event->position().toPoint();
    if (hasAutoScroll() && (at.y() < autoScrollMargin() || at.y() > viewport()->height() - autoScrollMargin()))
        startAutoScroll();
    const QModelIndex index = indexAt(at);
    currentDraggingRow_ = index.isValid() ? std::optional<int>(index.row()) : std::nullopt;
    const ListDrop drop = listDropFor(event->mimeData(), event->possibleActions(), event->modifiers(),
                                      currentDraggingRow_);
    const Qt::DropAction action = readingAction(event->possibleActions());
    if (drop == ListDrop::refused || action == Qt::IgnoreAction) {
        setDropHighlight(DropHighlight::none);
        event->ignore();
        return;
    }
    if (drop == ListDrop::ontoRow) {
        setDropHighlight(DropHighlight::none);
        if (selectedRow() != *currentDraggingRow_)
            selectRow(*currentDraggingRow_);
    } else {
        setDropHighlight(DropHighlight::wholeTable);
    }
    event->setDropAction(action);
    event->accept();
}

void MainTableView::dragLeaveEvent(QDragLeaveEvent* event)
{
    stopAutoScroll();
    setState(NoState);
    setDropHighlight(DropHighlight::none);
    event->accept();
}

void MainTableView::dropEvent(QDropEvent* event)
{
    stopAutoScroll();
    setState(NoState);
    setDropHighlight(DropHighlight::none);
    const QMimeData* data = event->mimeData();
    const QModelIndex index = indexAt(event->position().toPoint());
    const std::optional<int> row = index.isValid() ? std::optional<int>(index.row()) : std::nullopt;
    const ListDrop drop = listDropFor(data, event->possibleActions(), event->modifiers(), row);
    const Qt::DropAction action = readingAction(event->possibleActions());
    bool taken = false;
    if (drop == ListDrop::addToCatalogue) {
        const std::optional<QString> tag = selectedTag_ ? selectedTag_() : std::nullopt;
        const auto files = MainViewDragAndDrop::draggedFileURLs(data);
        const auto urls = MainViewDragAndDrop::draggedURLs(data);
        if (tag && files && files->size() <= MainViewDragAndDrop::maximumFilesOntoList)
            taken = dragAndDrop_.addFiles(*files, *tag);
        else if (tag && urls)
            taken = dragAndDrop_.addFirstURL(*urls, *tag);
    } else if (drop == ListDrop::ontoRow) {
        selectRow(*row);
        QVariantList values;
        if (const auto files = MainViewDragAndDrop::draggedFileURLs(data)) {
            for (const QUrl& url : *files)
                values.append(url.toLocalFile());
        } else if (const auto urls = MainViewDragAndDrop::draggedURLs(data)) {
            for (const QUrl& url : *urls)
                values.append(url.toString(QUrl::FullyEncoded));
        }
        if (!values.isEmpty() && !isEntryPopoverShown())
            if (const TableViewItemPtr entry = selectedEntry())
                entry->execute(values);
        taken = true;
    }
    if (taken && action != Qt::IgnoreAction) {
        event->setDropAction(action);
        event->accept();
    } else {
        event->ignore();
    }
}

void MainTableView::paintEvent(QPaintEvent* event)
{
    QListView::paintEvent(event);
    if (dropHighlight_ != DropHighlight::wholeTable)
        return;
    QPainter painter(viewport());
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(palette().color(QPalette::Highlight), 2);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(viewport()->rect()).adjusted(2, 2, -2, -2), 6, 6);
}

} // namespace vantel
