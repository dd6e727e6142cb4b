#pragma once

#include "platform/Predicate.h"

#include <QList>
#include <QString>

#include <memory>
#include <optional>

namespace vantel {

class DataStorage;
class TableViewItem;

// The order of the main list.
enum class filterSortBy { name, lastUsedDate };

QString rawValue(filterSortBy sortBy); // "Name", "Last Used Date"

// Computes the main window's list (DataStorage::currentData) from all
// entries: the current sidebar selection as a predicate, an order and an
// optional maximum count, overlaid by the search field while the user types.
class DataStorageFilterCurrentData {
public:
    explicit DataStorageFilterCurrentData(DataStorage& store);
    DataStorageFilterCurrentData(const DataStorageFilterCurrentData&) = delete;
    DataStorageFilterCurrentData& operator=(const DataStorageFilterCurrentData&) = delete;

    static constexpr const char* defaultPredicateFormat = "isVisible = true AND isReachable = true";

    // ---- The selection, set by the main window ----
    QString searchString;                 // the tag name of a tag selection; only logged
    std::optional<int> maxResults;        // applied when at least 1
    std::shared_ptr<const platform::Predicate> searchPredicate;
    filterSortBy sortBy = filterSortBy::name;
    QString searchStringFromSearchField;  // kept while a search is shown

    // Recomputes currentData from the selection and posts
    // "currentDataFilterRefreshed".
    void applyFilter();
    // The selection back to its initial values; does not recompute.
    void resetFilter();
    // Selects the entries of a tag (all visible ones for an empty name).
    void filterByTag(const QString& tagName);
    // The search field's search over names (and comments, by setting); an
    // empty text brings the stored selection back.
    void filterBySearchString(const QString& text);

private:
    void assign(QList<std::shared_ptr<TableViewItem>> entries);

    DataStorage& store_;
};

} // namespace vantel
