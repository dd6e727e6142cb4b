#include "mainwindow/MainOutlineView.h"

#include "datastore/DataStorage.h"
#include "mainwindow/SidebarItemDelegate.h"
#include "mainwindow/SidebarModel.h"
#include "mainwindow/SidebarTagPopover.h"
#include "model/LocalizedStrings.h"
#include "model/Logger.h"
#include "shell/AppDelegate.h"

#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>

namespace vantel {

using platform::LogType;

namespace {

const platform::LogCategory& category()
{
    return Logger::mainSectionView();
}

constexpr int indentationPerLevel = 16;
constexpr qreal selectionRadius = 5.0;

} // namespace

MainOutlineView::MainOutlineView(DataStorage& store, QWidget* parent)
    : SpringLoadingOutlineView(parent)
    , store_(store)
    , model_(new SidebarModel(this))
    , delegate_(new SidebarItemDelegate(store.tagManager(), this))
{
    setObjectName(QStringLiteral("sectionView"));
    setAccessibleName(localized("Sidebar"));
    setModel(model_);
    setItemDelegate(delegate_);
    setHeaderHidden(true);
    // One column as wide as the view: the rows never scroll sideways.
    header()->setSectionResizeMode(QHeaderView::Stretch);
    setIndentation(indentationPerLevel);
    setRootIsDecorated(true);
    setUniformRowHeights(false);
    setExpandsOnDoubleClick(false);
    setItemsExpandable(true);
    setAnimated(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::DoubleClicked);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);
    setAutoExpandDelay(-1);
    viewport()->setBackgroundRole(QPalette::Window);

    hoverRowTimer_.setSingleShot(true);
    hoverRowTimer_.setInterval(hoverSelectionDelay);
    connect(&hoverRowTimer_, &QTimer::timeout, this, &MainOutlineView::timedHoverAction);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &MainOutlineView::selectionDidChange);
}

MainOutlineView::~MainOutlineView()
{
    // The tree's nodes are shared; tear it down so nothing keeps it alive.
    for (const SourceListItemPtr& item : model_->outlineViewStructure())
        item->removeAllChildren();
}

const QList<SourceListItemPtr>& MainOutlineView::outlineViewStructure() const
{
    return model_->outlineViewStructure();
}

// ---- Layout and painting ----

QRect MainOutlineView::visualRect(const QModelIndex& index) const
{
    QRect rect = SpringLoadingOutlineView::visualRect(index);
    const SourceListItem* item = SidebarModel::itemFor(index);
    if (rect.isValid() && item && item->itemType() == SourceListItemType::entry) {
        rect.translate(-entryRowShift, 0);
        rect.setWidth(rect.width() + entryRowShift);
    }
    return rect;
}

QRect MainOutlineView::disclosureRect(const QModelIndex& index) const
{
    const QRect cell = visualRect(index);
    if (!cell.isValid() || !model_->hasChildren(index))
        return {};
    return QRect(cell.x() - indentation(), cell.y(), indentation(), cell.height());
}

void MainOutlineView::drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const SourceListItem* item = SidebarModel::itemFor(index);
    if (!item)
        return;
    const QRect row(0, option.rect.y(), viewport()->width(), option.rect.height());
    QStyleOptionViewItem cell = option;
    cell.rect = visualRect(index);
    cell.rect.setRight(row.right());
    cell.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus | QStyle::State_MouseOver);

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const bool selected = selectionModel()->isSelected(index);
    const bool focused = hasFocus();
    if (selected) {
        // As a source list: the accent while the sidebar has the keyboard,
        // a quieter mark otherwise.
        QColor fill = palette().color(QPalette::Active, QPalette::Highlight);
        if (!focused)
            fill.setAlphaF(0.3f);
        QPainterPath path;
        path.addRoundedRect(QRectF(row.adjusted(4, 1, -4, -1)), selectionRadius, selectionRadius);
        painter->fillPath(path, fill);
        if (focused)
            cell.state |= QStyle::State_Selected;
    }
    if (dropHighlight_ && dropHighlight_->item.get() == item && dropHighlight_->childIndex == -1) {
        QPen pen(palette().color(QPalette::Active, QPalette::Highlight), 2);
        painter->setPen(pen);
        painter->drawRoundedRect(QRectF(row.adjusted(4, 2, -5, -2)), selectionRadius, selectionRadius);
    }

    const QRect arrow = disclosureRect(index);
    if (arrow.isValid()) {
        QColor colour = cell.state & QStyle::State_Selected ? palette().color(QPalette::HighlightedText)
                                                             : palette().color(QPalette::Text);
        colour.setAlphaF(0.6f);
        QPen pen(colour, 1.5);
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
        painter->setPen(pen);
        const QPointF centre = QRectF(arrow).center();
        const qreal half = 3.0;
        QPolygonF chevron;
        if (isExpanded(index))
            chevron << centre + QPointF(-half, -half / 2) << centre + QPointF(0, half / 2)
                    << centre + QPointF(half, -half / 2);
        else
            chevron << centre + QPointF(-half / 2, -half) << centre + QPointF(half / 2, 0)
                    << centre + QPointF(-half / 2, half);
        painter->drawPolyline(chevron);
    }
    painter->restore();

    delegate_->paint(painter, cell, index);
}

