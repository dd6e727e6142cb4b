#pragma once

#include "datastore/DataStorage.h"

#include <QAbstractListModel>

#include <optional>

namespace vantel {

// Rows of a list over a store snapshot of which the first rowCount are
// shown; the entry lists of the main and the data window look up alike.
namespace ShownRows {
TableViewItemPtr entryAt(const EntryArray::Ptr& shown, int rowCount, int row);
std::optional<int> rowOfEqualEntry(const EntryArray::Ptr& shown, int rowCount, const TableViewItem& entry);
std::optional<int> rowOfPath(const EntryArray::Ptr& shown, int rowCount, const QString& path);
} // namespace ShownRows

// The rows of the entry list: the data store's main list (currentData), one
// row per entry in the store's order. The model keeps no entries of its own,
// only the list object it last showed: the store swaps in a new list on every
// filter run, and the rows change only when the list reloads (reload), so the
// row count a view knows always matches what is painted. A reset costs the
// same for ten or ten thousand entries; entries are read when a row is
// painted. Main thread only.
class MainTableViewModel : public QAbstractListModel {
    Q_OBJECT

public:
    explicit MainTableViewModel(DataStorage& store, QObject* parent = nullptr);

    DataStorage& store() const { return store_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override;

    // The entry shown at the row; none outside the list (also when the list
    // was emptied in place since the last reload).
    TableViewItemPtr entryAt(int row) const;
    // The first row whose entry equals the given one (TableViewItem::isEqual).
    std::optional<int> rowOfEqualEntry(const TableViewItem& entry) const;
    // The first row whose entry has the path (case-insensitive).
    std::optional<int> rowOfPath(const QString& path) const;

    // Takes the store's current list: a model reset.
    void reload();
    // Takes the store's current list when it holds as many entries as the
    // one shown (the store posted "not changed", yet may have sorted anew) and
    // announces every row as changed; a list of another length waits for the
    // next reload.
    void refreshRows();
    // Announces one row as changed.
    void refreshRow(int row);

private:
    DataStorage& store_;
    EntryArray::Ptr shown_;
    int rowCount_ = 0;
};

} // namespace vantel
