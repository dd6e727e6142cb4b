#include "settings/ui/ConfigTableViewModel.h"

#include "hotkeys/KeyCombo.h"
#include "mainwindow/MainTableViewModel.h"
#include "model/LocalizedStrings.h"

#include <QHash>
#include <QSet>

namespace vantel::settingsui {

QString ConfigTableViewModel::columnIdentifier(int column)
{
    switch (column) {
    case columnEntry: return QStringLiteral("column_Entry");
    case columnTags: return QStringLiteral("column_Tags");
    case columnHotkey: return QStringLiteral("column_Hotkey");
    case columnComment: return QStringLiteral("column_Comment");
    default: return QString();
    }
}

QString ConfigTableViewModel::sortKey(int column)
{
    switch (column) {
    case columnEntry: return QStringLiteral("application");
    case columnTags: return QStringLiteral("tags");
    case columnHotkey: return QStringLiteral("hotkey");
    case columnComment: return QStringLiteral("comment");
    default: return QString();
    }
}

ConfigTableViewModel::ConfigTableViewModel(DataStorage& store, QObject* parent)
    : QAbstractTableModel(parent), store_(store), shown_(store.currentDataConfig())
{
    rowCount_ = shown_ ? int(shown_->count()) : 0;
}

int ConfigTableViewModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : rowCount_;
}

int ConfigTableViewModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(numberOfColumns);
}

QVariant ConfigTableViewModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole && role != Qt::ToolTipRole)
        return {};
    const TableViewItemPtr entry = entryAt(index.row());
    if (!entry)
        return {};
    switch (index.column()) {
    case columnEntry: return role == Qt::ToolTipRole ? entry->path() : entry->name();
    case columnTags: return entry->tags().join(QStringLiteral(", "));
    case columnHotkey: {
        const auto hotkey = entry->hotkey();
        return hotkey ? hotkey->displayString() : QString();
    }
    case columnComment: return entry->comment();
    default: return {};
    }
}

QVariant ConfigTableViewModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case columnEntry: return localized("Entry");
    case columnTags: return localized("Tags");
    case columnHotkey: return localized("Hotkey");
    case columnComment: return localized("Comment");
    default: return {};
    }
}

Qt::ItemFlags ConfigTableViewModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() != columnEntry)
        flags |= Qt::ItemIsEditable;
    return flags;
}

TableViewItemPtr ConfigTableViewModel::entryAt(int row) const
{
    return ShownRows::entryAt(shown_, rowCount_, row);
}

std::optional<int> ConfigTableViewModel::rowOfEqualEntry(const TableViewItem& entry) const
{
    return ShownRows::rowOfEqualEntry(shown_, rowCount_, entry);
}

std::optional<int> ConfigTableViewModel::rowOfPath(const QString& path) const
{
    return ShownRows::rowOfPath(shown_, rowCount_, path);
}

QList<int> ConfigTableViewModel::rowsOfEqualEntries(const QList<TableViewItemPtr>& entries) const
{
    QList<int> rows;
    if (!shown_ || entries.isEmpty())
        return rows;
    // Nearly always the same objects; else an equal entry at the same path.
    QSet<const TableViewItem*> unfound;
    QHash<QString, const TableViewItem*> byPath;
    for (const TableViewItemPtr& entry : entries) {
        if (!entry)
            continue;
        unfound.insert(entry.get());
        byPath.insert(entry->path(), entry.get());
    }
    int row = 0;
    shown_->forEach([&](const TableViewItemPtr& candidate) {
        if (row >= rowCount_ || unfound.isEmpty() || !candidate) {
            ++row;
            return;
        }
        ++rowsReadForEqualEntries_;
        const TableViewItem* found = nullptr;
        if (unfound.contains(candidate.get()))
            found = candidate.get();
        else if (const TableViewItem* wanted = byPath.value(candidate->path()))
            found = unfound.contains(wanted) && candidate->isEqual(*wanted) ? wanted : nullptr;
        if (found) {
            unfound.remove(found);
            rows.append(row);
        }
        ++row;
    });
    return rows;
}

void ConfigTableViewModel::reload()
{
    beginResetModel();
    shown_ = store_.currentDataConfig();
    rowCount_ = shown_ ? int(shown_->count()) : 0;
    endResetModel();
}

void ConfigTableViewModel::refreshRow(int row)
{
    if (row < 0 || row >= rowCount_)
        return;
    // Cell by cell: the view repaints a single cell's own rectangle, but a
    // range it widens by a pixel, into the next row.
    for (int column = 0; column < numberOfColumns; ++column)
        emit dataChanged(index(row, column), index(row, column));
}

} // namespace vantel::settingsui
