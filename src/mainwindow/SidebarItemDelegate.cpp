#include "mainwindow/SidebarItemDelegate.h"

#include "config/SystemConfiguration.h"
#include "datastore/TagManager.h"
#include "graphics/ImageUtilities.h"
#include "mainwindow/SidebarModel.h"
#include "mainwindow/SourceListItemTags.h"
#include "shell/AppDelegate.h"

#include <QApplication>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace vantel {

namespace {

constexpr int cellLeftPadding = 4;
constexpr int iconCaptionSpacing = 6;
constexpr int badgeRightPadding = 8;
constexpr int badgeSpacing = 6;
constexpr int badgeHorizontalPadding = 6;
constexpr int badgeHeight = 16;

QColor captionColour(const QStyleOptionViewItem& option)
{
    const QPalette::ColorGroup group = option.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive;
    return option.palette.color(group, option.state & QStyle::State_Selected ? QPalette::HighlightedText
                                                                              : QPalette::Text);
}

} // namespace

QString SidebarItemDelegate::identifier(Cell cell)
{
    return cell == Cell::HeaderCell ? QStringLiteral("HeaderCell") : QStringLiteral("IconCell");
}

SidebarItemDelegate::Cell SidebarItemDelegate::cellFor(const SourceListItem& item)
{
    return item.itemType() == SourceListItemType::header ? Cell::HeaderCell : Cell::IconCell;
}

SidebarItemDelegate::SidebarItemDelegate(TagManager& tags, QObject* parent)
    : QStyledItemDelegate(parent)
    , tags_(tags)
{
}

QFont SidebarItemDelegate::captionFont(const QFont& base)
{
    QFont font = base;
    font.setPixelSize(qRound(SystemConfiguration::shared().sidebarTextSize()));
    return font;
}

QFont SidebarItemDelegate::headerFont(const QFont& base)
{
    QFont font = base;
    font.setPixelSize(11);
    font.setBold(true);
    return font;
}

QFont SidebarItemDelegate::badgeFont(const QFont& base)
{
    QFont font = base;
    font.setPixelSize(11);
    font.setBold(true);
    return font;
}

std::optional<qint64> SidebarItemDelegate::usageCounter(const SourceListItem& item)
{
    if (item.itemContentType() != SourceListItemContentType::tag || item.tag().isEmpty())
        return std::nullopt;
    if (!AppDelegate::shared().config().sidebarCategoriesShowNumberOfElementInSidebar())
        return std::nullopt;
    const auto* node = dynamic_cast<const SourceListItemTags*>(&item);
    const iconTagPtr known = node ? node->knownTag() : nullptr;
    if (!known)
        return std::nullopt;
    return known->tagUseCounter();
}

SidebarItemDelegate::IconCellLayout SidebarItemDelegate::iconCellLayout(const QStyleOptionViewItem& option,
                                                                        const SourceListItem& item) const
{
    const QRect cell = option.rect;
    const int side = qRound(SystemConfiguration::shared().sidebarIconSize());
    IconCellLayout layout;
    layout.icon = QRect(cell.x() + cellLeftPadding, cell.y() + (cell.height() - side) / 2, side, side);
    int captionRight = cell.right() - badgeRightPadding;
    if (const auto counter = usageCounter(item)) {
        const QFontMetrics metrics(badgeFont(option.font));
        const int width = std::max(badgeHeight, metrics.horizontalAdvance(QString::number(*counter))
                                                    + 2 * badgeHorizontalPadding);
        layout.badge = QRect(cell.right() - badgeRightPadding - width + 1, cell.y() + (cell.height() - badgeHeight) / 2,
                             width, badgeHeight);
        captionRight = layout.badge.left() - badgeSpacing;
    }
    const int captionLeft = layout.icon.right() + 1 + iconCaptionSpacing;
    layout.caption = QRect(captionLeft, cell.y(), std::max(0, captionRight - captionLeft + 1), cell.height());
    return layout;
}

QPixmap SidebarItemDelegate::pixmapFor(const SourceListItem& item, int side, qreal devicePixelRatio,
                                       const QColor& templateColour) const
{
    const SourceListItemImage description = item.image();
    if (description.isNull()) {
        const std::optional<QIcon> stored = item.icon();
        return stored ? stored->pixmap(QSize(side, side), devicePixelRatio) : QPixmap();
    }
    // An untinted image is a template, drawn in the caption's colour, so it
    // reads on light and dark palettes and on the selection alike.
    const bool isTemplate = !description.tint.has_value();
    const QColor colour = description.tint.value_or(templateColour);
    const QString key = description.name + QLatin1Char('/') + colour.name(QColor::HexArgb) + QLatin1Char('/')
        + QString::number(side) + QLatin1Char('/') + QString::number(devicePixelRatio);
    if (const auto found = pixmaps_.constFind(key); found != pixmaps_.cend())
        return *found;
    std::optional<QIcon> icon = item.icon();
    if (icon && isTemplate)
        icon = tinted(*icon, colour);
    const QPixmap pixmap = icon ? icon->pixmap(QSize(side, side), devicePixelRatio) : QPixmap();
    if (pixmaps_.size() > 512)
        pixmaps_.clear();
    pixmaps_.insert(key, pixmap);
    return pixmap;
}

void SidebarItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const SourceListItem* item = SidebarModel::itemFor(index);
    if (!item)
        return;
    painter->save();
    painter->setClipRect(option.rect);
    if (cellFor(*item) == Cell::HeaderCell)
        paintHeader(painter, option, *item);
    else
        paintIconCell(painter, option, *item);
    painter->restore();
}

