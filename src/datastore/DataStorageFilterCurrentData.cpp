#include "datastore/DataStorageFilterCurrentData.h"

#include "datastore/DataStorage.h"
#include "datastore/StringOrder.h"
#include "model/Logger.h"
#include "platform/Log.h"
#include "platform/NotificationCenter.h"
#include "config/Configuration.h"

#include <algorithm>
#include <vector>

namespace vantel {

namespace {

std::shared_ptr<const platform::Predicate> predicateOrFalse(const QString& format, const QVariantList& arguments = {})
{
    auto predicate = platform::Predicate::fromFormat(format, arguments);
    return predicate ? predicate : platform::Predicate::value(false);
}

std::shared_ptr<const platform::Predicate> defaultPredicate()
{
    return predicateOrFalse(QString::fromLatin1(DataStorageFilterCurrentData::defaultPredicateFormat));
}

// The entries that pass, in the order of the list. Tested on a copy: the
// reachability test may touch the disk and must not hold the list's lock.
QList<TableViewItemPtr> select(const QList<TableViewItemPtr>& entries, const platform::Predicate& predicate)
{
    QList<TableViewItemPtr> result;
    for (const TableViewItemPtr& entry : entries)
        if (entry && predicate.evaluate(*entry))
            result.append(entry);
    return result;
}

// The positions of the entries in stable name order.
std::vector<qsizetype> nameOrderOf(const QList<TableViewItemPtr>& entries)
{
    std::vector<std::pair<QString, qsizetype>> keyed;
    keyed.reserve(std::size_t(entries.size()));
    for (qsizetype i = 0; i < entries.size(); ++i)
        keyed.emplace_back(entries.at(i) ? entries.at(i)->nameLowercased() : QString(), i);
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return codePointLess(a.first, b.first); });
    std::vector<qsizetype> order;
    order.reserve(keyed.size());
    for (const auto& [key, position] : keyed)
        order.push_back(position);
    return order;
}

using Order = DataStorageFilterCurrentData::NameOrder;
constexpr quint8 visibleFlag = Order::visibleFlag;
constexpr quint8 tagFlag = Order::tagFlag;
constexpr quint8 reachableFlag = Order::reachableFlag;
constexpr quint8 plainNameFlag = Order::plainNameFlag;

// The flags that may change while the entry keeps its place.
quint8 flagsOf(const TableViewItemPtr& entry)
{
    if (!entry)
        return 0; // never shown
    return (entry->isVisible() ? visibleFlag : 0) | (entry->itemType() == ListviewItemType::tag ? tagFlag : 0)
        | (entry->isReachableByFlags() ? reachableFlag : 0);
}

// make_shared puts an entry's reference count just before it, somewhere on
// the heap: fetched ahead of a copy or release, the misses overlap.
void prefetchCount(const TableViewItemPtr& entry)
{
    if (entry)
        __builtin_prefetch(reinterpret_cast<const char*>(entry.get()) - sizeof(void*), 1);
}

constexpr std::size_t prefetchDistance = 40;

// Drops the list's entries, fetching the counts ahead.
void release(QList<TableViewItemPtr>&& list)
{
    QList<TableViewItemPtr> dropped = std::move(list);
    if (!dropped.isDetached())
        return; // shared: nothing is dropped here
    TableViewItemPtr* data = dropped.data();
    const std::size_t count = std::size_t(dropped.size());
    for (std::size_t k = 0; k < count; ++k) {
        if (k + prefetchDistance < count)
            prefetchCount(data[k + prefetchDistance]);
        data[k].reset();
    }
}

// Marks the entries whose texts, laid end to end between `starts`, contain
// the needle: one search through the whole text rather than one per entry.
// A match that runs over the end of an entry's text counts for none.
void markContaining(QStringView text, const std::vector<qsizetype>& starts, QStringView needle,
                    std::vector<char>& marks)
{
    const std::size_t count = starts.size() - 1;
    std::size_t entry = 0;
    qsizetype from = 0;
    while (entry < count) {
        const qsizetype at = text.indexOf(needle, from);
        if (at < 0)
            return;
        if (starts[entry + 1] <= at)
            entry = std::size_t(std::upper_bound(starts.begin() + qsizetype(entry) + 1, starts.end(), at)
                                - starts.begin() - 1);
        // No later match in this entry's text would fit either.
        if (at + needle.size() <= starts[entry + 1])
            marks[entry] = 1;
        from = starts[++entry];
    }
}

