#include "settings/ui/TableViewCellConfigEntry.h"

#include "graphics/IconCache.h"
#include "graphics/ImageUtilities.h"
#include "graphics/widgets/SwatchColors.h"
#include "settings/ui/ConfigTableViewModel.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>

namespace vantel::settingsui {

namespace {

constexpr int padding = 6;
constexpr int spacing = 6;

QIcon iconOf(const TableViewItemPtr& entry)
{
    IconCache& cache = IconCache::shared();
    // A file the user added that is gone shows as an unusable object.
    if (entry->itemSource() == ListviewItemSource::other && entry->isPhysicalEntry() && !entry->isReachable())
        return cache.customIconUnkownObject();
    return cache.getIcon(entry, false);
}

void drawRemoveButton(QPainter& painter, const QRect& rect, const QPalette& palette)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(220, 60, 50));
    painter.drawEllipse(QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5));
    QPen pen(palette.color(QPalette::Base).lightness() > 128 ? Qt::white : palette.color(QPalette::Base));
    pen.setWidthF(2.0);
    pen.setCapStyle(Qt::RoundCap);
    painter.setPen(pen);
    const QRectF inner = QRectF(rect).adjusted(4.5, 0, -4.5, 0);
    painter.drawLine(QPointF(inner.left(), inner.center().y()), QPointF(inner.right(), inner.center().y()));
    painter.restore();
}

} // namespace

TableViewCellConfigEntry::TableViewCellConfigEntry(const ConfigTableViewModel& model, QObject* parent)
    : ConfigCellDelegate(QSize(300, 40), parent), model_(model)
{
}

TableViewCellConfigEntry::Layout TableViewCellConfigEntry::layout(const QRect& cell)
{
    Layout l;
    const int middle = cell.center().y();
    l.toggle = QRect(cell.left() + padding, middle - toggleSide / 2, toggleSide, toggleSide);
    l.icon = QRect(l.toggle.right() + 1 + spacing, middle - iconSide / 2, iconSide, iconSide);
    l.colorBox = QRect(cell.right() - padding - colorBoxSide + 1, middle - colorBoxSide / 2, colorBoxSide, colorBoxSide);
    const int textLeft = l.icon.right() + 1 + spacing;
    const int textWidth = std::max(0, l.colorBox.left() - spacing - textLeft);
    const int half = cell.height() / 2;
    l.name = QRect(textLeft, cell.top() + 2, textWidth, half - 2);
    l.path = QRect(textLeft, cell.top() + half, textWidth, cell.height() - half - 2);
    return l;
}

QColor TableViewCellConfigEntry::colorBoxFill(const TableViewItem& entry, const QPalette& palette)
{
    const auto color = entry.color();
    if (!color || isClearColor(color->toQColor()))
        return palette.color(QPalette::Button);
    return color->toQColor();
}

void TableViewCellConfigEntry::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                     const QModelIndex& index) const
{
    QStyle* style = paintPanel(painter, option, index);
    const QWidget* widget = option.widget;

    const TableViewItemPtr entry = model_.entryAt(index.row());
    if (!entry)
        return;
    const Layout l = layout(option.rect);
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette& palette = option.palette;

    if (entry->itemSource() == ListviewItemSource::other) {
        drawRemoveButton(*painter, l.toggle, palette);
    } else {
        QStyleOptionButton check;
        check.rect = l.toggle;
        check.state = QStyle::State_Enabled | (entry->isVisible() ? QStyle::State_On : QStyle::State_Off);
        check.palette = palette;
        style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &check, painter, widget);
    }

    const QColor text = palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    // The bundle's single-colour symbols in the text's colour, so that they
    // show on a dark palette and on the selection.
    const QIcon icon = IconCache::givesSymbol(*entry) ? tinted(iconOf(entry), text) : iconOf(entry);
    painter->drawPixmap(l.icon, icon.pixmap(l.icon.size(), ratio));

    painter->save();
    QFont nameFont = option.font;
    nameFont.setBold(true);
    painter->setFont(nameFont);
    painter->setPen(text);
    painter->drawText(l.name, Qt::AlignLeft | Qt::AlignBottom,
                      QFontMetrics(nameFont).elidedText(entry->name(), Qt::ElideRight, l.name.width()));
    QFont pathFont = option.font;
    pathFont.setPointSizeF(std::max(7.0, pathFont.pointSizeF() - 1.5));
    painter->setFont(pathFont);
    QColor dim = text;
    dim.setAlphaF(0.65);
    painter->setPen(dim);
    painter->drawText(l.path, Qt::AlignLeft | Qt::AlignTop,
                      QFontMetrics(pathFont).elidedText(entry->path(), Qt::ElideMiddle, l.path.width()));

    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(QPen(palette.color(QPalette::Mid), 1.0));
    painter->setBrush(colorBoxFill(*entry, palette));
    painter->drawRoundedRect(QRectF(l.colorBox).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    painter->restore();
}

bool TableViewCellConfigEntry::editorEvent(QEvent* event, QAbstractItemModel* model,
                                           const QStyleOptionViewItem& option, const QModelIndex& index)
{
    if (event->type() != QEvent::MouseButtonRelease && event->type() != QEvent::MouseButtonDblClick)
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton)
        return false;
    const TableViewItemPtr entry = model_.entryAt(index.row());
    if (!entry)
        return false;
    const Layout l = layout(option.rect);
    const QPoint at = mouse->position().toPoint();
    if (l.toggle.adjusted(-3, -3, 3, 3).contains(at)) {
        if (event->type() == QEvent::MouseButtonRelease) {
            if (entry->itemSource() == ListviewItemSource::other)
                emit removeButtonClicked(index.row());
            else
                emit visibleCheckboxClicked(index.row(), !entry->isVisible());
        }
        return true;
    }
    if (l.colorBox.adjusted(-3, -3, 3, 3).contains(at)) {
        if (event->type() == QEvent::MouseButtonRelease)
            emit colorButtonClicked(index.row(), l.colorBox);
        return true;
    }
    return false;
}

} // namespace vantel::settingsui