void MainOutlineView::paintEvent(QPaintEvent* event)
{
    SpringLoadingOutlineView::paintEvent(event);
    if (!dropHighlight_ || !dropHighlight_->isWholeView())
        return;
    QPainter painter(viewport());
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(palette().color(QPalette::Active, QPalette::Highlight), 2));
    painter.drawRoundedRect(QRectF(viewport()->rect().adjusted(1, 1, -2, -2)), selectionRadius, selectionRadius);
}

// ---- Mouse ----

QItemSelectionModel::SelectionFlags MainOutlineView::selectionCommand(const QModelIndex& index,
                                                                      const QEvent* event) const
{
    // Clicks and keys select categories and tags only; code selects any row.
    if (event && !shouldSelectItem(SidebarModel::itemFor(index)))
        return QItemSelectionModel::NoUpdate;
    return SpringLoadingOutlineView::selectionCommand(index, event);
}

bool MainOutlineView::togglesOnClick(const QModelIndex& index, const QPoint& position) const
{
    const SourceListItem* item = SidebarModel::itemFor(index);
    if (!item || !model_->hasChildren(index))
        return false;
    // A header opens and closes from anywhere on its row.
    return item->itemType() == SourceListItemType::header || disclosureRect(index).contains(position);
}

void MainOutlineView::mousePressEvent(QMouseEvent* event)
{
    const QPoint position = event->position().toPoint();
    if (event->button() == Qt::RightButton
        || (event->button() == Qt::LeftButton && event->modifiers().testFlag(Qt::MetaModifier))) {
        showSidebarContextPopover(position);
        event->accept();
        return;
    }
    const QModelIndex index = indexAt(position);
    if (event->button() == Qt::LeftButton && togglesOnClick(index, position)) {
        setExpanded(index, !isExpanded(index));
        event->accept();
        return;
    }
    SpringLoadingOutlineView::mousePressEvent(event);
}

void MainOutlineView::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QPoint position = event->position().toPoint();
    const QModelIndex index = indexAt(position);
    if (event->button() == Qt::LeftButton && togglesOnClick(index, position)) {
        setExpanded(index, !isExpanded(index));
        event->accept();
        return;
    }
    if (event->button() != Qt::LeftButton || event->modifiers().testFlag(Qt::MetaModifier)) {
        event->accept();
        return;
    }
    SpringLoadingOutlineView::mouseDoubleClickEvent(event);
}

void MainOutlineView::contextMenuEvent(QContextMenuEvent* event)
{
    // The mouse's right button was handled at the press; the menu key opens
    // the popover of the current row.
    if (event->reason() == QContextMenuEvent::Keyboard) {
        const QModelIndex current = currentIndex();
        if (current.isValid())
            showSidebarContextPopover(visualRect(current).center());
    }
    event->accept();
}

// ---- Hover selection ----

void MainOutlineView::updateHoverTracking()
{
    hoverRowTimer_.stop();
    hoverTracking_ = AppDelegate::shared().config().selectTagsAndCategoriesOnHover();
    setMouseTracking(hoverTracking_);
    viewport()->setMouseTracking(hoverTracking_);
}

void MainOutlineView::mouseMoveEvent(QMouseEvent* event)
{
    SpringLoadingOutlineView::mouseMoveEvent(event);
    if (!hoverTracking_ || event->buttons() != Qt::NoButton)
        return;
    const int row = rowAt(event->position().toPoint());
    if (row == hoverRowIndex_)
        return;
    hoverRowIndex_ = row;
    hoverRowTimer_.start();
}

bool MainOutlineView::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::Leave)
        hoverRowTimer_.stop();
    return SpringLoadingOutlineView::viewportEvent(event);
}

void MainOutlineView::timedHoverAction()
{
    selectItemWithIndex(hoverRowIndex_);
}

// ---- Selection change and the tag popover ----

