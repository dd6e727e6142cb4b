#include "mainwindow/SidebarModel.h"

namespace vantel {

SidebarModel::SidebarModel(QObject* parent)
    : QAbstractItemModel(parent)
{
}

void SidebarModel::beginRebuild()
{
    if (rebuilding_)
        return;
    rebuilding_ = true;
    beginResetModel();
}

void SidebarModel::endRebuild()
{
    if (!rebuilding_)
        return;
    rebuilding_ = false;
    endResetModel();
}

void SidebarModel::reloadData()
{
    beginResetModel();
    endResetModel();
}

SourceListItem* SidebarModel::itemFor(const QModelIndex& index)
{
    return index.isValid() ? static_cast<SourceListItem*>(index.internalPointer()) : nullptr;
}

SourceListItemPtr SidebarModel::itemPtr(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != this)
        return nullptr;
    const QList<SourceListItemPtr>& siblings = childrenOf(parent(index));
    return siblings.value(index.row());
}

QModelIndex SidebarModel::indexForItem(const SourceListItem* item) const
{
    if (!item)
        return {};
    const qsizetype row = item->indexInParent(structure_);
    if (row < 0)
        return {};
    // A node whose chain does not reach the current top level is not shown.
    const SourceListItemPtr up = item->parent();
    if (up && !indexForItem(up.get()).isValid())
        return {};
    return createIndex(int(row), 0, const_cast<SourceListItem*>(item));
}

const QList<SourceListItemPtr>& SidebarModel::childrenOf(const QModelIndex& parent) const
{
    if (SourceListItem* item = itemFor(parent))
        return item->children();
    return structure_;
}

QModelIndex SidebarModel::index(int row, int column, const QModelIndex& parent) const
{
    if (column != 0 || row < 0)
        return {};
    const QList<SourceListItemPtr>& siblings = childrenOf(parent);
    if (row >= siblings.size())
        return {};
    return createIndex(row, 0, siblings.at(row).get());
}

QModelIndex SidebarModel::parent(const QModelIndex& child) const
{
    const SourceListItem* item = itemFor(child);
    if (!item)
        return {};
    const SourceListItemPtr up = item->parent();
    if (!up)
        return {};
    const qsizetype row = up->indexInParent(structure_);
    return row < 0 ? QModelIndex() : createIndex(int(row), 0, up.get());
}

int SidebarModel::rowCount(const QModelIndex& parent) const
{
    if (parent.column() > 0)
        return 0;
    return int(childrenOf(parent).size());
}

int SidebarModel::columnCount(const QModelIndex&) const
{
    return 1;
}

bool SidebarModel::hasChildren(const QModelIndex& parent) const
{
    if (const SourceListItem* item = itemFor(parent))
        return item->hasChildren();
    return !structure_.isEmpty();
}

QVariant SidebarModel::data(const QModelIndex& index, int role) const
{
    const SourceListItem* item = itemFor(index);
    if (!item)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
    case Qt::AccessibleTextRole:
        return item->name();
    case ContentTypeRole:
        return int(item->itemContentType());
    case ItemTypeRole:
        return int(item->itemType());
    case TagRole:
        return item->tag();
    default:
        return {};
    }
}

Qt::ItemFlags SidebarModel::flags(const QModelIndex& index) const
{
    const SourceListItem* item = itemFor(index);
    if (!item)
        return Qt::ItemIsDropEnabled;
    // Every row may be selected from code; which rows a click or a key may
    // select is the view's rule.
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDropEnabled;
    if (item->itemContentType() == SourceListItemContentType::tag)
        result |= Qt::ItemIsEditable;
    return result;
}

} // namespace vantel
