#pragma once

#include "model/TableViewItem.h"

#include "settings/ui/CellStamp.h"

namespace vantel::settingsui {

class ConfigTableViewModel;

// The entry column of the data window's list ("TableViewCell_Config_Entry"),
// drawn for each row: the visibility check box, or the remove button for an
// entry the user added; the icon; name and path; the colour box, which is
// also the colour button. Clicks on the check box, the remove button and the
// colour box are passed on as signals; the cell keeps no entry of its own.
class TableViewCellConfigEntry : public ConfigCellDelegate {
    Q_OBJECT

public:
    static inline const QString identifier = QStringLiteral("TableViewCell_Config_Entry");
    static constexpr int iconSide = 32;
    static constexpr int toggleSide = 16;
    static constexpr int colorBoxSide = 14;

    struct Layout {
        QRect toggle; // check box or remove button
        QRect icon;
        QRect name;
        QRect path;
        QRect colorBox;
    };
    static Layout layout(const QRect& cell);

    explicit TableViewCellConfigEntry(const ConfigTableViewModel& model, QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

    // The colour box's fill: the entry's colour, or the control background
    // when it has none or the clear colour.
    static QColor colorBoxFill(const TableViewItem& entry, const QPalette& palette);

signals:
    void visibleCheckboxClicked(int row, bool checked);
    void removeButtonClicked(int row);
    // The colour box's rect in the view's viewport.
    void colorButtonClicked(int row, const QRect& colorBox);

private:
    const ConfigTableViewModel& model_;
};

} // namespace vantel::settingsui
