#include "settings/ui/TableViewCellConfigEditTags.h"

#include "graphics/ImageUtilities.h"
#include "platform/Bundle.h"
#include "popups/CustomTextFieldForEditingTags.h"
#include "settings/ui/ConfigTagsTableModel.h"

#include <QPainter>
#include <QStyle>

namespace vantel::settingsui {

namespace {

constexpr int padding = 6;

} // namespace

TableViewCellConfigEditTags::TableViewCellConfigEditTags(const ConfigTagsTableModel& model,
                                                         CustomTextFieldDelegate* renameDelegate, QObject* parent)
    : ConfigCellDelegate(QSize(260, 30), parent), model_(model), renameDelegate_(renameDelegate)
{
}

QRect TableViewCellConfigEditTags::symbolRect(const QRect& cell)
{
    return QRect(cell.left() + padding, cell.center().y() - symbolSide / 2, symbolSide, symbolSide);
}

QRect TableViewCellConfigEditTags::nameRect(const QRect& cell)
{
    const int left = symbolRect(cell).right() + 1 + padding;
    const int height = std::min(cell.height() - 4, 24);
    return QRect(left, cell.center().y() - height / 2, std::max(0, cell.right() - padding - left), height);
}

std::optional<QIcon> TableViewCellConfigEditTags::symbolImage(const iconTag& tag)
{
    const QString symbol = tag.tagSymbol();
    if (symbol.isEmpty())
        return std::nullopt;
    const std::optional<QIcon> image = platform::Bundle::main().imageNamed(symbol);
    if (!image)
        return std::nullopt;
    const auto color = tag.color();
    return tinted(*image, color ? std::optional<QColor>(color->toQColor()) : std::nullopt);
}

void TableViewCellConfigEditTags::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const
{
    paintPanel(painter, option, index);

    const iconTagPtr tag = model_.tagAt(index.row());
    if (!tag)
        return;
    const QRect symbol = symbolRect(option.rect);
    if (const std::optional<QIcon> image = symbolImage(*tag)) {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        painter->drawPixmap(symbol, image->pixmap(symbol.size(), ratio));
    }
    const QRect name = nameRect(option.rect).adjusted(3, 0, 0, 0);
    painter->save();
    painter->setPen(option.palette.color(option.state & QStyle::State_Selected ? QPalette::HighlightedText
                                                                                : QPalette::Text));
    painter->drawText(name, Qt::AlignLeft | Qt::AlignVCenter,
                      option.fontMetrics.elidedText(tag->tagName(), Qt::ElideRight, name.width()));
    painter->restore();
}

QWidget* TableViewCellConfigEditTags::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                                   const QModelIndex& index) const
{
    Q_UNUSED(option)
    const iconTagPtr tag = model_.tagAt(index.row());
    if (!tag)
        return nullptr;
    auto* field = new CustomTextFieldForEditingTags(parent);
    field->setMaxLength(maximumNameLength);
    field->setCustomTextFieldDelegate(renameDelegate_);
    field->setText(tag->tagName());
    return field;
}

void TableViewCellConfigEditTags::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    const iconTagPtr tag = model_.tagAt(index.row());
    refreshTextField(editor, tag != nullptr, tag ? tag->tagName() : QString());
}

void TableViewCellConfigEditTags::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    Q_UNUSED(model)
    Q_UNUSED(index)
    // The field asks the rename delegate when its editing ends.
    endTextEditing(editor);
}

QRect TableViewCellConfigEditTags::editorRect(const QRect& cell) const
{
    return nameRect(cell);
}

bool TableViewCellConfigEditTags::editorEvent(QEvent* event, QAbstractItemModel* model,
                                              const QStyleOptionViewItem& option, const QModelIndex& index)
{
    const QRect symbol = symbolRect(option.rect);
    if (bool released = false; isClickOn(event, symbol, released)) {
        if (released)
            emit symbolClicked(index.row(), symbol);
        return true;
    }
    return QStyledItemDelegate::editorEvent(event, model, option, index);
}

} // namespace vantel::settingsui