void SidebarItemDelegate::paintHeader(QPainter* painter, const QStyleOptionViewItem& option,
                                      const SourceListItem& item) const
{
    QColor colour = option.palette.color(QPalette::Text);
    colour.setAlphaF(0.55f);
    painter->setPen(colour);
    painter->setFont(headerFont(option.font));
    const QRect text = option.rect.adjusted(2, 0, -badgeRightPadding, 0);
    const QString caption = painter->fontMetrics().elidedText(item.name(), Qt::ElideRight, text.width());
    painter->drawText(text, Qt::AlignLeft | Qt::AlignVCenter, caption);
}

void SidebarItemDelegate::paintIconCell(QPainter* painter, const QStyleOptionViewItem& option,
                                        const SourceListItem& item) const
{
    const IconCellLayout layout = iconCellLayout(option, item);
    const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : qApp->devicePixelRatio();
    const QPixmap pixmap = pixmapFor(item, layout.icon.width(), ratio, captionColour(option));
    if (!pixmap.isNull())
        painter->drawPixmap(layout.icon, pixmap);

    painter->setFont(captionFont(option.font));
    painter->setPen(captionColour(option));
    const QString caption = painter->fontMetrics().elidedText(item.name(), Qt::ElideRight, layout.caption.width());
    painter->drawText(layout.caption, Qt::AlignLeft | Qt::AlignVCenter, caption);

    if (layout.badge.isEmpty())
        return;
    const auto counter = usageCounter(item);
    const bool selected = option.state & QStyle::State_Selected;
    QColor fill = selected ? option.palette.color(QPalette::HighlightedText) : option.palette.color(QPalette::Text);
    fill.setAlphaF(selected ? 0.25f : 0.12f);
    painter->setRenderHint(QPainter::Antialiasing);
    QPainterPath pill;
    pill.addRoundedRect(QRectF(layout.badge), badgeHeight / 2.0, badgeHeight / 2.0);
    painter->fillPath(pill, fill);
    painter->setFont(badgeFont(option.font));
    QColor text = captionColour(option);
    if (!selected)
        text.setAlphaF(0.7f);
    painter->setPen(text);
    painter->drawText(layout.badge, Qt::AlignCenter, QString::number(counter.value_or(0)));
}

QSize SidebarItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const SourceListItem* item = SidebarModel::itemFor(index);
    const SystemConfiguration& metrics = SystemConfiguration::shared();
    if (!item)
        return QSize(0, qRound(metrics.sidebarRowHeight()));
    if (cellFor(*item) == Cell::HeaderCell) {
        const QFontMetrics font(headerFont(option.font));
        return QSize(font.horizontalAdvance(item->name()) + 2 + badgeRightPadding,
                     qRound(metrics.sidebarRowHeightHeader()));
    }
    const QFontMetrics font(captionFont(option.font));
    int width = cellLeftPadding + qRound(metrics.sidebarIconSize()) + iconCaptionSpacing
        + font.horizontalAdvance(item->name()) + badgeRightPadding;
    if (const auto counter = usageCounter(*item))
        width += badgeSpacing + QFontMetrics(badgeFont(option.font)).horizontalAdvance(QString::number(*counter))
            + 2 * badgeHorizontalPadding;
    return QSize(width, qRound(metrics.sidebarRowHeight()));
}

QWidget* SidebarItemDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const
{
    const SourceListItem* item = SidebarModel::itemFor(index);
    if (!item || item->itemContentType() != SourceListItemContentType::tag)
        return nullptr;
    auto* editor = new QLineEdit(parent);
    editor->setMaxLength(maxLength);
    editor->setAcceptDrops(false);
    editor->setFrame(false);
    return editor;
}

void SidebarItemDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    auto* line = qobject_cast<QLineEdit*>(editor);
    const SourceListItem* item = SidebarModel::itemFor(index);
    if (line && item) {
        line->setFont(captionFont(line->font()));
        line->setText(item->name());
        line->selectAll();
    }
}

void SidebarItemDelegate::setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const
{
    auto* line = qobject_cast<QLineEdit*>(editor);
    SourceListItem* item = SidebarModel::itemFor(index);
    if (!line || !item)
        return;
    // The caption shows the item's name, so a refused rename needs no undo.
    // An accepted one rebuilds the store, and the sidebar's tree with it:
    // the rename waits until the editor is closed, so that rebuild never
    // pulls the row out from under the closing editor.
    const SourceListItemPtr keep = item->shared_from_this();
    const QString before = keep->name();
    const QString after = line->text();
    QMetaObject::invokeMethod(
        const_cast<SidebarItemDelegate*>(this), [this, keep, before, after] { textFieldDidEndEditing(*keep, before, after); },
        Qt::QueuedConnection);
}

void SidebarItemDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                               const QModelIndex& index) const
{
    const SourceListItem* item = SidebarModel::itemFor(index);
    if (!item) {
        editor->setGeometry(option.rect);
        return;
    }
    QRect caption = iconCellLayout(option, *item).caption;
    caption.setLeft(caption.left() - 2);
    editor->setGeometry(caption.adjusted(0, 3, 0, -3));
}

bool SidebarItemDelegate::textFieldDidEndEditing(const SourceListItem& item, const QString& before,
                                                 const QString& after) const
{
    QString oldName = before.trimmed();
    QString newName = after.trimmed();
    if (oldName.isEmpty() || newName.isEmpty() || oldName == newName)
        return false;
    for (SourceListItemPtr up = item.parent(); up && up->itemContentType() == SourceListItemContentType::tag;
         up = up->parent()) {
        oldName.prepend(up->name() + QLatin1Char('|'));
        newName.prepend(up->name() + QLatin1Char('|'));
    }
    return tags_.renameTag(oldName, newName);
}

} // namespace vantel