bool isDefaultSelection(const platform::Predicate& predicate)
{
    static const QString defaultDescription = defaultPredicate()->description();
    return predicate.description() == defaultDescription;
}

void sortByLastUsedDate(QList<TableViewItemPtr>& entries)
{
    // Latest first; an entry never used counts as the most distant past.
    std::vector<std::pair<qint64, TableViewItemPtr>> keyed;
    keyed.reserve(entries.size());
    for (const TableViewItemPtr& entry : std::as_const(entries)) {
        const auto date = entry->lastUsedDate();
        const qint64 key = date && date->isValid() ? date->toMSecsSinceEpoch() : std::numeric_limits<qint64>::min();
        keyed.emplace_back(key, entry);
    }
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    for (qsizetype i = 0; i < entries.size(); ++i)
        entries[i] = keyed[std::size_t(i)].second;
}

} // namespace

QString rawValue(filterSortBy sortBy)
{
    switch (sortBy) {
    case filterSortBy::name:
        return QStringLiteral("Name");
    case filterSortBy::lastUsedDate:
        return QStringLiteral("Last Used Date");
    }
    return {};
}

DataStorageFilterCurrentData::DataStorageFilterCurrentData(DataStorage& store)
    : searchPredicate(defaultPredicate())
    , store_(store)
{
}

void DataStorageFilterCurrentData::applyFilter()
{
    const auto& category = Logger::dataStorageCurrentDataFilter();
    VLOG(category, platform::LogType::Default, "Filter-Predicate: %{public}@",
         searchPredicate ? searchPredicate->description() : QStringLiteral("nil"));
    VLOG(category, platform::LogType::Default, "Filter-maxResults: %{public}@",
         maxResults ? QString::number(*maxResults) : QStringLiteral("nil"));
    VLOG(category, platform::LogType::Default, "Filter-SortBy: %{public}@", rawValue(sortBy));
    VLOG(category, platform::LogType::Default, "Filter-SearchString: %{public}@", searchString);

    const auto predicate = searchPredicate ? searchPredicate : defaultPredicate();
    const bool limited = maxResults && *maxResults >= 1;
    QList<TableViewItemPtr> entries;
    bool distinct = false;
    if (sortBy == filterSortBy::lastUsedDate) {
        entries = select(store_.allData()->snapshot(), *predicate);
        sortByLastUsedDate(entries);
        if (limited && entries.size() > *maxResults)
            entries.resize(*maxResults);
    } else {
        // Selecting from a stably sorted list gives the order a stable sort
        // of the selection would.
        nameOrder();
        NameOrder& order = *nameOrder_;
        const bool byDefault = isDefaultSelection(*predicate);
        bool reuse = byDefault && !limited && order.defaultSelection;
        if (reuse) {
            // The list made last time from the same order and flags, unless
            // a file test answers otherwise now: handed out again, shared.
            for (const auto& [i, reachable] : order.defaultSelection->tested)
                reuse = order.entries.at(i)->isReachable() == reachable && reuse;
        }
        if (reuse) {
            entries = order.defaultSelection->entries;
        } else {
            std::vector<char> passing(std::size_t(order.entries.size()), 0);
            std::vector<std::pair<qsizetype, bool>> tested;
            if (byDefault) {
                // "isVisible = true AND isReachable = true", from the kept flags.
                for (std::size_t i = 0; i < passing.size(); ++i) {
                    const quint8 flags = order.flags[i];
                    if (!(flags & visibleFlag))
                        continue;
                    if (flags & reachableFlag) {
                        passing[i] = 1;
                        continue;
                    }
                    passing[i] = order.entries.at(qsizetype(i))->isReachable();
                    tested.emplace_back(qsizetype(i), bool(passing[i]));
                }
            } else {
                // Asked in the order of allData, close to the order the
                // entries lie in memory.
                for (qsizetype a = 0; a < order.allDataOrder.size(); ++a) {
                    const TableViewItemPtr& entry = order.allDataOrder.at(a);
                    if (entry && predicate->evaluate(*entry))
                        passing[std::size_t(order.positionsInAllDataOrder[std::size_t(a)])] = 1;
                }
            }
            std::vector<qsizetype> positions;
            positions.reserve(std::size_t(std::count(passing.begin(), passing.end(), 1)));
            for (qsizetype i = 0; i < qsizetype(passing.size()); ++i)
                if (passing[std::size_t(i)])
                    positions.push_back(i);
            if (limited && qsizetype(positions.size()) > *maxResults)
                positions.resize(std::size_t(*maxResults));
            entries = entriesAt(order, positions);
            if (byDefault && !limited)
                order.defaultSelection = NameOrder::DefaultSelection{entries, std::move(tested)};
        }
        distinct = order.distinct;
    }

    shownSearch_.reset();
    assign(std::move(entries), distinct);
    searchStringFromSearchField.clear();
    platform::NotificationCenter::defaultCenter().post(QStringLiteral("currentDataFilterRefreshed"), {}, &store_);
}