void MainOutlineView::selectionDidChange()
{
    VLOG(category(), LogType::Default, "-> outlineViewSelectionDidChange");
    if (popupMenu_ && popupMenu_->isShown())
        popupMenu_->close();
    viewport()->update();
    emit outlineViewSelectionDidChange();
    VLOG(category(), LogType::Default, "<- outlineViewSelectionDidChange");
}

void MainOutlineView::showSidebarContextPopover(const QPoint& viewportPosition)
{
    const int row = rowAt(viewportPosition);
    if (row < 0)
        return;
    const QModelIndex index = indexAtRow(row);
    const SourceListItemPtr item = model_->itemPtr(index);
    if (!item)
        return;
    const QRect cell = visualRect(index);
    if (!cell.isValid())
        return;
    if (item->itemContentType() != SourceListItemContentType::tag || item->tag().isEmpty())
        return;
    VLOG(category(), LogType::Default, "Show context-menu for: %{public}@", QString::number(row));
    if (selectedRow() != row)
        selectRow(row);
    if (popupMenu_ && popupMenu_->isShown())
        return;
    setFocus(Qt::PopupFocusReason);
    viewport()->update();
    if (popupMenu_) {
        const QRect anchor(viewport()->mapToGlobal(cell.topLeft()), cell.size());
        popupMenu_->showPopover(item, row, anchor);
    }
}

// ---- Drags ----

bool MainOutlineView::isSpringLoadingCandidate(const QModelIndex& index) const
{
    const SourceListItem* item = SidebarModel::itemFor(index);
    return item && item->itemType() == SourceListItemType::entry && !item->tag().isEmpty();
}

SidebarDropProposal MainOutlineView::proposedDropAt(const QPoint& viewportPosition) const
{
    const QModelIndex index = indexAt(viewportPosition);
    const SourceListItemPtr item = model_->itemPtr(index);
    if (!item)
        return {nullptr, int(outlineViewStructure().size())};
    const QRect row = SpringLoadingOutlineView::visualRect(index);
    // The band at a row's edges means "between", as the tree views of Qt do.
    const int margin = qBound(2, qRound(row.height() / 5.5), 12);
    const int position = int(item->indexInParent(outlineViewStructure()));
    if (viewportPosition.y() - row.top() < margin)
        return {item->parent(), position};
    if (row.bottom() - viewportPosition.y() < margin)
        return {item->parent(), position + 1};
    return {item, -1};
}

void MainOutlineView::clearDropHighlight()
{
    if (!dropHighlight_)
        return;
    dropHighlight_.reset();
    viewport()->update();
}

void MainOutlineView::dragEnterEvent(QDragEnterEvent* event)
{
    setFocus(Qt::OtherFocusReason);
    springLoadingDragEntered(event->mimeData());
    // Taken, so that the moves arrive; each move says whether it could drop.
    event->accept();
}

void MainOutlineView::dragMoveEvent(QDragMoveEvent* event)
{
    const QPoint position = event->position().toPoint();
    springLoadingDragMoved(position);

    SidebarDropProposal proposal = proposedDropAt(position);
    dropAction_ = Qt::IgnoreAction;
    if (dropHandler_ && event->mimeData())
        dropAction_ = dropHandler_->validateDrop(*this, *event->mimeData(), event->possibleActions(), proposal);
    const std::optional<SidebarDropProposal> highlight
        = dropAction_ == Qt::IgnoreAction ? std::nullopt : std::optional(proposal);
    if (highlight != dropHighlight_) {
        dropHighlight_ = highlight;
        viewport()->update();
    }
    if (dropAction_ == Qt::IgnoreAction) {
        event->ignore();
    } else {
        event->setDropAction(dropAction_);
        event->accept();
    }

    const QRect area = viewport()->rect();
    const int margin = autoScrollMargin();
    if (hasAutoScroll() && (position.y() < area.top() + margin || position.y() > area.bottom() - margin))
        startAutoScroll();
}

void MainOutlineView::dragLeaveEvent(QDragLeaveEvent* event)
{
    springLoadingDragEnded();
    stopAutoScroll();
    clearDropHighlight();
    event->accept();
}

void MainOutlineView::dropEvent(QDropEvent* event)
{
    springLoadingDragEnded();
    stopAutoScroll();
    const std::optional<SidebarDropProposal> target = dropHighlight_;
    const Qt::DropAction action = dropAction_;
    clearDropHighlight();
    dropAction_ = Qt::IgnoreAction;
    if (!target || !dropHandler_ || !event->mimeData() || action == Qt::IgnoreAction) {
        event->ignore();
        return;
    }
    if (dropHandler_->acceptDrop(*this, *event->mimeData(), *target)) {
        event->setDropAction(action);
        event->accept();
    } else {
        event->ignore();
    }
}

} // namespace vantel
