#pragma once

#include "settings/ui/CellStamp.h"

namespace vantel::settingsui {

class ConfigTableViewModel;

// The comment column ("TableViewCell_Config_Comment"): the comment as text,
// edited in a comment field of at most 100 characters made only for the
// cell being edited; the field writes the comment to the entry at the end of
// editing.
class TableViewCellConfigComment : public ConfigCellDelegate {
    Q_OBJECT

public:
    static inline const QString identifier = QStringLiteral("TableViewCell_Config_Comment");
    static constexpr int maximumCommentLength = 100;

    explicit TableViewCellConfigComment(const ConfigTableViewModel& model, QObject* parent = nullptr);

    static QRect fieldRect(const QRect& cell);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

protected:
    QRect editorRect(const QRect& cell) const override;

private:
    const ConfigTableViewModel& model_;
};

} // namespace vantel::settingsui