void DataStorageFilterCurrentData::resetFilter()
{
    searchString.clear();
    searchStringFromSearchField.clear();
    maxResults.reset();
    sortBy = filterSortBy::name;
    searchPredicate = defaultPredicate();
}

void DataStorageFilterCurrentData::filterByTag(const QString& tagName)
{
    resetFilter();
    if (!tagName.isEmpty()) {
        searchString = tagName;
        searchPredicate = predicateOrFalse(
            QStringLiteral("tags contains[c] %@ AND isVisible = true AND isReachable = true"), {tagName});
    }
    applyFilter();
}

void DataStorageFilterCurrentData::filterBySearchString(const QString& text)
{
    searchStringFromSearchField = text;
    if (text.isEmpty()) {
        applyFilter();
        return;
    }
    search(text, true);
}

void DataStorageFilterCurrentData::applyFilterForRebuild()
{
    if (searchStringFromSearchField.isEmpty()) {
        applyFilter();
        return;
    }
    search(searchStringFromSearchField, false);
}

void DataStorageFilterCurrentData::search(const QString& text, bool mayNarrow)
{
    const Configuration& config = Configuration::shared();
    const bool searchForComments = config.searchForComments();
    const bool searchForTags = config.searchForTags();

    // The search is ("name contains[c] %@" OR "comment contains[c] %@") AND
    // "isVisible = true" AND "isReachable = true" AND NOT "itemTypeRawValue
    // = %@" with "tag" (the last only without searchForTags). The text
    // clauses are answered from the packed case-folded texts, the rest by
    // the entry's own flags, in that order, as the whole predicate would be;
    // asking the flags directly spares a predicate walk per match.
    const NameOrder& order = nameOrder();
    ShownSearch shown;
    shown.foldedText = text.toCaseFolded();
    shown.searchForComments = searchForComments;
    shown.searchForTags = searchForTags;
    shown.revisions = order.revisions;
    shown.flagRevision = order.flagRevision;
    shown.selection = searchPredicate;

    // Every entry that contains the longer text contains the shorter one:
    // with the same entries, settings and selection, the new result lies
    // within the shown one, in the same order.
    const bool narrow = mayNarrow && shownSearch_ && shown.foldedText.contains(shownSearch_->foldedText)
        && shownSearch_->searchForComments == searchForComments && shownSearch_->searchForTags == searchForTags
        && shownSearch_->revisions == shown.revisions && shownSearch_->flagRevision == shown.flagRevision
        && shownSearch_->selection == searchPredicate;

    const QStringView needle(shown.foldedText);
    const QStringView names(order.foldedNames);
    const QStringView comments(order.foldedComments);
    const auto textFound = [&](qsizetype i) {
        const std::size_t at = std::size_t(i);
        return order.nameAt(at).contains(needle) || (searchForComments && order.commentAt(at).contains(needle));
    };
    // The flags kept with the order answer for nearly every entry; only one
    // whose reachability needs a file test is asked.
    const auto passes = [&](qsizetype i) {
        const quint8 flags = order.flags[std::size_t(i)];
        if (!(flags & visibleFlag))
            return false;
        if (!(flags & reachableFlag) && !order.entries.at(i)->isReachable())
            return false;
        return searchForTags || !(flags & tagFlag);
    };

    if (narrow) {
        shown.positions.reserve(shownSearch_->positions.size());
        for (const qsizetype i : shownSearch_->positions)
            if (textFound(i) && passes(i))
                shown.positions.push_back(i);
    } else if (needle.isEmpty()) {
        for (qsizetype i = 0; i < order.entries.size(); ++i)
            if (textFound(i) && passes(i))
                shown.positions.push_back(i);
    } else {
        // Marked by slot, read in name order.
        std::vector<char> found(order.slotCount(), 0);
        markContaining(names, order.nameStarts, needle, found);
        if (searchForComments)
            markContaining(comments, order.commentStarts, needle, found);
        shown.positions.reserve(std::size_t(std::count(found.begin(), found.end(), 1)));
        const qsizetype* slotOf = order.entrySlots.data();
        for (qsizetype i = 0; i < order.entries.size(); ++i)
            if (found[std::size_t(slotOf[i])] && passes(i))
                shown.positions.push_back(i);
    }
    EntryList entries = entriesAt(order, shown.positions);
    shownSearch_ = std::move(shown);
    assign(std::move(entries), order.distinct);
}

