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
    QList<TableViewItemPtr> entries;
    if (sortBy == filterSortBy::lastUsedDate) {
        entries = select(store_.allData()->snapshot(), *predicate);
        sortByLastUsedDate(entries);
    } else {
        // Selecting from a stably sorted list gives the order a stable sort
        // of the selection would.
        entries = select(nameOrder().entries, *predicate);
    }
    if (maxResults && *maxResults >= 1 && entries.size() > *maxResults)
        entries.resize(*maxResults);

    shownSearch_.reset();
    assign(std::move(entries));
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
    shown.selection = searchPredicate;

    // Every entry that contains the longer text contains the shorter one:
    // with the same entries, settings and selection, the new result lies
    // within the shown one, in the same order.
    const bool narrow = mayNarrow && shownSearch_ && shown.foldedText.contains(shownSearch_->foldedText)
        && shownSearch_->searchForComments == searchForComments && shownSearch_->searchForTags == searchForTags
        && shownSearch_->revisions == shown.revisions && shownSearch_->selection == searchPredicate;

    const QStringView needle(shown.foldedText);
    const QStringView names(order.foldedNames);
    const QStringView comments(order.foldedComments);
    const auto textFound = [&](qsizetype i) {
        const std::size_t at = std::size_t(i);
        if (names.sliced(order.nameStarts[at], order.nameStarts[at + 1] - order.nameStarts[at]).contains(needle))
            return true;
        return searchForComments
            && comments.sliced(order.commentStarts[at], order.commentStarts[at + 1] - order.commentStarts[at])
                   .contains(needle);
    };
    const auto passes = [&](qsizetype i) {
        const TableViewItemPtr& entry = order.entries.at(i);
        return entry && entry->isVisible() && entry->isReachable()
            && (searchForTags || entry->itemType() != ListviewItemType::tag);
    };

    if (narrow) {
        for (const qsizetype i : shownSearch_->positions)
            if (textFound(i) && passes(i))
                shown.positions.push_back(i);
    } else {
        // The texts are scanned in name order; the entries that contain the
        // text are then asked in the order of allData, which is close to the
        // order they lie in memory.
        const qsizetype count = order.entries.size();
        std::vector<char> found(std::size_t(count), 0);
        for (qsizetype i = 0; i < count; ++i)
            found[std::size_t(i)] = textFound(i);
        for (const qsizetype i : order.positionsInAllDataOrder)
            if (found[std::size_t(i)])
                found[std::size_t(i)] = passes(i);
        for (qsizetype i = 0; i < count; ++i)
            if (found[std::size_t(i)])
                shown.positions.push_back(i);
    }
    EntryList entries;
    entries.reserve(qsizetype(shown.positions.size()));
    for (const qsizetype i : shown.positions)
        entries.append(order.entries.at(i));
    shownSearch_ = std::move(shown);
    assign(std::move(entries));
}

const DataStorageFilterCurrentData::NameOrder& DataStorageFilterCurrentData::nameOrder()
{
    const auto& allData = store_.allData();
    // Read before the entries, so that a change made meanwhile counts.
    const std::pair<quint64, quint64> revisions{allData->revision(), TableViewItem::searchableRevision()};
    if (nameOrder_ && nameOrder_->revisions == revisions)
        return *nameOrder_;
    const EntryList entries = allData->snapshot();
    if (nameOrder_ && updateNameOrder(*nameOrder_, entries, revisions))
        return *nameOrder_;
    nameOrder_ = std::make_unique<NameOrder>();
    makeNameOrder(*nameOrder_, entries, revisions);
    return *nameOrder_;
}

namespace {

// Appends one entry's texts to the packed ones of an order being made.
struct OrderWriter {
    QString sortNames, foldedNames, foldedComments;
    std::vector<qsizetype> sortStarts, nameStarts, commentStarts;

    explicit OrderWriter(std::size_t count)
    {
        sortStarts.reserve(count + 1);
        nameStarts.reserve(count + 1);
        commentStarts.reserve(count + 1);
    }

    void append(QStringView sortName, QStringView name, QStringView comment)
    {
        sortStarts.push_back(sortNames.size());
        nameStarts.push_back(foldedNames.size());
        commentStarts.push_back(foldedComments.size());
        sortNames += sortName;
        foldedNames += name;
        foldedComments += comment;
    }

