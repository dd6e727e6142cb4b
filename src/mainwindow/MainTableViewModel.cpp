#include "mainwindow/MainTableViewModel.h"

#include "mainwindow/DragAndDrop.h"

#include <QMimeData>

namespace vantel {

MainTableViewModel::MainTableViewModel(DataStorage& store, QObject* parent)
    : QAbstractListModel(parent), store_(store), shown_(store.currentData())
{
    rowCount_ = shown_ ? int(shown_->count()) : 0;
}

int MainTableViewModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : rowCount_;
}

QVariant MainTableViewModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)
        return {};
    const TableViewItemPtr entry = entryAt(index.row());
    return entry ? QVariant(entry->name()) : QVariant();
}

Qt::ItemFlags MainTableViewModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemNeverHasChildren;
}

QStringList MainTableViewModel::mimeTypes() const
{
    return {MainViewDragAndDrop::mainTableViewItemPathType()};
}

QMimeData* MainTableViewModel::mimeData(const QModelIndexList& indexes) const
{
    // One entry per drag: the list selects a single row.
    for (const QModelIndex& index : indexes) {
        if (index.row() < 0)
            continue;
        if (const TableViewItemPtr entry = entryAt(index.row()))
            return MainViewDragAndDrop::pasteboardWriter(entry->path());
    }
    return nullptr;
}

Qt::DropActions MainTableViewModel::supportedDragActions() const
{
    return Qt::CopyAction;
}

TableViewItemPtr ShownRows::entryAt(const EntryArray::Ptr& shown, int rowCount, int row)
{
    if (!shown || row < 0 || row >= rowCount)
        return nullptr;
    return shown->at(row).value_or(nullptr);
}

std::optional<int> ShownRows::rowOfEqualEntry(const EntryArray::Ptr& shown, int rowCount, const TableViewItem& entry)
{
    if (!shown)
        return std::nullopt;
    // Nearly always the same object: looked for by address first, which
    // costs next to nothing, and compared field by field only when it is gone.
    auto found = shown->firstIndex([&](const TableViewItemPtr& candidate) { return candidate.get() == &entry; });
    if (!found)
        found = shown->firstIndex([&](const TableViewItemPtr& candidate) {
            return candidate && candidate->isEqual(entry);
        });
    if (!found || *found >= rowCount)
        return std::nullopt;
    return int(*found);
}

std::optional<int> ShownRows::rowOfPath(const EntryArray::Ptr& shown, int rowCount, const QString& path)
{
    if (!shown || path.isEmpty())
        return std::nullopt;
    const auto found = shown->firstIndex([&](const TableViewItemPtr& candidate) {
        return candidate && candidate->path() == path;
    });
    if (!found || *found >= rowCount)
        return std::nullopt;
    return int(*found);
}

TableViewItemPtr MainTableViewModel::entryAt(int row) const
{
    return ShownRows::entryAt(shown_, rowCount_, row);
}

std::optional<int> MainTableViewModel::rowOfEqualEntry(const TableViewItem& entry) const
{
    return ShownRows::rowOfEqualEntry(shown_, rowCount_, entry);
}

std::optional<int> MainTableViewModel::rowOfPath(const QString& path) const
{
    return ShownRows::rowOfPath(shown_, rowCount_, path);
}

void MainTableViewModel::reload()
{
    beginResetModel();
    shown_ = store_.currentData();
    rowCount_ = shown_ ? int(shown_->count()) : 0;
    endResetModel();
}

void MainTableViewModel::refreshRows()
{
    const EntryArray::Ptr current = store_.currentData();
    if (current && current != shown_ && int(current->count()) == rowCount_)
        shown_ = current;
    if (rowCount_ > 0)
        emit dataChanged(index(0), index(rowCount_ - 1));
}

void MainTableViewModel::refreshRow(int row)
{
    if (row >= 0 && row < rowCount_)
        emit dataChanged(index(row), index(row));
}

} // namespace vantel