const DataStorageFilterCurrentData::NameOrder& DataStorageFilterCurrentData::nameOrder()
{
    const auto& allData = store_.allData();
    // Read before the entries, so that a change made meanwhile counts.
    const quint64 flagRevision = TableViewItem::flagRevision();
    const std::pair<quint64, quint64> revisions{allData->revision(), TableViewItem::searchableRevision()};
    if (!nameOrder_ || nameOrder_->revisions != revisions) {
        const EntryList entries = allData->snapshot();
        if (!nameOrder_ || !updateNameOrder(*nameOrder_, entries, revisions)) {
            nameOrder_ = std::make_unique<NameOrder>();
            makeNameOrder(*nameOrder_, entries, revisions);
            nameOrder_->flagRevision = flagRevision;
        }
    }
    // An update reads the flags of the entries it moves only.
    if (nameOrder_->flagRevision != flagRevision)
        refreshFlags(*nameOrder_, flagRevision);
    return *nameOrder_;
}

DataStorageFilterCurrentData::EntryList DataStorageFilterCurrentData::entriesAt(const NameOrder& order,
                                                                             const std::vector<qsizetype>& positions)
{
    // Each copy writes the entry's count: fetched ahead.
    const std::size_t count = positions.size();
    EntryList result;
    result.reserve(qsizetype(count));
    for (std::size_t k = 0; k < count; ++k) {
        if (k + prefetchDistance < count)
            prefetchCount(order.entries.at(positions[k + prefetchDistance]));
        result.append(order.entries.at(positions[k]));
    }
    return result;
}

void DataStorageFilterCurrentData::refreshFlags(NameOrder& order, quint64 flagRevision)
{
    // In the order of allData, close to the order the entries lie in memory.
    for (qsizetype a = 0; a < order.allDataOrder.size(); ++a) {
        quint8& flags = order.flags[std::size_t(order.positionsInAllDataOrder[std::size_t(a)])];
        flags = quint8((flags & plainNameFlag) | flagsOf(order.allDataOrder.at(a)));
    }
    order.flagRevision = flagRevision;
    order.defaultSelection.reset();
}

namespace {

// The flags of an entry that comes into an order.
quint8 newEntryFlags(const QString& sortName, const TableViewItemPtr& entry)
{
    if (!entry)
        return 0;
    // Lower-casing a lower-case text nearly always keeps it as it is,
    // shared, without a copy.
    const bool plain = !sortName.isEmpty() && sortName.toLower() == sortName;
    return quint8(flagsOf(entry) | (plain ? plainNameFlag : 0));
}

// Appends one entry's texts to the packed ones of an order being made.
struct OrderWriter {
    QString sortNames, foldedNames, foldedComments;
    std::vector<qsizetype> sortStarts, nameStarts, commentStarts;
    std::vector<quint8> flags;

    explicit OrderWriter(std::size_t count)
    {
        sortStarts.reserve(count + 1);
        nameStarts.reserve(count + 1);
        commentStarts.reserve(count + 1);
        flags.reserve(count);
    }

    // A new entry's sort name and flags.
    void appendNew(const QString& sortName, const TableViewItemPtr& entry)
    {
        if (!entry) {
            append({}, {}, {}, 0);
            return;
        }
        append(sortName, entry->caseFoldedName(), entry->caseFoldedComment(), newEntryFlags(sortName, entry));
    }

