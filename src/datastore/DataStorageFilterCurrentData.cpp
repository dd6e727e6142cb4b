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
                const std::vector<qsizetype>& positionOf = order.positionsInAllDataOrder();
                for (qsizetype a = 0; a < order.allDataOrder.size(); ++a) {
                    const TableViewItemPtr& entry = order.allDataOrder.at(a);
                    if (entry && predicate->evaluate(*entry))
                        passing[std::size_t(positionOf[std::size_t(a)])] = 1;
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

const std::vector<qsizetype>& DataStorageFilterCurrentData::NameOrder::positionsInAllDataOrder() const
{
    if (positionsInAllDataOrder_.empty() && !allDataPositions.empty()) {
        positionsInAllDataOrder_.resize(allDataPositions.size());
        for (std::size_t k = 0; k < allDataPositions.size(); ++k)
            positionsInAllDataOrder_[std::size_t(allDataPositions[k])] = qsizetype(k);
    }
    return positionsInAllDataOrder_;
}

void DataStorageFilterCurrentData::refreshFlags(NameOrder& order, quint64 flagRevision)
{
    // In the order of allData, close to the order the entries lie in memory.
    const std::vector<qsizetype>& positionOf = order.positionsInAllDataOrder();
    for (qsizetype a = 0; a < order.allDataOrder.size(); ++a) {
        quint8& flags = order.flags[std::size_t(positionOf[std::size_t(a)])];
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
    order.allDataPositions = sorted;
    order.members.reserve(qsizetype(count));
    order.entrySlots.resize(count);
    OrderWriter writer(count);
    for (std::size_t k = 0; k < count; ++k) {
        const TableViewItemPtr& entry = entries.at(sorted[k]);
        order.entries.append(entry);
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
    // Changes the order in place: on false the caller makes it anew.
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
    std::vector<std::pair<TableViewItemPtr, qsizetype>> inserted; // with the new allData position
    if (old.constData() != entries.constData()) {
        std::vector<qsizetype> newPositionOfOld(std::size_t(oldCount), -1);
        qsizetype removedCount = 0;
        qsizetype i = 0;
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
        if (qsizetype(inserted.size()) + removedCount > limit)
            return false;
        // The staying entries' new allData positions; -1 for a removed one.
        for (qsizetype& position : order.allDataPositions)
            position = newPositionOfOld[std::size_t(position)];
    }

    // The entries that leave their place: removed ones, and the ones whose
    // texts changed, which come in again. One pass over the held pointers;
    // the range test spares a search for nearly every entry.
    std::vector<const TableViewItem*> changed(changes->cbegin(), changes->cend());
    std::sort(changed.begin(), changed.end());
    const TableViewItem* lowest = changed.empty() ? nullptr : changed.front();
    const TableViewItem* highest = changed.empty() ? nullptr : changed.back();
    const auto isChanged = [&](const TableViewItem* entry) {
        return entry && entry >= lowest && entry <= highest
            && std::binary_search(changed.begin(), changed.end(), entry);
    };
    std::vector<std::size_t> leaving;
    {
        const TableViewItemPtr* held = order.entries.constData();
        const qsizetype* positions = order.allDataPositions.data();
        for (std::size_t k = 0; k < std::size_t(oldCount); ++k)
            if (positions[k] < 0 || isChanged(held[k].get()))
                leaving.push_back(k);
    }

    // The newcomers by name, then allData position, as the full sort orders.
    struct Newcomer {
        TableViewItemPtr entry;
        qsizetype position;
        QString sortName;
        qsizetype slot = 0;
        quint8 flags = 0;
    };
    std::vector<Newcomer> newcomers;
    newcomers.reserve(inserted.size() + leaving.size());
    for (auto& [entry, position] : inserted) {
        order.members.insert(entry.get());
        newcomers.push_back({entry, position, entry ? entry->nameLowercased() : QString()});
    }
    for (const std::size_t k : leaving) {
        const TableViewItemPtr& entry = order.entries.at(qsizetype(k));
        const qsizetype position = order.allDataPositions[k];
        if (position < 0)
            order.members.remove(entry.get());
        else
            newcomers.push_back({entry, position, entry ? entry->nameLowercased() : QString()});
    }
    const std::size_t stayingCount = std::size_t(oldCount) - leaving.size();
    const std::size_t count = std::size_t(entries.size());
    if (stayingCount + newcomers.size() != count)
        return false; // e.g. one entry listed twice in allData
    const auto before = [](QStringView nameA, qsizetype positionA, QStringView nameB, qsizetype positionB) {
        const int compared = compareCodePoints(nameA, nameB);
        return compared < 0 || (compared == 0 && positionA < positionB);
    };
    std::sort(newcomers.begin(), newcomers.end(), [&](const Newcomer& a, const Newcomer& b) {
        return before(a.sortName, a.position, b.sortName, b.position);
    });
    // Their texts go to new slots; the staying entries keep theirs.
    for (Newcomer& newcomer : newcomers) {
        newcomer.slot = qsizetype(order.slotCount());
        newcomer.flags = appendSlot(order, newcomer.sortName, newcomer.entry);
    }

    // The leavers taken out: the staying entries after the first one move
    // up, a run at a time.
    TableViewItemPtr* held = order.entries.data();
    const auto closeGaps = [&](auto* data) {
        if (leaving.empty())
            return;
        std::size_t to = leaving.front();
        for (std::size_t n = 0; n < leaving.size(); ++n) {
            const std::size_t from = leaving[n] + 1;
            const std::size_t end = n + 1 < leaving.size() ? leaving[n + 1] : std::size_t(oldCount);
            to = std::size_t(std::move(data + from, data + end, data + to) - data);
        }
    };
    closeGaps(held);
    closeGaps(order.entrySlots.data());
    closeGaps(order.flags.data());
    closeGaps(order.allDataPositions.data());

    // Where each newcomer goes among the staying entries, which are sorted
    // by the names in their slots and then by allData position.
    std::vector<std::size_t> insertAt;
    insertAt.reserve(newcomers.size());
    for (const Newcomer& newcomer : newcomers) {
        std::size_t low = 0;
        std::size_t high = stayingCount;
        while (low < high) {
            const std::size_t middle = low + (high - low) / 2;
            if (before(order.sortNameAt(middle), order.allDataPositions[middle], newcomer.sortName,
                       newcomer.position))
                low = middle + 1;
            else
                high = middle;
        }
        insertAt.push_back(low);
    }

    // The newcomers put in from the back: the staying entries after the
    // first place move down, a run at a time.
    order.entries.resize(qsizetype(count));
    order.entrySlots.resize(count);
    order.flags.resize(count);
    order.allDataPositions.resize(count);
    held = order.entries.data();
    std::size_t end = stayingCount;
    std::size_t to = count;
    for (std::size_t n = newcomers.size(); n-- > 0;) {
        const std::size_t at = insertAt[n];
        const auto shift = [&](auto* data) { std::move_backward(data + at, data + end, data + to); };
        shift(held);
        shift(order.entrySlots.data());
        shift(order.flags.data());
        shift(order.allDataPositions.data());
        to -= end - at + 1;
        end = at;
        Newcomer& newcomer = newcomers[n];
        held[to] = std::move(newcomer.entry);
        order.entrySlots[to] = newcomer.slot;
        order.flags[to] = newcomer.flags;
        order.allDataPositions[to] = newcomer.position;
    }

    order.revisions = revisions;
    order.allDataOrder = entries;
    order.forgetPositionsInAllDataOrder();
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
