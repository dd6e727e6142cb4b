#pragma once

#include "mainwindow/SidebarDropHandler.h"
#include "mainwindow/SourceListItem.h"
#include "mainwindow/SpringLoadingOutlineView.h"

#include <QStringList>
#include <QTimer>

#include <chrono>
#include <optional>

namespace vantel {

class DataStorage;
class SidebarItemDelegate;
class SidebarModel;
class SidebarTagPopover;

enum class OutlineViewStructureState { idle, rebuildInProgress };
enum class OutlineViewRenewState { idle, forceBuildData, reloadData, expandHeader, selectItem };

// The categories a hotkey (or the fallback of the main view) selects.
enum class SidebarSelectionType {
    allApplications,
    allFiles,
    allFolders,
    allFavorites,
    allURLs,
    shortcuts,
    lastUsedApplications,
    openApplications,
};
SourceListItemContentType contentTypeForSelectionType(SidebarSelectionType type);

// The main view's sidebar: the Categories header with the categories that
// the settings enable and that have data, and the Tags header with the
// visible tags as a tree of sub-tags (names split at "|"). It builds that
// tree (buildData), reloads it keeping each header's collapsed state and the
// selected row (updateContent), selects rows from code (by row, category,
// tag name or item), selects the row under a resting pointer when the
// setting asks for it, spring-loads tag rows during drags from outside, and
// opens the tag popover from a tag row.
//
// A click or a key selects only category and tag rows; code may select any
// row. Every selection change is announced by
// outlineViewSelectionDidChange(), also during updateContent: the listener
// checks outlineViewRenewState() and ignores changes until it is idle again.
// Main thread only; log lines go to "mainSectionView".
class MainOutlineView : public SpringLoadingOutlineView {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds hoverSelectionDelay{300};
    // Entry rows sit this far left of the tree's own layout, and are this much wider.
    static constexpr int entryRowShift = 15;

    explicit MainOutlineView(DataStorage& store, QWidget* parent = nullptr);
    ~MainOutlineView() override;

    SidebarModel& model() const { return *model_; }
    SidebarItemDelegate& cellDelegate() const { return *delegate_; }
    DataStorage& store() const { return store_; }
    const QList<SourceListItemPtr>& outlineViewStructure() const;

    // ---- State ----
    OutlineViewStructureState outlineViewStructureState() const { return structureState_; }
    OutlineViewRenewState outlineViewRenewState() const { return renewState_; }
    bool rebuildDataWithNextReload() const { return rebuildDataWithNextReload_; }
    void setRebuildDataWithNextReload(bool rebuild) { rebuildDataWithNextReload_ = rebuild; }
    bool collapsedCategories() const { return collapsedCategories_; }
    bool collapsedTags() const { return collapsedTags_; }
    bool rootEntryAllApplicationsAvailable() const { return available_.allApplications; }
    bool rootEntryAllFilesAvailable() const { return available_.allFiles; }
    bool rootEntryAllFoldersAvailable() const { return available_.allFolders; }
    bool rootEntryAllURLsAvailable() const { return available_.allURLs; }
    bool rootEntryAllShortcutsAvailable() const { return available_.allShortcuts; }
    bool rootEntryLastUsedApplicationsAvailable() const { return available_.lastUsedApplications; }
    bool rootEntryOpenApplicationsAvailable() const { return available_.openApplications; }
    bool rootEntryAllFavoritesAvailable() const { return available_.allFavorites; }

    // ---- Content ----
    // Rebuilds the tree from the settings, the store's entries and the
    // visible tags. Refused while another rebuild runs or the store is busy;
    // the old tree stays then.
    void buildData();
    // Inserts one tag path (its components in `tagArray`) below `parent`.
    void buildStructuredTags(const SourceListItemPtr& parent, const QString& originalTag, const QStringList& tagArray);
    SourceListItemPtr createSourceListItem(const QStringList& tagArray, const SourceListItemPtr& parent,
                                           const QString& originalTag);
    // Rebuilds when asked (or when a rebuild was left for the next reload),
    // reloads, restores the headers' collapsed states and the selection.
    void updateContent(bool forceBuildData);
    // After the store's current data changed: rebuilds once when a category
    // that depends on data appeared or disappeared.
    void validateCategoryVisibility();
    void redrawContent();
    void redrawSelected();

