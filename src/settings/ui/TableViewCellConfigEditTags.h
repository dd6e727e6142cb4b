#pragma once

#include "model/iconTag.h"

#include "settings/ui/CellStamp.h"

namespace vantel {
class CustomTextFieldDelegate;
}

namespace vantel::settingsui {

class ConfigTagsTableModel;

// The tag column of the tags window ("TableViewCell_Config_EditTags"): the
// tag's symbol tinted in its colour, which is also the button of the symbol
// popover, and its name, edited in a tag-name field of at most 70
// characters made only for the cell being edited. The field asks the rename
// delegate before a new name is taken and shows the old one on a refusal.
class TableViewCellConfigEditTags : public ConfigCellDelegate {
    Q_OBJECT

public:
    static inline const QString identifier = QStringLiteral("TableViewCell_Config_EditTags");
    static constexpr int maximumNameLength = 70;
    static constexpr int symbolSide = 20;

    TableViewCellConfigEditTags(const ConfigTagsTableModel& model, CustomTextFieldDelegate* renameDelegate,
                                QObject* parent = nullptr);

    static QRect symbolRect(const QRect& cell);
    static QRect nameRect(const QRect& cell);
    // The tag's symbol in its colour; none when no image has the symbol's name.
    static std::optional<QIcon> symbolImage(const iconTag& tag);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

signals:
    // A click on the symbol; its rect in the view's viewport.
    void symbolClicked(int row, const QRect& symbol);

protected:
    QRect editorRect(const QRect& cell) const override;

private:
    const ConfigTagsTableModel& model_;
    CustomTextFieldDelegate* renameDelegate_;
};

} // namespace vantel::settingsui