    void appendEntry(const TableViewItemPtr& entry)
    {
        if (entry)
            append(entry->nameLowercased(), entry->caseFoldedName(), entry->caseFoldedComment());
        else
            append({}, {}, {});
    }

    void finish()
    {
        sortStarts.push_back(sortNames.size());
        nameStarts.push_back(foldedNames.size());
        commentStarts.push_back(foldedComments.size());
    }
};

QStringView slice(const QString& text, const std::vector<qsizetype>& starts, std::size_t at)
{
    return QStringView(text).sliced(starts[at], starts[at + 1] - starts[at]);
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
    OrderWriter writer(count);
    for (std::size_t k = 0; k < count; ++k) {
        const TableViewItemPtr& entry = entries.at(sorted[k]);
        order.entries.append(entry);
        order.positionsInAllDataOrder[std::size_t(sorted[k])] = qsizetype(k);
        order.members.insert(entry.get());
        writer.appendEntry(entry);
    }
    writer.finish();
    order.sortNames = std::move(writer.sortNames);
    order.foldedNames = std::move(writer.foldedNames);
    order.foldedComments = std::move(writer.foldedComments);
    order.sortStarts = std::move(writer.sortStarts);
    order.nameStarts = std::move(writer.nameStarts);
    order.commentStarts = std::move(writer.commentStarts);
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

    // Entries whose texts changed leave their place and come in again.
    const QSet<const TableViewItem*> changed(changes->cbegin(), changes->cend());
    std::vector<char> leaves(std::size_t(oldCount), 0);
    for (qsizetype k = 0; k < oldCount; ++k) {
        const qsizetype newPosition = newPositionOfOld[std::size_t(order.allDataPositions[std::size_t(k)])];
        const TableViewItemPtr& entry = order.entries.at(k);
        if (newPosition < 0) {
            leaves[std::size_t(k)] = 1;
            order.members.remove(entry.get());
        } else if (changed.contains(entry.get())) {
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

    // Merge the staying entries (in their order, texts copied from the packed
    // ones) with the newcomers.
    const std::size_t count = std::size_t(entries.size());
    EntryList merged;
    merged.reserve(qsizetype(count));
    std::vector<qsizetype> positions;
    positions.reserve(count);
    OrderWriter writer(count);
    std::size_t next = 0;
    const auto takeNewcomer = [&] {
        const Newcomer& newcomer = newcomers[next++];
        merged.append(newcomer.entry);
        positions.push_back(newcomer.position);
        if (newcomer.entry)
            writer.append(newcomer.sortName, newcomer.entry->caseFoldedName(), newcomer.entry->caseFoldedComment());
        else
            writer.append({}, {}, {});
    };
    for (qsizetype k = 0; k < oldCount; ++k) {
        if (leaves[std::size_t(k)])
            continue;
        const std::size_t at = std::size_t(k);
        const QStringView sortName = slice(order.sortNames, order.sortStarts, at);
        const qsizetype position = newPositionOfOld[std::size_t(order.allDataPositions[at])];
        while (next < newcomers.size()
               && before(newcomers[next].sortName, newcomers[next].position, sortName, position))
            takeNewcomer();
        merged.append(order.entries.at(k));
        positions.push_back(position);
        writer.append(sortName, slice(order.foldedNames, order.nameStarts, at),
                      slice(order.foldedComments, order.commentStarts, at));
    }
    while (next < newcomers.size())
        takeNewcomer();
    writer.finish();
    if (merged.size() != entries.size())
        return false; // e.g. one entry listed twice in allData

    order.revisions = revisions;
    order.allDataOrder = entries;
    order.entries = std::move(merged);
    order.allDataPositions = std::move(positions);
    order.positionsInAllDataOrder.assign(count, 0);
    for (std::size_t k = 0; k < count; ++k)
        order.positionsInAllDataOrder[std::size_t(order.allDataPositions[k])] = qsizetype(k);
    order.sortNames = std::move(writer.sortNames);
    order.foldedNames = std::move(writer.foldedNames);
    order.foldedComments = std::move(writer.foldedComments);
    order.sortStarts = std::move(writer.sortStarts);
    order.nameStarts = std::move(writer.nameStarts);
    order.commentStarts = std::move(writer.commentStarts);
    return true;
}

void DataStorageFilterCurrentData::assign(QList<TableViewItemPtr> entries)
{
    store_.setState(DatastorageState::changingCurrentData);
    store_.setCurrentData(EntryArray::create(std::move(entries)));
}

} // namespace vantel
