#pragma once

#include "platform/Predicate.h"

#include <QList>
#include <QSet>
#include <QString>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace vantel {

class DataStorage;
class TableViewItem;
template <class Element>
class SynchronizedArray;

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

    using EntryList = QList<std::shared_ptr<TableViewItem>>;

    // allData in stable name order (the configuration window's name sort
    // starts from it too), with every entry's case-folded name and
    // comment laid end to end, so that a keystroke scans packed text instead
    // of visiting every entry. A change of allData or of entries' searchable
    // fields is brought in by moving only the entries it touched; it is made
    // again whole only after large changes.
    struct NameOrder {
        std::pair<quint64, quint64> revisions;
        EntryList entries;
        // The texts are packed by slot. An entry that comes in by an update
        // gets a new slot at the end, so that the texts of the others stay
        // where they are; the slots no entry uses any more are packed away
        // once they are many.
        QString foldedNames;
        QString foldedComments;
        std::vector<qsizetype> nameStarts;      // one more than slots: the end
        std::vector<qsizetype> commentStarts;
        // Per entry (in name order) its slot.
        std::vector<qsizetype> entrySlots;
        // Name-order positions, listed in the order of allData; made when
        // first asked after a change, since an update moves few entries but
        // would have to write this for nearly all.
        const std::vector<qsizetype>& positionsInAllDataOrder() const;
        // Per entry (in name order) the flags a search asks, read as of
        // flagRevision, so that a keystroke need not visit the entries.
        static constexpr quint8 visibleFlag = 1, tagFlag = 2, reachableFlag = 4;
        // Set when the entry entered the order: the lower-cased sort name is
        // not empty and lower-casing it again changes nothing.
        static constexpr quint8 plainNameFlag = 8;
        std::vector<quint8> flags;
        quint64 flagRevision = 0;
        // No entry is held twice.
        bool distinct = false;
        // The main list of the default selection made from this order and
        // these flags, with the answers of the file tests it asked for.
        struct DefaultSelection {
            EntryList entries;
            std::vector<std::pair<qsizetype, bool>> tested;
        };
        std::optional<DefaultSelection> defaultSelection;

        // What an update compares with: allData as it was, each entry's
        // position in it (in name order), the lower-cased names the order
        // was made by (packed by slot) and the entries held.
        EntryList allDataOrder;
        std::vector<qsizetype> allDataPositions;
        QString sortNames;
        std::vector<qsizetype> sortStarts;
        QSet<const TableViewItem*> members;

        // The texts of the entry at a position of the order.
        QStringView sortNameAt(std::size_t position) const { return slotText(sortNames, sortStarts, position); }
        QStringView nameAt(std::size_t position) const { return slotText(foldedNames, nameStarts, position); }
        QStringView commentAt(std::size_t position) const
        {
            return slotText(foldedComments, commentStarts, position);
        }
        std::size_t slotCount() const { return nameStarts.size() - 1; }

        // After a change of the positions.
        void forgetPositionsInAllDataOrder() { positionsInAllDataOrder_.clear(); }

    private:
        mutable std::vector<qsizetype> positionsInAllDataOrder_; // empty: not made
        QStringView slotText(const QString& text, const std::vector<qsizetype>& starts, std::size_t position) const
        {
            const std::size_t slot = std::size_t(entrySlots[position]);
            return QStringView(text).sliced(starts[slot], starts[slot + 1] - starts[slot]);
        }
    };
    // Brought up to date with allData and the entries' fields.
    const NameOrder& nameOrder();
    // The entries at the positions of the order, in that order.
    static EntryList entriesAt(const NameOrder& order, const std::vector<qsizetype>& positions);

private:
    // The last search and what it was computed from; its result as
    // positions in the name order.
    struct ShownSearch {
        QString foldedText;
        bool searchForComments = false;
        bool searchForTags = false;
        std::pair<quint64, quint64> revisions;
        quint64 flagRevision = 0;
        std::shared_ptr<const platform::Predicate> selection;
        std::vector<qsizetype> positions;
    };

    void search(const QString& text, bool mayNarrow);
    void assign(EntryList entries, bool distinct);
    // Brings the order up to date by the entries that changed; false when
    // the change is too large or not understood (the caller makes it anew).
    static bool updateNameOrder(NameOrder& order, const EntryList& allData, std::pair<quint64, quint64> revisions);
    static void makeNameOrder(NameOrder& order, const EntryList& allData, std::pair<quint64, quint64> revisions);
    static void refreshFlags(NameOrder& order, quint64 flagRevision);

    DataStorage& store_;
    std::unique_ptr<NameOrder> nameOrder_;
    std::optional<ShownSearch> shownSearch_;
    std::shared_ptr<SynchronizedArray<std::shared_ptr<TableViewItem>>> assigned_; // handed to the store last
};

} // namespace vantel
