#include "datastore/DataStorageFilterCurrentData.h"

#include "datastore/DataStorage.h"
#include "datastore/StringOrder.h"
#include "model/Logger.h"
#include "platform/Log.h"
#include "platform/NotificationCenter.h"
#include "shell/AppDelegate.h"

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
    const Configuration& config = AppDelegate::shared().config();
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

    auto order = std::make_shared<NameOrder>();
    order->revisions = revisions;
    const EntryList entries = allData->snapshot();
    const std::vector<qsizetype> sorted = nameOrderOf(entries);
    const std::size_t count = sorted.size();
    order->entries.reserve(qsizetype(count));
    order->positionsInAllDataOrder.resize(count);
    for (std::size_t k = 0; k < count; ++k) {
        order->entries.append(entries.at(sorted[k]));
        order->positionsInAllDataOrder[std::size_t(sorted[k])] = qsizetype(k);
    }
    order->nameStarts.reserve(count + 1);
    order->commentStarts.reserve(count + 1);
    for (const TableViewItemPtr& entry : std::as_const(order->entries)) {
        order->nameStarts.push_back(order->foldedNames.size());
        order->commentStarts.push_back(order->foldedComments.size());
        if (entry) {
            order->foldedNames += entry->caseFoldedName();
            order->foldedComments += entry->caseFoldedComment();
        }
    }
    order->nameStarts.push_back(order->foldedNames.size());
    order->commentStarts.push_back(order->foldedComments.size());
    nameOrder_ = std::move(order);
    return *nameOrder_;
}

void DataStorageFilterCurrentData::assign(QList<TableViewItemPtr> entries)
{
    store_.setState(DatastorageState::changingCurrentData);
    store_.setCurrentData(EntryArray::create(std::move(entries)));
}

} // namespace vantel
