#pragma once

#include "mainwindow/SourceListItem.h"

#include <QAbstractItemModel>

namespace vantel {

// The sidebar's data source: one column over the tree of sidebar items, the
// top level being the outline structure (the two headers). A reload is a
// model reset; the tree itself is built by MainOutlineView. Main thread only.
class SidebarModel : public QAbstractItemModel {
    Q_OBJECT

public:
    enum Role {
        ContentTypeRole = Qt::UserRole + 1, // SourceListItemContentType as int
        ItemTypeRole,                       // SourceListItemType as int
        TagRole,                            // QString
    };

    explicit SidebarModel(QObject* parent = nullptr);

    // The top level of the tree, in display order.
    const QList<SourceListItemPtr>& outlineViewStructure() const { return structure_; }

    // Changes to the tree go between these two, so no view holds an index
    // into nodes that are being freed.
    void beginRebuild();
    void setOutlineViewStructure(const QList<SourceListItemPtr>& structure) { structure_ = structure; }
    void endRebuild();
    // Every view forgets what it knew of the tree and asks again.
    void reloadData();

    static SourceListItem* itemFor(const QModelIndex& index);
    SourceListItemPtr itemPtr(const QModelIndex& index) const;
    QModelIndex indexForItem(const SourceListItem* item) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    const QList<SourceListItemPtr>& childrenOf(const QModelIndex& parent) const;

    QList<SourceListItemPtr> structure_;
    bool rebuilding_ = false;
};

} // namespace vantel