    // ---- Queries ----
    std::optional<SourceListItemContentType> selectedContentType() const;
    SourceListItemPtr selectedItem() const;
    bool isTagItemSelected() const;
    std::optional<QString> selectedTagName() const;
    bool isHeaderCollapsed(SourceListItemContentType type) const;
    void setHeaderExpanded(SourceListItemContentType type, bool expanded);
    // Whether a click or a key may select the item: categories and tags
    // with a tag; not headers, not tag folders.
    static bool shouldSelectItem(const SourceListItem* item);

    // ---- Rows (the rows shown, top to bottom; collapsed subtrees have none) ----
    int numberOfRows() const;
    SourceListItemPtr itemAtRow(int row) const;
    int rowForItem(const SourceListItem* item) const;
    int selectedRow() const;
    int rowAt(const QPoint& viewportPosition) const;
    SourceListItemPtr itemAtDraggingLocation(const QPoint& location) const override;

    // ---- Selection from code ----
    bool selectItemWithIndex(int index);
    bool selectFirstAvailableEntry();
    bool selectItemWithSelectionType(SidebarSelectionType type);
    bool selectItemWithTagName(const QString& tagName);
    bool selectItemWithTagNameAndContentType(const QString& tag, SourceListItemContentType contentType);
    bool selectByItem(const SourceListItemPtr& item);
    SourceListItemPtr searchForSourceListItem(const QString& tag) const;
    SourceListItemPtr searchForSourceListItem(const QString& tag, SourceListItemContentType contentType) const;

    // ---- Hover selection ----
    // Follows the setting "selectTagsAndCategoriesOnHover"; called each
    // time the main view is about to appear.
    void updateHoverTracking();
    bool hoverTrackingActive() const { return hoverTracking_; }
    int hoverRowIndex() const { return hoverRowIndex_; }
    bool hoverSelectionPending() const { return hoverRowTimer_.isActive(); }
    void timedHoverAction();

    // ---- Tag popover ----
    // Not owned.
    SidebarTagPopover* popupMenu() const { return popupMenu_; }
    void setPopupMenu(SidebarTagPopover* popover) { popupMenu_ = popover; }
    // For a right click or a Super-click at a point of the viewport.
    void showSidebarContextPopover(const QPoint& viewportPosition);

    // ---- Drops ----
    // Not owned; without a handler every drop is refused.
    SidebarDropHandler* dropHandler() const { return dropHandler_; }
    void setDropHandler(SidebarDropHandler* handler) { dropHandler_ = handler; }
    // The drop target being highlighted; none outside a drag or when refused.
    std::optional<SidebarDropProposal> dropHighlight() const { return dropHighlight_; }
    // Where a drag at a point of the viewport proposes to drop, before the handler sees it.
    SidebarDropProposal proposedDropAt(const QPoint& viewportPosition) const;

    QRect visualRect(const QModelIndex& index) const override;
    // The disclosure arrow's area of a row with children.
    QRect disclosureRect(const QModelIndex& index) const;

signals:
    void outlineViewSelectionDidChange();

protected:
    bool isSpringLoadingCandidate(const QModelIndex& index) const override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event = nullptr) const override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void drawBranches(QPainter*, const QRect&, const QModelIndex&) const override {}
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    struct Availability {
        bool allApplications = false;
        bool allFiles = false;
        bool allFolders = false;
        bool allURLs = false;
        bool allShortcuts = false;
        bool lastUsedApplications = false;
        bool openApplications = false;
        bool allFavorites = false;
    };

    QModelIndex indexAtRow(int row) const;
    QModelIndex headerIndex(SourceListItemContentType type) const;
    void selectRow(int row);
    bool togglesOnClick(const QModelIndex& index, const QPoint& position) const;
    void selectionDidChange();
    void clearDropHighlight();

    DataStorage& store_;
    SidebarModel* model_;
    SidebarItemDelegate* delegate_;

    OutlineViewStructureState structureState_ = OutlineViewStructureState::idle;
    OutlineViewRenewState renewState_ = OutlineViewRenewState::idle;
    bool rebuildDataWithNextReload_ = false;
    Availability available_;
    bool collapsedCategories_ = true;
    bool collapsedTags_ = true;

    SidebarTagPopover* popupMenu_ = nullptr;
    bool hoverTracking_ = false;
    QTimer hoverRowTimer_;
    int hoverRowIndex_ = 0;

    SidebarDropHandler* dropHandler_ = nullptr;
    std::optional<SidebarDropProposal> dropHighlight_;
    Qt::DropAction dropAction_ = Qt::IgnoreAction;
};

} // namespace vantel
