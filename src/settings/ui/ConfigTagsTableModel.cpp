#include "settings/ui/ConfigTagsTableModel.h"

#include "model/LocalizedStrings.h"

namespace vantel::settingsui {

QString ConfigTagsTableModel::columnIdentifier(int column)
{
    switch (column) {
    case columnEntry: return QStringLiteral("column_Entry");
    case columnHotkey: return QStringLiteral("column_Hotkey");
    case columnHotkeyLaunchAll: return QStringLiteral("column_HotkeyLaunchAll");
    default: return QString();
    }
}

ConfigTagsTableModel::ConfigTagsTableModel(TagManager& tags, QObject* parent)
    : QAbstractTableModel(parent), tags_(tags), rowCount_(int(tags.allAvailableTags()->count()))
{
}

int ConfigTagsTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : rowCount_;
}

int ConfigTagsTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(numberOfColumns);
}

QVariant ConfigTagsTableModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)
        return {};
    const iconTagPtr tag = tagAt(index.row());
    if (!tag)
        return {};
    switch (index.column()) {
    case columnEntry: return tag->tagName();
    case columnHotkey: {
        const auto combo = tag->hotkey();
        return combo ? combo->displayString() : QString();
    }
    case columnHotkeyLaunchAll: {
        const auto combo = tag->hotkeyLaunchAll();
        return combo ? combo->displayString() : QString();
    }
    default: return {};
    }
}

QVariant ConfigTagsTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case columnEntry: return localized("Tag");
    case columnHotkey: return localized("Hotkey to show the tag");
    case columnHotkeyLaunchAll: return localized("Hotkey to launch all entries");
    default: return {};
    }
}

Qt::ItemFlags ConfigTagsTableModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemNeverHasChildren;
}

iconTagPtr ConfigTagsTableModel::tagAt(int row) const
{
    if (row < 0 || row >= rowCount_)
        return nullptr;
    return tags_.allAvailableTags()->at(row).value_or(nullptr);
}

void ConfigTagsTableModel::reload()
{
    beginResetModel();
    rowCount_ = int(tags_.allAvailableTags()->count());
    endResetModel();
}

void ConfigTagsTableModel::removeRowOfDeletedTag(int row)
{
    const int now = int(tags_.allAvailableTags()->count());
    // One record gone: that row goes; anything else (sub-tags merged, a
    // list changed meanwhile) is a new list.
    if (row < 0 || row >= rowCount_ || now != rowCount_ - 1) {
        reload();
        return;
    }
    beginRemoveRows({}, row, row);
    rowCount_ = now;
    endRemoveRows();
}

void ConfigTagsTableModel::refreshRow(int row)
{
    if (row >= 0 && row < rowCount_)
        emit dataChanged(index(row, 0), index(row, numberOfColumns - 1));
}

} // namespace vantel::settingsui
