#include "popups/IconChooseCollectionView.h"

#include "model/LocalizedStrings.h"
#include "popups/TagIconModel.h"

#include <QPainter>
#include <QStyledItemDelegate>

namespace vantel {

namespace {

// Paints a symbol centred in its square, on a rounded highlight when
// selected or under the pointer.
class TagIconDelegate : public QStyledItemDelegate {
public:
    explicit TagIconDelegate(IconChooseCollectionView* view)
        : QStyledItemDelegate(view)
        , view_(view)
    {
    }

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override { return view_->itemSize(); }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        const QRectF cell = QRectF(option.rect).adjusted(-3, -3, 3, 3);
        if (option.state & QStyle::State_Selected) {
            QColor fill = option.palette.color(QPalette::Highlight);
            fill.setAlphaF(0.35f);
            painter->setPen(QPen(option.palette.color(QPalette::Highlight), 1.0));
            painter->setBrush(fill);
            painter->drawRoundedRect(cell.adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
        } else if (option.state & QStyle::State_MouseOver) {
            QColor fill = option.palette.color(QPalette::Text);
            fill.setAlphaF(0.08f);
            painter->setPen(Qt::NoPen);
            painter->setBrush(fill);
            painter->drawRoundedRect(cell, 4, 4);
        }
        const QVariant decoration = index.data(Qt::DecorationRole);
        if (decoration.canConvert<QIcon>()) {
            const QIcon icon = decoration.value<QIcon>();
            const QSize side = view_->itemSize();
            const QRect target(option.rect.center() - QPoint(side.width() / 2, side.height() / 2), side);
            icon.paint(painter, target, Qt::AlignCenter);
        }
        if (option.state & QStyle::State_HasFocus && view_->hasFocus()) {
            painter->setPen(QPen(option.palette.color(QPalette::Highlight), 1.0, Qt::DotLine));
            painter->setBrush(Qt::NoBrush);
            painter->drawRoundedRect(cell.adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
        }
        painter->restore();
    }

private:
    IconChooseCollectionView* view_;
};

} // namespace

IconChooseCollectionView::IconChooseCollectionView(QWidget* parent)
    : QListView(parent)
{
    setViewMode(QListView::IconMode);
    setMovement(QListView::Static);
    setFlow(QListView::LeftToRight);
    setWrapping(true);
    setResizeMode(QListView::Adjust);
    setUniformItemSizes(true);
    QListView::setSpacing(spacing);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFrameShape(QFrame::NoFrame);
    setMouseTracking(true);
    setDragEnabled(false);
    setItemDelegate(new TagIconDelegate(this));
    setIconSize(itemSize_);
    ownModel_ = new TagIconModel(this);
    setModel(ownModel_);
    setAccessibleName(localized("Symbols"));
}

void IconChooseCollectionView::setItemSize(const QSize& size)
{
    if (size.isEmpty() || size == itemSize_)
        return;
    itemSize_ = size;
    setIconSize(size);
    scheduleDelayedItemsLayout();
    viewport()->update();
}

QSize IconChooseCollectionView::sizeHint() const
{
    const int cell = itemSize_.width() + spacing;
    return QSize(8 * cell + spacing + 2 * frameWidth(), 6 * cell + spacing + 2 * frameWidth());
}

QItemSelectionModel::SelectionFlags IconChooseCollectionView::selectionCommand(const QModelIndex& index,
                                                                              const QEvent* event) const
{
    // A press beside the items, or a click that would deselect, leaves the
    // selection as it is: once something is selected, something stays so.
    const QItemSelectionModel::SelectionFlags flags = QListView::selectionCommand(index, event);
    if (!index.isValid() || (flags & QItemSelectionModel::Deselect)
        || ((flags & QItemSelectionModel::Clear) && !(flags & QItemSelectionModel::Select)))
        return QItemSelectionModel::NoUpdate;
    return flags;
}

void IconChooseCollectionView::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected)
{
    QListView::selectionChanged(selected, deselected);
    const QModelIndexList rows = selected.indexes();
    if (!rows.isEmpty())
        emit iconSelected(rows.first().row());
}

} // namespace vantel
