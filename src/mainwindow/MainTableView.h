#pragma once

#include "mainwindow/DragAndDrop.h"
#include "mainwindow/MainTableViewFocus.h"
#include "mainwindow/TableViewCellMainWindow.h"
#include "platform/NotificationCenter.h"
#include "platform/ui/ScreenProvider.h"

#include <QListView>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>

namespace vantel {

class DataStorage;
class MainTableViewModel;

// The entry list of the main view: one row per entry of the store's main
// list (currentData), painted by TableViewCellMainWindow, 64 points high
// (50 in the small style). It refreshes only through four guarded
// operations, called on the store's notifications: reloadData (keeps the
// selected entry), redrawData, redrawSelected and refreshQuickLaunchNumber.
// A refresh is dropped, with a log line, while another one runs, while the
// list is not on screen or while the store is busy; it is not queued.
//
// It runs the selected entry for the keyboard (executeSelectedItem), asks for
// the entry popover on a right click or a Super-click (contextMenuRequested),
// drags an entry out under the private type (onto a sidebar tag), and takes
// files and URLs dropped in from outside: onto a row that takes them they
// open with that row's entry, elsewhere (or with Ctrl held, or from a
// copy-only source) they are added under the tag selected in the sidebar.
// Main thread only.
class MainTableView : public QListView {
    Q_OBJECT

public:
    enum class RefreshState { idle, reload, redraw };

    // With no store, the shared one.
    explicit MainTableView(QWidget* parent = nullptr);
    explicit MainTableView(DataStorage& store, QWidget* parent = nullptr);
    ~MainTableView() override;

    MainTableViewModel& tableModel() const { return *model_; }
    TableViewCellMainWindow& cell() const { return *cell_; }

    RowStyle rowStyle() const { return cell_->rowStyle(); }
    void setRowStyle(RowStyle style);
    RefreshState refreshState() const { return refreshState_; }
    // The row under the pointer at the last drag update; kept after the drag.
    std::optional<int> currentDraggingRow() const { return currentDraggingRow_; }

    // ---- The guarded refreshes ----
    void reloadData();
    void redrawData();
    void redrawSelected();
    // Pushes the held modifier keys into the rows; repaints only when one changed.
    void refreshQuickLaunchNumber(bool control, bool option, bool command, bool shift);

    // ---- What the store's notifications ask of the list ----
    // "currentDataChanged": reload, then the first row is selected.
    void currentDataHadChanged();
    // "currentDataNotChangedWithLastRequest": redraw.
    void currentDataWasNotChanged();
    // "tableViewItemChanged": the row that shows the path is repainted,
    // except for tag and visibility changes.
    void tableViewItemChanged(const QString& path, TableViewItemChangeReason reason);
    // Lets the list follow those notifications itself (and
    // "showPathInMainViewChanged") while it is on screen; off by default, for
    // the main view's controller calls the handlers while the view is shown.
    void setFollowsStoreNotifications(bool follow);

    // ---- Entries ----
    std::optional<int> selectedRow() const;
    void selectRow(int row);
    TableViewItemPtr selectedEntry() const;
    // Runs the selected entry with the files handed over; nothing while the
    // entry popover is shown or no row is selected.
    void executeSelectedItem(const std::optional<QVariantList>& files = std::nullopt);
    // The entry popover for the row at the position (viewport coordinates):
    // selects the row and emits contextMenuRequested, unless the row is a
    // tag entry or the popover is shown already.
    void showContextMenu(const QPoint& position);
    // The screen under the mouse pointer, none when no screen holds it.
    static std::optional<platform::ScreenInfo> screenWithMouse();

    // ---- What other parts of the main view answer ----
    void setEntryPopoverShownQuery(std::function<bool()> query) { popoverShown_ = std::move(query); }
    bool isEntryPopoverShown() const { return popoverShown_ && popoverShown_(); }
    // The tag selected in the sidebar; none while a category is selected.
    void setSelectedTagNameQuery(std::function<std::optional<QString>()> query) { selectedTag_ = std::move(query); }

signals:
    // The entry popover should open for the entry, at the left edge of the
    // row's rectangle (global coordinates).
    void contextMenuRequested(const vantel::TableViewItemPtr& entry, int row, const QRect& globalRowRect);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyboardSearch(const QString& search) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    enum class DropHighlight { none, wholeTable };
    enum class ListDrop { refused, ontoRow, addToCatalogue };

    // Which of the three a drag comes to, given the row under the pointer.
    ListDrop listDropFor(const QMimeData* data, Qt::DropActions possibleActions, Qt::KeyboardModifiers modifiers,
                         std::optional<int> row) const;
    bool guardRefresh(const char* notIdle, const char* notVisible, const char* storeBusy) const;
    void setDropHighlight(DropHighlight highlight);
    void followNotifications();

    DataStorage& store_;
    MainTableViewModel* model_;
    TableViewCellMainWindow* cell_;
    MainViewDragAndDrop dragAndDrop_;
    RefreshState refreshState_ = RefreshState::idle;
    std::optional<int> currentDraggingRow_;
    DropHighlight dropHighlight_ = DropHighlight::none;
    std::function<bool()> popoverShown_;
    std::function<std::optional<QString>()> selectedTag_;
    QMetaObject::Connection focusConnection_;
    platform::ObserverToken modifierFlagsObserver_;
    std::vector<platform::ObserverToken> storeObservers_;
};

} // namespace vantel
