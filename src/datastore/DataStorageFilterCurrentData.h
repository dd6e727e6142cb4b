#pragma once

#include "platform/Predicate.h"

#include <QList>
#include <QString>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

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
    // empty text brings the stored selection back. A text that extends the
    // one shown before narrows the shown result when nothing else changed.
    void filterBySearchString(const QString& text);
    // What a rebuild runs: a search that is shown stays applied, refiltered
    // over the new entries (and the field keeps its text); otherwise
    // applyFilter.
    void applyFilterForRebuild();

private:
    using EntryList = QList<std::shared_ptr<TableViewItem>>;

    // allData in stable name order, with every entry's case-folded name and
    // comment laid end to end, so that a keystroke scans packed text instead
    // of visiting every entry. Made again only after allData or an entry's
    // searchable fields changed.
    struct NameOrder {
        std::pair<quint64, quint64> revisions;
        EntryList entries;
        QString foldedNames;
        QString foldedComments;
        std::vector<qsizetype> nameStarts;      // one more than entries: the end
        std::vector<qsizetype> commentStarts;
        // Name-order positions, listed in the order of allData.
        std::vector<qsizetype> positionsInAllDataOrder;
    };

    // The last search and what it was computed from; its result as
    // positions in the name order.
    struct ShownSearch {
        QString foldedText;
        bool searchForComments = false;
        bool searchForTags = false;
        std::pair<quint64, quint64> revisions;
        std::shared_ptr<const platform::Predicate> selection;
        std::vector<qsizetype> positions;
    };

    void search(const QString& text, bool mayNarrow);
    void assign(EntryList entries);
    const NameOrder& nameOrder();

    DataStorage& store_;
    std::shared_ptr<const NameOrder> nameOrder_;
    std::optional<ShownSearch> shownSearch_;
};

} // namespace vantel
