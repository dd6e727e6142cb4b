#pragma once

#include "datastore/DataStorage.h"

#include <QAbstractTableModel>

#include <optional>

namespace vantel::settingsui {

// The rows of the data window's entry list: the store's configuration list
// (currentDataConfig), row i its element i, in four columns (entry, tags,
// hotkey, comment). The model keeps no entries, only the list object it last
// showed: the store swaps in a new list on every filter run and the rows
// change only on reload(), so the row count a view knows matches what it
// paints. Main thread only.
class ConfigTableViewModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { columnEntry, columnTags, columnHotkey, columnComment, numberOfColumns };
    // The interface file's column identifiers and sort keys, by column.
    static QString columnIdentifier(int column);
    static QString sortKey(int column);

    explicit ConfigTableViewModel(DataStorage& store, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The entry at the row; none outside the list (also when the list was
    // emptied in place since the last reload).
    TableViewItemPtr entryAt(int row) const;
    // The first row whose entry equals the given one (TableViewItem::isEqual).
    std::optional<int> rowOfEqualEntry(const TableViewItem& entry) const;
    // The first row whose entry has the path.
    std::optional<int> rowOfPath(const QString& path) const;
    // The rows that hold the given entries, or an equal entry at the same
    // path, ascending; each entry found once. One walk of the list however
    // many entries are given.
    QList<int> rowsOfEqualEntries(const QList<TableViewItemPtr>& entries) const;
    // Rows read by rowsOfEqualEntries so far: what keeping a selection costs.
    qsizetype rowsReadForEqualEntries() const { return rowsReadForEqualEntries_; }

    // Takes the store's current list: a model reset.
    void reload();
    // Announces every column of one row as changed.
    void refreshRow(int row);

private:
    DataStorage& store_;
    EntryArray::Ptr shown_;
    int rowCount_ = 0;
    mutable qsizetype rowsReadForEqualEntries_ = 0;
};

} // namespace vantel::settingsui
