// The sidebar's tree: building it and reloading it with the headers and the
// selection kept.

#include "datastore/DataStorage.h"
#include "datastore/TagManager.h"
#include "mainwindow/MainOutlineView.h"
#include "mainwindow/SidebarModel.h"
#include "mainwindow/SourceListItemFixedEntry.h"
#include "mainwindow/SourceListItemSection.h"
#include "mainwindow/SourceListItemTags.h"
#include "model/L10n.h"
#include "model/Logger.h"
#include "shell/AppDelegate.h"

namespace vantel {

using platform::LogType;

namespace {

const platform::LogCategory& category()
{
    return Logger::mainSectionView();
}

QString boolText(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

// The components that are not empty after trimming, kept untrimmed.
QStringList keptComponents(const QStringList& components)
{
    QStringList kept;
    for (const QString& component : components)
        if (!component.trimmed().isEmpty())
            kept.append(component);
    return kept;
}

} // namespace

void MainOutlineView::buildData()
{
    VLOG(category(), LogType::Default, "-> buildData");
    if (structureState_ == OutlineViewStructureState::rebuildInProgress) {
        VLOG(category(), LogType::Fault, "buildData failed -> another rebuild is already running!");
        VLOG(category(), LogType::Default, "<- buildData");
        return;
    }
    structureState_ = OutlineViewStructureState::rebuildInProgress;
    if (store_.state() != DatastorageState::idle) {
        VLOG(category(), LogType::Fault, "buildData failed -> DataStorage was not idle!");
        structureState_ = OutlineViewStructureState::idle;
        VLOG(category(), LogType::Default, "<- buildData");
        return;
    }

    const Configuration& config = AppDelegate::shared().config();
    model_->beginRebuild();
    for (const SourceListItemPtr& item : model_->outlineViewStructure())
        item->removeAllChildren();
    model_->setOutlineViewStructure({});

    using Type = SourceListItemContentType;
    const auto allApplications = SourceListItemFixedEntry::create(L10n::All_Applications(), Type::allApplications);
    const auto allFiles = SourceListItemFixedEntry::create(L10n::All_Files(), Type::allFiles);
    const auto allFolders = SourceListItemFixedEntry::create(L10n::All_Folders(), Type::allFolders);
    const auto allURLs = SourceListItemFixedEntry::create(L10n::All_URLs(), Type::allURLs);
    const auto shortcuts = SourceListItemFixedEntry::create(L10n::Shortcuts(), Type::shortcuts);
    const auto lastUsed = SourceListItemFixedEntry::create(L10n::lastUsedApplications(), Type::lastUsedApplications);
    const auto open = SourceListItemFixedEntry::create(L10n::openApplications(), Type::openApplications);
    const auto allFavorites = SourceListItemFixedEntry::create(L10n::All_Favorites(), Type::allFavorites);
    const SourceListItemPtr categories = SourceListItemSection::create(L10n::Categories(), Type::headerCategories);
    const SourceListItemPtr tagsHeader = SourceListItemSection::create(L10n::Tags(), Type::headerTags);

    // The applications flag is never reset: once shown, always counted shown.
    const bool applicationsAvailable = available_.allApplications;
    available_ = Availability{};
    available_.allApplications = applicationsAvailable;

    QList<SourceListItemPtr> structure{categories};
    const auto add = [&categories](const SourceListItemPtr& entry, bool& flag) {
        entry->setParent(categories);
        categories->appendChild(entry);
        flag = true;
    };
    add(allApplications, available_.allApplications);
    const DataStorage::Categories present = store_.allDataCategories();
    if (present.files && config.sidebarCategoriesShowFiles())
        add(allFiles, available_.allFiles);
    if (present.folders && config.sidebarCategoriesShowFolders())
        add(allFolders, available_.allFolders);
    if (present.urls && config.sidebarCategoriesShowURLs())
        add(allURLs, available_.allURLs);
    if (present.shortcuts && config.sidebarCategoriesShowShortcuts())
        add(shortcuts, available_.allShortcuts);
    if (config.sidebarCategoriesShowRecentApplications())
        add(lastUsed, available_.lastUsedApplications);
    if (config.sidebarCategoriesShowActiveApplications())
        add(open, available_.openApplications);
    if (present.favorites && config.sidebarCategoriesShowFavorites())
        add(allFavorites, available_.allFavorites);

    structure.append(tagsHeader);
    model_->setOutlineViewStructure(structure);

    for (const iconTagPtr& tag : store_.tagManager().allVisibleTags()->snapshot()) {
        if (!tag)
            continue;
        const QString name = tag->tagName();
        if (name.isEmpty())
            continue;
        const QStringList components = keptComponents(name.split(QLatin1Char('|')));
        if (components.isEmpty())
            continue;
        buildStructuredTags(tagsHeader, name, components);
    }
    model_->endRebuild();

    structureState_ = OutlineViewStructureState::idle;
    VLOG(category(), LogType::Default, "<- buildData");
}

void MainOutlineView::buildStructuredTags(const SourceListItemPtr& parent, const QString& originalTag,
                                          const QStringList& tagArray)
{
    if (tagArray.isEmpty()) {
        VLOG(category(), LogType::Error, "buildStructuredTags - tagArray.isEmpty!");
        return;
    }
    if (originalTag.isEmpty()) {
        VLOG(category(), LogType::Error, "buildStructuredTags - originalTag.isEmpty!");
        return;
    }
    QStringList internalTagArray = keptComponents(tagArray);
    if (internalTagArray.isEmpty()) {
        VLOG(category(), LogType::Error, "buildStructuredTags - internalTagArray.isEmpty!");
        return;
    }
    if (!parent)
        return;

    const QString first = internalTagArray.first();
    for (const SourceListItemPtr& child : parent->children()) {
        if (child->name() != first)
            continue;
        if (internalTagArray.size() > 1) {
            internalTagArray.removeFirst();
            buildStructuredTags(child, originalTag, internalTagArray);
        } else {
            // A folder that stood for this path becomes the tag; a later tag
            // on the same path takes the node over.
            child->setTag(originalTag);
        }
        return;
    }

    const SourceListItemPtr created = createSourceListItem(internalTagArray, parent, originalTag);
    if (created && internalTagArray.size() > 1) {
        internalTagArray.removeFirst();
        buildStructuredTags(created, originalTag, internalTagArray);
    }
}

SourceListItemPtr MainOutlineView::createSourceListItem(const QStringList& tagArray, const SourceListItemPtr& parent,
                                                        const QString& originalTag)
{
    if (tagArray.isEmpty()) {
        VLOG(category(), LogType::Error, "buildStructuredTags - internalTagArray.isEmpty!");
        return nullptr;
    }
    if (tagArray.first().isEmpty()) {
        VLOG(category(), LogType::Error, "buildStructuredTags - tagName.isEmpty!");
        return nullptr;
    }
    if (!parent)
        return nullptr;
    const QString name = tagArray.first();
    const auto node = SourceListItemTags::create(name, name, store_.tagManager());
    node->setParent(parent);
    if (tagArray.size() < 2) {
        node->setTag(originalTag);
        VLOG(category(), LogType::Default, "buildStructuredTags: Created a SourcelistItem as Tag for %{public}@",
             originalTag);
    } else {
        // A folder: its icon is the default folder, computed from its empty tag.
        node->setTag(QString());
        VLOG(category(), LogType::Default, "buildStructuredTags: Created a SourcelistItem as Folder for %{public}@",
             name);
    }
    parent->appendChild(node);
    VLOG(category(), LogType::Default, "buildStructuredTags: - Append SourcelistItem as Child to %{public}@",
         parent->name());
    return node;
}

void MainOutlineView::updateContent(bool forceBuildData)
{
    if (structureState_ != OutlineViewStructureState::idle) {
        VLOG(category(), LogType::Error, "updateContent cancelled - outlineStructure was not idle!");
        renewState_ = OutlineViewRenewState::idle;
        rebuildDataWithNextReload_ = false;
        VLOG(category(), LogType::Default, "<- updateContent");
        return;
    }
    VLOG(category(), LogType::Default, "-> updateContent %{public}@",
         QStringLiteral("[Rows: ") + QString::number(numberOfRows()) + QStringLiteral(", Categories collapsed: ")
             + boolText(collapsedCategories_) + QStringLiteral(", Tags collapsed: ") + boolText(collapsedTags_)
             + QStringLiteral("]"));

    const int previousRow = selectedRow();
    QString previousTag;
    SourceListItemContentType previousContentType = SourceListItemContentType::none;
    if (previousRow != -1) {
        if (const SourceListItemPtr item = itemAtRow(previousRow)) {
            previousTag = item->tag();
            previousContentType = item->itemContentType();
        }
    }

    collapsedCategories_ = isHeaderCollapsed(SourceListItemContentType::headerCategories);
    collapsedTags_ = isHeaderCollapsed(SourceListItemContentType::headerTags);

    if (forceBuildData || rebuildDataWithNextReload_) {
        VLOG(category(), LogType::Default, "Rebuild the outlineView-Data ...");
        renewState_ = OutlineViewRenewState::forceBuildData;
        buildData();
    }

    renewState_ = OutlineViewRenewState::reloadData;
    model_->reloadData();

    renewState_ = OutlineViewRenewState::expandHeader;
    setHeaderExpanded(SourceListItemContentType::headerCategories, !collapsedCategories_);
    setHeaderExpanded(SourceListItemContentType::headerTags, !collapsedTags_);

    renewState_ = OutlineViewRenewState::selectItem;
    bool restored = false;
    if (previousRow != -1 && numberOfRows() >= previousRow) {
        // The row may be one past the end now: looked up with bounds.
        const SourceListItemPtr item = itemAtRow(previousRow);
        if (item && item->tag() == previousTag && item->itemContentType() == previousContentType) {
            VLOG(category(), LogType::Default,
                 "- renewContent: Index of the previous selected row found and tag as well as content-type matches. "
                 "Selecting row");
            selectRow(previousRow);
            restored = true;
        } else {
            VLOG(category(), LogType::Default,
                 "- renewContent: Index of the previous selected row found but tag or content-type are invalid. "
                 "Searching for correct row ...");
            restored = selectItemWithTagNameAndContentType(previousTag, previousContentType);
        }
    }
    if (!restored) {
        VLOG(category(), LogType::Default,
             "- renewContent: No previous entry selected or previous selected entry not fount. Selecting first "
             "available entry ...");
        // Idle first: this selection is a real one and refilters the list.
        renewState_ = OutlineViewRenewState::idle;
        selectFirstAvailableEntry();
    }

    renewState_ = OutlineViewRenewState::idle;
    rebuildDataWithNextReload_ = false;
    VLOG(category(), LogType::Default, "<- updateContent");
}

void MainOutlineView::validateCategoryVisibility()
{
    const Configuration& config = AppDelegate::shared().config();
    struct Check {
        bool enabled;
        bool DataStorage::Categories::*contains;
        bool available;
        const char* message;
    };
    const Check checks[] = {
        {config.sidebarCategoriesShowFavorites(), &DataStorage::Categories::favorites, available_.allFavorites,
         "validateCategoryVisibility: allDataContainsFavorites <> rootEntryAllFavoritesAvailable -> updateContent now!"},
        {config.sidebarCategoriesShowFiles(), &DataStorage::Categories::files, available_.allFiles,
         "validateCategoryVisibility: allDataContainsFiles <> rootEntryAllFilesAvailable -> updateContent now!"},
        {config.sidebarCategoriesShowFolders(), &DataStorage::Categories::folders, available_.allFolders,
         "validateCategoryVisibility: allDataContainsFolders <> rootEntryAllFoldersAvailable -> updateContent now!"},
        {config.sidebarCategoriesShowURLs(), &DataStorage::Categories::urls, available_.allURLs,
         "validateCategoryVisibility: allDataContainsURLs <> rootEntryAllURLsAvailable -> updateContent now!"},
        {config.sidebarCategoriesShowShortcuts(), &DataStorage::Categories::shortcuts, available_.allShortcuts,
         "validateCategoryVisibility: allDataContainsShortcuts <> rootEntryAllShortcutsAvailable -> updateContent now!"},
    };
    const DataStorage::Categories present = store_.allDataCategories();
    for (const Check& check : checks) {
        if (!check.enabled || present.*check.contains == check.available)
            continue;
        if (platform::Log::debugLogging())
            platform::Log::write(category(), LogType::Default, QString::fromLatin1(check.message));
        updateContent(true);
        return;
    }
}

void MainOutlineView::redrawContent()
{
    VLOG(category(), LogType::Default, "-> redrawContent");
    if (numberOfRows() > 0)
        viewport()->update();
    VLOG(category(), LogType::Default, "<- redrawContent");
}

void MainOutlineView::redrawSelected()
{
    VLOG(category(), LogType::Default, "-> redrawSelected");
    // The cells read the tag when they paint: repainting the view is enough.
    if (numberOfRows() > 0)
        viewport()->update();
    VLOG(category(), LogType::Default, "<- redrawSelected");
}

} // namespace vantel