    void append(QStringView sortName, QStringView name, QStringView comment, quint8 entryFlags)
    {
        flags.push_back(entryFlags);
        sortStarts.push_back(sortNames.size());
        nameStarts.push_back(foldedNames.size());
        commentStarts.push_back(foldedComments.size());
        sortNames += sortName;
        foldedNames += name;
        foldedComments += comment;
    }

    void appendEntry(const TableViewItemPtr& entry) { appendNew(entry ? entry->nameLowercased() : QString(), entry); }

    void reserveTexts(const DataStorageFilterCurrentData::NameOrder& order)
    {
        sortNames.reserve(order.sortNames.size());
        foldedNames.reserve(order.foldedNames.size());
        foldedComments.reserve(order.foldedComments.size());
    }

    // Closes the last slot and hands the packed texts to the order.
    void finishInto(DataStorageFilterCurrentData::NameOrder& order)
    {
        sortStarts.push_back(sortNames.size());
        nameStarts.push_back(foldedNames.size());
        commentStarts.push_back(foldedComments.size());
        order.sortNames = std::move(sortNames);
        order.foldedNames = std::move(foldedNames);
        order.foldedComments = std::move(foldedComments);
        order.sortStarts = std::move(sortStarts);
        order.nameStarts = std::move(nameStarts);
        order.commentStarts = std::move(commentStarts);
    }
};

// Adds a slot for a newcomer's texts at the end of the order's packed
// ones; its flags.
quint8 appendSlot(DataStorageFilterCurrentData::NameOrder& order, const QString& sortName,
                  const TableViewItemPtr& entry)
{
    const auto add = [](QString& text, std::vector<qsizetype>& starts, QStringView more) {
        text += more;
        starts.push_back(text.size());
    };
    add(order.sortNames, order.sortStarts, sortName);
    add(order.foldedNames, order.nameStarts, entry ? QStringView(entry->caseFoldedName()) : QStringView());
    add(order.foldedComments, order.commentStarts, entry ? QStringView(entry->caseFoldedComment()) : QStringView());
    return newEntryFlags(sortName, entry);
}

// The texts packed again in name order, without the slots no entry uses.
void compactSlots(DataStorageFilterCurrentData::NameOrder& order)
{
    const std::size_t count = std::size_t(order.entries.size());
    OrderWriter writer(count);
    writer.reserveTexts(order);
    for (std::size_t k = 0; k < count; ++k)
        writer.append(order.sortNameAt(k), order.nameAt(k), order.commentAt(k), 0);
    writer.finishInto(order);
    for (std::size_t k = 0; k < count; ++k)
        order.entrySlots[k] = qsizetype(k);
}

// A change touching more than this share of the entries is made anew.
constexpr qsizetype largeChangeDivisor = 8;

} // namespace

void DataStorageFilterCurrentData::makeNameOrder(NameOrder& order, const EntryList& entries,
                                                 std::pair<quint64, quint64> revisions)
{
    order.revisions = revisions;
    order.allDataOrder = entries;
    const std::vector<qsizetype> sorted = nameOrderOf(entries);
    const std::size_t count = sorted.size();
    order.entries.reserve(qsizetype(count));
    order.positionsInAllDataOrder.resize(count);
    order.allDataPositions = sorted;
    order.members.reserve(qsizetype(count));
    order.entrySlots.resize(count);
    OrderWriter writer(count);
    for (std::size_t k = 0; k < count; ++k) {
        const TableViewItemPtr& entry = entries.at(sorted[k]);
        order.entries.append(entry);
        order.positionsInAllDataOrder[std::size_t(sorted[k])] = qsizetype(k);
        order.entrySlots[k] = qsizetype(k);
        order.members.insert(entry.get());
        writer.appendEntry(entry);
    }
    writer.finishInto(order);
    order.flags = std::move(writer.flags);
    order.distinct = order.members.size() == order.entries.size();
}

