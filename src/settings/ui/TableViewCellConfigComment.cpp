#include "settings/ui/TableViewCellConfigComment.h"

#include "popups/CustomTextFieldForEditingComment.h"
#include "settings/ui/ConfigTableViewModel.h"

#include <QPainter>
#include <QStyle>

namespace vantel::settingsui {

namespace {

constexpr int padding = 6;

} // namespace

TableViewCellConfigComment::TableViewCellConfigComment(const ConfigTableViewModel& model, QObject* parent)
    : ConfigCellDelegate(QSize(200, 40), parent), model_(model)
{
}

QRect TableViewCellConfigComment::fieldRect(const QRect& cell)
{
    const int height = std::min(cell.height() - 4, 26);
    return QRect(cell.left() + 3, cell.center().y() - height / 2, cell.width() - 6, height);
}

void TableViewCellConfigComment::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                       const QModelIndex& index) const
{
    paintPanel(painter, option, index);

    const TableViewItemPtr entry = model_.entryAt(index.row());
    if (!entry)
        return;
    const QRect text = option.rect.adjusted(padding, 0, -padding, 0);
    painter->save();
    painter->setFont(option.font);
    painter->setPen(option.palette.color(option.state & QStyle::State_Selected ? QPalette::HighlightedText
                                                                                : QPalette::Text));
    painter->drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
                      option.fontMetrics.elidedText(entry->comment(), Qt::ElideRight, text.width()));
    painter->restore();
}

QWidget* TableViewCellConfigComment::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                                  const QModelIndex& index) const
{
    Q_UNUSED(option)
    const TableViewItemPtr entry = model_.entryAt(index.row());
    if (!entry)
        return nullptr;
    auto* field = new CustomTextFieldForEditingComment(parent);
    field->setMaxLength(maximumCommentLength);
    field->setOwnerItem(entry);
    field->setText(entry->comment());
    return field;
}

void TableViewCellConfigComment::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    const TableViewItemPtr entry = model_.entryAt(index.row());
    refreshTextField(editor, entry != nullptr, entry ? entry->comment() : QString());
}

void TableViewCellConfigComment::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    Q_UNUSED(model)
    Q_UNUSED(index)
    // The field writes the comment when its editing ends.
    endTextEditing(editor);
}

QRect TableViewCellConfigComment::editorRect(const QRect& cell) const
{
    return fieldRect(cell);
}

} // namespace vantel::settingsui
