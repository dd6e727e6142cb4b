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
// reachability test may touch the disk and must not hold the list's queue.
QList<TableViewItemPtr> select(const EntryArray& entries, const platform::Predicate& predicate)
{
    QList<TableViewItemPtr> result;
    for (const TableViewItemPtr& entry : entries.snapshot())
        if (entry && predicate.evaluate(*entry))
            result.append(entry);
    return result;
}

void sortByName(QList<TableViewItemPtr>& entries)
{
    std::vector<std::pair<QString, TableViewItemPtr>> keyed;
    keyed.reserve(entries.size());
    for (const TableViewItemPtr& entry : std::as_const(entries))
        keyed.emplace_back(entry->nameLowercased(), entry);
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return codePointLess(a.first, b.first); });
    for (qsizetype i = 0; i < entries.size(); ++i)
        entries[i] = keyed[std::size_t(i)].second;
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
    QList<TableViewItemPtr> entries = select(*store_.allData(), *predicate);
    if (sortBy == filterSortBy::lastUsedDate)
        sortByLastUsedDate(entries);
    else
        sortByName(entries);
    if (maxResults && *maxResults >= 1 && entries.size() > *maxResults)
        entries.resize(*maxResults);

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

    const Configuration& config = AppDelegate::shared().config();
    QList<std::shared_ptr<const platform::Predicate>> clauses{
        predicateOrFalse(QStringLiteral("name contains[c] %@"), {text})};
    if (config.searchForComments())
        clauses.append(predicateOrFalse(QStringLiteral("comment contains[c] %@"), {text}));

    QList<std::shared_ptr<const platform::Predicate>> parts{
        platform::Predicate::orPredicate(clauses),
        platform::Predicate::andPredicate(
            {predicateOrFalse(QStringLiteral("isVisible = true")), predicateOrFalse(QStringLiteral("isReachable = true"))}),
    };
    if (!config.searchForTags())
        parts.append(platform::Predicate::notPredicate(
            predicateOrFalse(QStringLiteral("itemTypeRawValue = %@"), {QStringLiteral("tag")})));

    QList<TableViewItemPtr> entries = select(*store_.allData(), *platform::Predicate::andPredicate(parts));
    sortByName(entries);
    assign(std::move(entries));
}

void DataStorageFilterCurrentData::assign(QList<TableViewItemPtr> entries)
{
    store_.setState(DatastorageState::changingCurrentData);
    store_.setCurrentData(EntryArray::create(std::move(entries)));
}

} // namespace vantel
