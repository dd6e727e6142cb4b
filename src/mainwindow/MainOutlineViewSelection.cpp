// Rows of the sidebar, the queries other code asks, and selecting from code.

#include "mainwindow/MainOutlineView.h"
#include "mainwindow/SidebarModel.h"
#include "model/Logger.h"

#include <functional>

namespace vantel {

using platform::LogType;

namespace {

const platform::LogCategory& category()
{
    return Logger::mainSectionView();
}

// Depth-first pre-order; no descent below a match.
SourceListItemPtr searchPreOrder(const QList<SourceListItemPtr>& items,
                                 const std::function<bool(const SourceListItem&)>& matches)
{
    for (const SourceListItemPtr& item : items) {
        if (matches(*item))
            return item;
        if (SourceListItemPtr found = searchPreOrder(item->children(), matches))
            return found;
    }
    return nullptr;
}

} // namespace

SourceListItemContentType contentTypeForSelectionType(SidebarSelectionType type)
{
    switch (type) {
    case SidebarSelectionType::allApplications:
        return SourceListItemContentType::allApplications;
    case SidebarSelectionType::allFiles:
        return SourceListItemContentType::allFiles;
    case SidebarSelectionType::allFolders:
        return SourceListItemContentType::allFolders;
    case SidebarSelectionType::allFavorites:
        return SourceListItemContentType::allFavorites;
    case SidebarSelectionType::allURLs:
        return SourceListItemContentType::allURLs;
    case SidebarSelectionType::shortcuts:
        return SourceListItemContentType::shortcuts;
    case SidebarSelectionType::lastUsedApplications:
        return SourceListItemContentType::lastUsedApplications;
    case SidebarSelectionType::openApplications:
        return SourceListItemContentType::openApplications;
    }
    return SourceListItemContentType::none;
}

// ---- Rows ----

int MainOutlineView::numberOfRows() const
{
    int rows = 0;
    for (QModelIndex index = model_->index(0, 0); index.isValid(); index = indexBelow(index))
        ++rows;
    return rows;
}

QModelIndex MainOutlineView::indexAtRow(int row) const
{
    if (row < 0)
        return {};
    QModelIndex index = model_->index(0, 0);
    for (int i = 0; i < row && index.isValid(); ++i)
        index = indexBelow(index);
    return index;
}

SourceListItemPtr MainOutlineView::itemAtRow(int row) const
{
    return model_->itemPtr(indexAtRow(row));
}

int MainOutlineView::rowForItem(const SourceListItem* item) const
{
    if (!item)
        return -1;
    int row = 0;
    for (QModelIndex index = model_->index(0, 0); index.isValid(); index = indexBelow(index), ++row)
        if (SidebarModel::itemFor(index) == item)
            return row;
    return -1;
}

int MainOutlineView::selectedRow() const
{
    const QModelIndexList selected = selectionModel() ? selectionModel()->selectedRows() : QModelIndexList();
    return selected.isEmpty() ? -1 : rowForItem(SidebarModel::itemFor(selected.first()));
}

int MainOutlineView::rowAt(const QPoint& viewportPosition) const
{
    return rowForItem(SidebarModel::itemFor(indexAt(viewportPosition)));
}

SourceListItemPtr MainOutlineView::itemAtDraggingLocation(const QPoint& location) const
{
    return model_->itemPtr(indexAt(location));
}

void MainOutlineView::selectRow(int row)
{
    const QModelIndex index = indexAtRow(row);
    if (index.isValid())
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

// ---- Queries ----

SourceListItemPtr MainOutlineView::selectedItem() const
{
    const QModelIndexList selected = selectionModel() ? selectionModel()->selectedRows() : QModelIndexList();
    return selected.isEmpty() ? nullptr : model_->itemPtr(selected.first());
}

std::optional<SourceListItemContentType> MainOutlineView::selectedContentType() const
{
    if (const SourceListItemPtr item = selectedItem())
        return item->itemContentType();
    return std::nullopt;
}

bool MainOutlineView::isTagItemSelected() const
{
    const SourceListItemPtr item = selectedItem();
    return item && item->itemContentType() == SourceListItemContentType::tag;
}

std::optional<QString> MainOutlineView::selectedTagName() const
{
    const SourceListItemPtr item = selectedItem();
    if (!item || item->itemContentType() != SourceListItemContentType::tag)
        return std::nullopt;
    return item->tag();
}

QModelIndex MainOutlineView::headerIndex(SourceListItemContentType type) const
{
    if (type != SourceListItemContentType::headerCategories && type != SourceListItemContentType::headerTags)
        return {};
    const QList<SourceListItemPtr>& structure = outlineViewStructure();
    for (const SourceListItemPtr& item : structure)
        if (item->itemContentType() == type)
            return model_->indexForItem(item.get());
    return {};
}

bool MainOutlineView::isHeaderCollapsed(SourceListItemContentType type) const
{
    const QModelIndex header = headerIndex(type);
    return header.isValid() && !isExpanded(header);
}

void MainOutlineView::setHeaderExpanded(SourceListItemContentType type, bool expanded)
{
    const QModelIndex header = headerIndex(type);
    if (!header.isValid())
        return;
    if (expanded && !isExpanded(header))
        expandRecursively(header);
    else if (!expanded && isExpanded(header))
        collapse(header);
}

bool MainOutlineView::shouldSelectItem(const SourceListItem* item)
{
    if (!item)
        return false;
    switch (item->itemContentType()) {
    case SourceListItemContentType::none:
    case SourceListItemContentType::headerCategories:
    case SourceListItemContentType::headerTags:
        return false;
    default:
        return !item->tag().isEmpty();
    }
}

// ---- Selection from code ----

bool MainOutlineView::selectItemWithIndex(int index)
{
    VLOG(category(), LogType::Default, "selectItemWith index");
    if (selectedRow() == index)
        return false;
    if (index < 0 || index > numberOfRows())
        return false;
    const SourceListItemPtr item = itemAtRow(index);
    if (!item || item->itemType() == SourceListItemType::header)
        return false;
    selectRow(index);
    viewport()->update();
    return true;
}

bool MainOutlineView::selectFirstAvailableEntry()
{
    VLOG(category(), LogType::Default, "selectFirstAvailableEntry");
    if (isHeaderCollapsed(SourceListItemContentType::headerCategories)
        && isHeaderCollapsed(SourceListItemContentType::headerTags))
        return false;
    if (selectedRow() != -1)
        return true;
    int row = 0;
    for (QModelIndex index = model_->index(0, 0); index.isValid(); index = indexBelow(index), ++row) {
        const SourceListItem* item = SidebarModel::itemFor(index);
        if (item && item->itemType() == SourceListItemType::entry) {
            selectRow(row);
            viewport()->update();
            return true;
        }
    }
    return false;
}

bool MainOutlineView::selectItemWithSelectionType(SidebarSelectionType type)
{
    VLOG(category(), LogType::Default, "selectItemWith selectionType");
    VLOG(category(), LogType::Default, "searchForSourceListItem");
    const SourceListItemContentType contentType = contentTypeForSelectionType(type);
    if (outlineViewStructure().isEmpty())
        return false;
    const SourceListItemPtr found = searchPreOrder(
        outlineViewStructure(), [contentType](const SourceListItem& item) { return item.itemContentType() == contentType; });
    return found && selectByItem(found);
}

bool MainOutlineView::selectItemWithTagName(const QString& tagName)
{
    VLOG(category(), LogType::Default, "selectItemWith tagName");
    const SourceListItemPtr found = searchForSourceListItem(tagName);
    return found && selectByItem(found);
}

bool MainOutlineView::selectItemWithTagNameAndContentType(const QString& tag, SourceListItemContentType contentType)
{
    VLOG(category(), LogType::Default, "selectItemWith tagName and ContentType");
    if (tag.isEmpty() || contentType == SourceListItemContentType::none)
        return false;
    const SourceListItemPtr found = searchForSourceListItem(tag, contentType);
    return found && selectByItem(found);
}

SourceListItemPtr MainOutlineView::searchForSourceListItem(const QString& tag) const
{
    VLOG(category(), LogType::Default, "searchForSourceListItem");
    if (outlineViewStructure().isEmpty())
        return nullptr;
    return searchPreOrder(outlineViewStructure(), [&tag](const SourceListItem& item) { return item.tag() == tag; });
}

SourceListItemPtr MainOutlineView::searchForSourceListItem(const QString& tag,
                                                           SourceListItemContentType contentType) const
{
    VLOG(category(), LogType::Default, "searchForSourceListItem");
    return searchPreOrder(outlineViewStructure(), [&](const SourceListItem& item) {
        return item.tag() == tag && item.itemContentType() == contentType;
    });
}

bool MainOutlineView::selectByItem(const SourceListItemPtr& item)
{
    if (!item)
        return false;
    int row = rowForItem(item.get());
    VLOG(category(), LogType::Default, "## selectByItem ##");
    VLOG(category(), LogType::Default, "## Tag: %{public}@", item->tag());
    VLOG(category(), LogType::Default, "## Typ: %{public}@", rawValue(item->itemContentType()));
    VLOG(category(), LogType::Default, "## Rows in SectionView: %{public}@", QString::number(numberOfRows()));
    VLOG(category(), LogType::Default, "## Current selected row: %{public}@", QString::number(selectedRow()));
    VLOG(category(), LogType::Default, "## Current ItemIndex: %{public}@", QString::number(row));
    if (row < 0) {
        // Inside a collapsed parent: open the chain from the top down.
        QList<SourceListItemPtr> chain;
        for (SourceListItemPtr step = item; step; step = step->parent())
            chain.prepend(step);
        for (const SourceListItemPtr& step : chain) {
            const QModelIndex index = model_->indexForItem(step.get());
            if (index.isValid())
                expand(index);
        }
        row = rowForItem(item.get());
        VLOG(category(), LogType::Default, "## ItemIndex after search: %{public}@", QString::number(row));
        if (row < 0) {
            VLOG(category(), LogType::Default, "## No valid entry found!");
            return false;
        }
    }
    VLOG(category(), LogType::Default, "## Entry found!");
    selectRow(row);
    scrollTo(indexAtRow(row));
    return true;
}

} // namespace vantel
