#pragma once

#include "mainwindow/SourceListItem.h"

#include <QHash>
#include <QPixmap>
#include <QStyledItemDelegate>

namespace vantel {

class TagManager;

// Paints the sidebar's rows in the two cell layouts: "HeaderCell" for the
// section headers (the caption only) and "IconCell" for every other row
// (icon, caption, and for a known tag its use count as a badge when the
// setting asks for numbers). Sizes come from the system's sidebar metrics.
// The caption of a tag row (a tag or a tag folder) is edited in place; the
// edit renames the tag through the tag manager.
class SidebarItemDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    enum class Cell { HeaderCell, IconCell };
    static QString identifier(Cell cell); // "HeaderCell", "IconCell"
    static Cell cellFor(const SourceListItem& item);

    // Caption length limit of the inline editor.
    static constexpr int maxLength = 70;

    SidebarItemDelegate(TagManager& tags, QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // The end of a caption edit: renames the tag the row stands for (its
    // full "|"-joined path) to the edited path. Empty or unchanged texts are
    // ignored. Answers whether the rename was made, so a declined or
    // clashing rename shows the old caption again.
    bool textFieldDidEndEditing(const SourceListItem& item, const QString& before, const QString& after) const;

    // The use count shown on the row, or none: only a tag row whose tag the
    // manager knows shows one, and only while the setting is on.
    static std::optional<qint64> usageCounter(const SourceListItem& item);

    // Where the parts of an icon cell go within the cell's rectangle.
    struct IconCellLayout {
        QRect icon;
        QRect caption;
        QRect badge; // empty without a badge
    };
    IconCellLayout iconCellLayout(const QStyleOptionViewItem& option, const SourceListItem& item) const;

    static QFont captionFont(const QFont& base);
    static QFont headerFont(const QFont& base);
    static QFont badgeFont(const QFont& base);

private:
    void paintHeader(QPainter* painter, const QStyleOptionViewItem& option, const SourceListItem& item) const;
    void paintIconCell(QPainter* painter, const QStyleOptionViewItem& option, const SourceListItem& item) const;
    QPixmap pixmapFor(const SourceListItem& item, int side, qreal devicePixelRatio, const QColor& templateColour) const;

    TagManager& tags_;
    // Drawn images by name, tint, size and pixel ratio: a repaint draws no
    // image twice, and a tag's new colour or symbol gives a new key.
    mutable QHash<QString, QPixmap> pixmaps_;
};

} // namespace vantel
