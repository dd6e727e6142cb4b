#include "settings/ui/TableViewCellConfigTags.h"

#include "graphics/widgets/DrawnCheckBoxFavorite.h"
#include "model/PathUtilities.h"
#include "popups/CustomTokenField.h"
#include "settings/ui/ConfigTableViewModel.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QSet>
#include <QStyle>

namespace vantel::settingsui {

namespace {

constexpr int padding = 4;

} // namespace

TableViewCellConfigTags::TableViewCellConfigTags(const ConfigTableViewModel& model, TagManager* tagManager,
                                                 QObject* parent)
    : ConfigCellDelegate(QSize(220, 40), parent), model_(model), tagManager_(tagManager),
      tokenStamp_(std::make_unique<CustomTokenField>()), starStamp_(std::make_unique<DrawnCheckBoxFavorite>())
{
    tokenStamp_->setAttribute(Qt::WA_DontShowOnScreen);
    starStamp_->setAttribute(Qt::WA_DontShowOnScreen);
}

TableViewCellConfigTags::~TableViewCellConfigTags() = default;

QRect TableViewCellConfigTags::starRect(const QRect& cell)
{
    return QRect(cell.right() - padding - starSide + 1, cell.center().y() - starSide / 2, starSide, starSide);
}

QRect TableViewCellConfigTags::tokenRect(const QRect& cell)
{
    return QRect(cell.left() + padding, cell.top() + padding, std::max(0, starRect(cell).left() - padding - cell.left() - padding),
                 cell.height() - 2 * padding);
}

QStringList TableViewCellConfigTags::tagsFromTokens(const QStringList& tokens)
{
    QStringList tags;
    for (const QString& token : tokens) {
        const QString trimmed = trimmingWhitespace(token);
        if (!trimmed.isEmpty())
            tags.append(trimmed);
    }
    return tags;
}

void TableViewCellConfigTags::applyTokens(TableViewItem& entry, const QStringList& tokens)
{
    const QStringList tags = tagsFromTokens(tokens);
    const QStringList old = entry.tags();
    if (QSet<QString>(tags.begin(), tags.end()) != QSet<QString>(old.begin(), old.end()))
        entry.setTags(tags);
}

void TableViewCellConfigTags::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const
{
    paintPanel(painter, option, index);

    const TableViewItemPtr entry = model_.entryAt(index.row());
    if (!entry)
        return;
    const QStringList tags = entry->tags();
    if (!tags.isEmpty()) {
        tokenStamp_->setPalette(option.palette);
        tokenStamp_->setObjectValue(tags);
        renderStamp(*tokenStamp_, *painter, tokenRect(option.rect));
    }
    starStamp_->setIsChecked(entry->isFavorite());
    renderStamp(*starStamp_, *painter, starRect(option.rect));
}

QWidget* TableViewCellConfigTags::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                               const QModelIndex& index) const
{
    Q_UNUSED(option)
    const TableViewItemPtr entry = model_.entryAt(index.row());
    if (!entry)
        return nullptr;
    auto* field = new CustomTokenField(parent);
    field->setInternalTagManager(tagManager_);
    field->setAutoFillBackground(true);
    // The cell holds its entry weakly: an entry gone meanwhile takes nothing.
    const std::weak_ptr<TableViewItem> weakEntry = entry;
    QPointer<CustomTokenField> guarded(field);
    field->didEndEditingHandler = [weakEntry, guarded] {
        if (const TableViewItemPtr owner = weakEntry.lock(); owner && guarded)
            applyTokens(*owner, guarded->objectValue());
    };
    return field;
}

void TableViewCellConfigTags::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    auto* field = qobject_cast<CustomTokenField*>(editor);
    const TableViewItemPtr entry = model_.entryAt(index.row());
    if (field && entry && !field->isEditing())
        field->setObjectValue(entry->tags());
}

void TableViewCellConfigTags::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    Q_UNUSED(model)
    Q_UNUSED(index)
    // The end of editing writes the tags (see createEditor).
    if (auto* field = qobject_cast<CustomTokenField*>(editor))
        field->endEditing();
}

QRect TableViewCellConfigTags::editorRect(const QRect& cell) const
{
    return tokenRect(cell);
}

bool TableViewCellConfigTags::eventFilter(QObject* object, QEvent* event)
{
    // An Escape the field left to its owner (no completion list or chip
    // selection to close) closes the editor unwritten; the editing is
    // undone first, or the focus leaving the field would write it.
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
        if (auto* field = qobject_cast<CustomTokenField*>(object))
            field->cancelEditing();
    return ConfigCellDelegate::eventFilter(object, event);
}

bool TableViewCellConfigTags::editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                                          const QModelIndex& index)
{
    if (bool released = false; isClickOn(event, starRect(option.rect), released)) {
        if (released)
            emit favoriteClicked(index.row());
        return true;
    }
    return QStyledItemDelegate::editorEvent(event, model, option, index);
}

} // namespace vantel::settingsui
