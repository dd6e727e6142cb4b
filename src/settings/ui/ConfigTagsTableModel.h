#pragma once

#include "datastore/TagManager.h"

#include <QAbstractTableModel>

namespace vantel::settingsui {

// The rows of the tags window: TagManager.allAvailableTags, row i its tag i,
// in three columns (the tag, its hotkey, its launch-all hotkey). The model
// keeps no tags, only the row count of its last reload, so the view's count
// matches what it paints. Main thread only.
class ConfigTagsTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { columnEntry, columnHotkey, columnHotkeyLaunchAll, numberOfColumns };
    static QString columnIdentifier(int column);

    explicit ConfigTagsTableModel(TagManager& tags, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The tag at the row; none outside the list.
    iconTagPtr tagAt(int row) const;
    void reload();
    // Takes the row out after its tag was deleted.
    void removeRowOfDeletedTag(int row);
    void refreshRow(int row);

private:
    TagManager& tags_;
    int rowCount_ = 0;
};

} // namespace vantel::settingsui