bool DataStorageFilterCurrentData::updateNameOrder(NameOrder& order, const EntryList& entries,
                                                   std::pair<quint64, quint64> revisions)
{
    const auto changes = TableViewItem::searchableChangesSince(order.revisions.second);
    if (!changes)
        return false;
    const EntryList& old = order.allDataOrder;
    const qsizetype oldCount = old.size();
    const qsizetype limit = std::max<qsizetype>(16, std::max(oldCount, entries.size()) / largeChangeDivisor);
    if (qsizetype(changes->size()) > limit)
        return false;

    // Walk the old and the new allData side by side: writes add, remove and
    // replace entries but keep the others in their order. An entry met out of
    // that order (a move) is not understood.
    std::vector<qsizetype> newPositionOfOld(std::size_t(oldCount), -1);
    std::vector<std::pair<TableViewItemPtr, qsizetype>> inserted; // with the new allData position
    qsizetype removedCount = 0;
    qsizetype i = 0;
    if (old.constData() != entries.constData()) {
        for (qsizetype j = 0; j < entries.size(); ++j) {
            const TableViewItemPtr& entry = entries.at(j);
            if (i < oldCount && old.at(i) == entry) {
                newPositionOfOld[std::size_t(i++)] = j;
                continue;
            }
            if (!order.members.contains(entry.get())) {
                inserted.emplace_back(entry, j);
            } else {
                while (i < oldCount && old.at(i) != entry) {
                    ++i;
                    ++removedCount;
                }
                if (i == oldCount)
                    return false;
                newPositionOfOld[std::size_t(i++)] = j;
            }
            if (qsizetype(inserted.size()) + removedCount > limit)
                return false;
        }
        removedCount += oldCount - i;
    } else {
        for (qsizetype k = 0; k < oldCount; ++k)
            newPositionOfOld[std::size_t(k)] = k;
    }
    if (qsizetype(inserted.size()) + removedCount > limit)
        return false;
    // The new allData positions in name order: written in the order of the
    // old allData, so that the passes below read them in sequence.
    std::vector<qsizetype> newPositionByName(static_cast<std::size_t>(oldCount));
    for (qsizetype a = 0; a < oldCount; ++a)
        newPositionByName[std::size_t(order.positionsInAllDataOrder[std::size_t(a)])] = newPositionOfOld[std::size_t(a)];

    // Entries whose texts changed leave their place and come in again.
    std::vector<const TableViewItem*> changed(changes->cbegin(), changes->cend());
    std::sort(changed.begin(), changed.end());
    std::vector<char> leaves(std::size_t(oldCount), 0);
    for (qsizetype k = 0; k < oldCount; ++k) {
        const qsizetype newPosition = newPositionByName[std::size_t(k)];
        const TableViewItemPtr& entry = order.entries.at(k);
        if (newPosition < 0) {
            leaves[std::size_t(k)] = 1;
            order.members.remove(entry.get());
        } else if (std::binary_search(changed.begin(), changed.end(), entry.get())) {
            leaves[std::size_t(k)] = 1;
            inserted.emplace_back(entry, newPosition);
        }
    }

    // The newcomers by name, then allData position, as the full sort orders.
    struct Newcomer {
        TableViewItemPtr entry;
        qsizetype position;
        QString sortName;
    };
    std::vector<Newcomer> newcomers;
    newcomers.reserve(inserted.size());
    for (auto& [entry, position] : inserted) {
        order.members.insert(entry.get());
        newcomers.push_back({entry, position, entry ? entry->nameLowercased() : QString()});
    }
    const auto before = [](QStringView nameA, qsizetype positionA, QStringView nameB, qsizetype positionB) {
        const int compared = compareCodePoints(nameA, nameB);
        return compared < 0 || (compared == 0 && positionA < positionB);
    };
    std::sort(newcomers.begin(), newcomers.end(), [&](const Newcomer& a, const Newcomer& b) {
        return before(a.sortName, a.position, b.sortName, b.position);
    });

    // The newcomers' texts go to new slots; the staying entries keep theirs.
    std::vector<std::pair<qsizetype, quint8>> newcomerSlots; // slot, flags
    newcomerSlots.reserve(newcomers.size());
    for (const Newcomer& newcomer : newcomers) {
        const qsizetype slot = qsizetype(order.slotCount());
        newcomerSlots.emplace_back(slot, appendSlot(order, newcomer.sortName, newcomer.entry));
    }

    // Where each newcomer goes: before the staying entry at that old
    // position. The old order, leavers included, is sorted by the names in
    // their slots, so the place is searched, not walked to; only equal names
    // are compared by allData position.
    std::vector<qsizetype> insertAt;
    insertAt.reserve(newcomers.size());
    for (const Newcomer& newcomer : newcomers) {
        qsizetype low = 0;
        qsizetype high = oldCount;
        while (low < high) {
            const qsizetype middle = low + (high - low) / 2;
            if (compareCodePoints(order.sortNameAt(std::size_t(middle)), newcomer.sortName) < 0)
                low = middle + 1;
            else
                high = middle;
        }
        const auto passes = [&](std::size_t at) {
            return leaves[at]
                || before(order.sortNameAt(at), newPositionByName[at], newcomer.sortName, newcomer.position);
        };
        while (low < oldCount && passes(std::size_t(low)))
            ++low;
        insertAt.push_back(low);
    }

    // Merge the staying entries, in their order, with the newcomers: the
    // staying ones are moved over a run at a time.
    const std::size_t count = std::size_t(entries.size());
    std::size_t stayingCount = 0;
    for (const char leaving : leaves)
        stayingCount += !leaving;
    if (stayingCount + newcomers.size() != count)
        return false; // e.g. one entry listed twice in allData
    EntryList merged;
    merged.resize(qsizetype(count));
    TableViewItemPtr* to = merged.data();
    std::vector<qsizetype> positions;
    positions.reserve(count);
    std::vector<qsizetype> entrySlots;
    entrySlots.reserve(count);
    std::vector<quint8> flags;
    flags.reserve(count);
    TableViewItemPtr* staying = order.entries.data();
    std::size_t next = 0;
    const auto takeNewcomer = [&] {
        const Newcomer& newcomer = newcomers[next];
        *to++ = newcomer.entry;
        positions.push_back(newcomer.position);
        entrySlots.push_back(newcomerSlots[next].first);
        flags.push_back(newcomerSlots[next].second);
        ++next;
    };
    const auto takeRun = [&](std::size_t first, std::size_t last) {
        to = std::move(staying + first, staying + last, to);
        positions.insert(positions.end(), newPositionByName.begin() + qsizetype(first),
                         newPositionByName.begin() + qsizetype(last));
        entrySlots.insert(entrySlots.end(), order.entrySlots.begin() + qsizetype(first),
                          order.entrySlots.begin() + qsizetype(last));
        flags.insert(flags.end(), order.flags.begin() + qsizetype(first), order.flags.begin() + qsizetype(last));
    };
    std::size_t runStart = 0;
    for (std::size_t at = 0; at < std::size_t(oldCount); ++at) {
        // A run ends before a leaver and before a newcomer's place.
        const bool newcomerHere = next < newcomers.size() && insertAt[next] <= qsizetype(at);
        if (!leaves[at] && !newcomerHere)
            continue;
        takeRun(runStart, at);
        while (next < newcomers.size() && insertAt[next] <= qsizetype(at))
            takeNewcomer();
        runStart = leaves[at] ? at + 1 : at;
    }
    takeRun(runStart, std::size_t(oldCount));
    while (next < newcomers.size())
        takeNewcomer();

    order.revisions = revisions;
    order.allDataOrder = entries;
    order.entries = std::move(merged);
    order.allDataPositions = std::move(positions);
    order.positionsInAllDataOrder.assign(count, 0);
    for (std::size_t k = 0; k < count; ++k)
        order.positionsInAllDataOrder[std::size_t(order.allDataPositions[k])] = qsizetype(k);
    order.entrySlots = std::move(entrySlots);
    order.flags = std::move(flags);
    order.distinct = order.members.size() == order.entries.size();
    order.defaultSelection.reset();
    // Unused slots only cost search time: packed away when they are as many
    // as a large change would touch.
    const std::size_t unused = order.slotCount() - count;
    if (unused > std::max<std::size_t>(16, count / largeChangeDivisor))
        compactSlots(order);
    return true;
}

void DataStorageFilterCurrentData::assign(QList<TableViewItemPtr> entries, bool distinct)
{
    EntryArray::Ptr previous = std::exchange(assigned_, EntryArray::create(std::move(entries)));
    store_.setState(DatastorageState::changingCurrentData);
    if (distinct)
        store_.setDistinctCurrentData(assigned_);
    else
        store_.setCurrentData(assigned_);
    // The list shown before, when nobody else holds it any more: its
    // entries are dropped here, counts fetched ahead, instead of one miss
    // after the other in its destructor.
    if (previous && previous.use_count() == 1) {
        EntryList held = previous->snapshot();
        previous.reset();
        release(std::move(held));
    }
}

} // namespace vantel
