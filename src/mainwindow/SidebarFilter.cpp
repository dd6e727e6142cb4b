#include "mainwindow/SidebarFilter.h"

#include "datastore/DataStorageFilterCurrentData.h"
#include "mainwindow/SourceListItem.h"
#include "model/Logger.h"

namespace vantel {

using platform::LogType;
using platform::Predicate;

namespace {

const platform::LogCategory& category()
{
    return Logger::mainViewController();
}

void applyPredicate(DataStorageFilterCurrentData& filter, const char* format, const QVariantList& arguments = {})
{
    filter.resetFilter();
    filter.searchPredicate = Predicate::fromFormat(QString::fromLatin1(format), arguments);
    filter.applyFilter();
}

} // namespace

void applySidebarFilter(DataStorageFilterCurrentData& filter, const SourceListItem& item)
{
    switch (item.itemContentType()) {
    case SourceListItemContentType::allApplications:
        VLOG(category(), LogType::Default, "-> .allApplications");
        applyPredicate(filter, "itemTypeRawValue = %@ AND isVisible = true AND isReachable = true",
                       {QStringLiteral("application")});
        return;
    case SourceListItemContentType::allFolders:
        VLOG(category(), LogType::Default, "-> .allFolders");
        applyPredicate(filter,
                       "itemTypeRawValue = %@ AND isVisible = true AND isReachable = true AND isManuallyCreated = true",
                       {QStringLiteral("folder")});
        return;
    case SourceListItemContentType::allFiles:
        VLOG(category(), LogType::Default, "-> .allFiles");
        applyPredicate(filter,
                       "itemTypeRawValue = %@ AND isVisible = true AND isReachable = true AND isManuallyCreated = true",
                       {QStringLiteral("file")});
        return;
    case SourceListItemContentType::allFavorites:
        VLOG(category(), LogType::Default, "-> .allFavorites");
        applyPredicate(filter, "isVisible = true AND isReachable = true AND isFavorite = true");
        return;
    case SourceListItemContentType::allURLs:
        VLOG(category(), LogType::Default, "-> .allURLs");
        applyPredicate(filter, "itemTypeRawValue = %@ AND isVisible = true AND isManuallyCreated = true",
                       {QStringLiteral("url")});
        return;
    case SourceListItemContentType::lastUsedApplications:
        VLOG(category(), LogType::Default, "-> .lastUsedApplications");
        filter.resetFilter();
        filter.maxResults = 15;
        filter.sortBy = filterSortBy::lastUsedDate;
        // Only what was used: an entry never opened is no recent application.
        filter.searchPredicate =
            Predicate::fromFormat(QStringLiteral("lastUsedDate != nil AND isVisible = true AND isReachable = true"));
        filter.applyFilter();
        return;
    case SourceListItemContentType::openApplications:
        VLOG(category(), LogType::Default, "-> .openApplications");
        applyPredicate(filter, "isLaunched = true");
        return;
    case SourceListItemContentType::shortcuts:
        VLOG(category(), LogType::Default, "-> .shortcuts");
        applyPredicate(filter, "itemSourceRawValue = %@ AND isVisible = true", {QStringLiteral("shortcuts")});
        return;
    case SourceListItemContentType::tag:
        if (item.tag().isEmpty())
            VLOG(category(), LogType::Default, "-> .tag without searchString");
        else
            VLOG(category(), LogType::Default, "-> .tag with searchString: %{public}@", item.tag());
        filter.filterByTag(item.tag());
        return;
    case SourceListItemContentType::none:
    case SourceListItemContentType::headerCategories:
    case SourceListItemContentType::headerTags:
        break;
    }
    VLOG(category(), LogType::Default, "-> default");
    filter.resetFilter();
    filter.applyFilter();
}

} // namespace vantel
