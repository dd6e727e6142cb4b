#include "datastore/DataStorageFilterConfigData.h"

#include "datastore/DataStorage.h"
#include "datastore/HotkeyCharacters.h"
#include "datastore/StringOrder.h"
#include "model/Logger.h"
#include "platform/Log.h"
#include "platform/Predicate.h"

#include <algorithm>
#include <vector>

namespace vantel {

namespace {

std::shared_ptr<const platform::Predicate> clause(const QString& format, const QVariantList& arguments = {})
{
    auto predicate = platform::Predicate::fromFormat(format, arguments);
    return predicate ? predicate : platform::Predicate::value(false);
}

} // namespace

const QString DataStorageFilterConfigData::emptySortKey = QString(27, QLatin1Char('z'));

QList<ConfigEnumFilterActive> allConfigEnumFilterActive()
{
    return {ConfigEnumFilterActive::all, ConfigEnumFilterActive::activeOnly, ConfigEnumFilterActive::inactiveOnly};
}

QList<ConfigEnumFilterType> allConfigEnumFilterType()
{
    return {ConfigEnumFilterType::all, ConfigEnumFilterType::applications, ConfigEnumFilterType::files,
            ConfigEnumFilterType::folders, ConfigEnumFilterType::urls};
}

QList<ConfigEnumFilterSearchFor> allConfigEnumFilterSearchFor()
{
    return {ConfigEnumFilterSearchFor::name, ConfigEnumFilterSearchFor::tag, ConfigEnumFilterSearchFor::comment,
            ConfigEnumFilterSearchFor::path};
}

QList<ConfigEnumSortingBy> allConfigEnumSortingBy()
{
    return {ConfigEnumSortingBy::name, ConfigEnumSortingBy::tags, ConfigEnumSortingBy::hotkey,
            ConfigEnumSortingBy::comment};
}

QList<ConfigEnumSortingOrder> allConfigEnumSortingOrder()
{
    return {ConfigEnumSortingOrder::ascending, ConfigEnumSortingOrder::descending};
}

DataStorageFilterConfigData::DataStorageFilterConfigData(DataStorage& store)
    : store_(store)
{
}

void DataStorageFilterConfigData::applyFilter()
{
    QList<std::shared_ptr<const platform::Predicate>> parts;
    switch (configTableViewFilterActive) {
    case ConfigEnumFilterActive::all:
        break;
    case ConfigEnumFilterActive::activeOnly:
        parts.append(clause(QStringLiteral("isVisible = true")));
        break;
    case ConfigEnumFilterActive::inactiveOnly:
        parts.append(clause(QStringLiteral("isVisible = false")));
        break;
    }

    QString type;
    switch (configTableViewFilterType) {
    case ConfigEnumFilterType::all:
        break;
    case ConfigEnumFilterType::applications:
        type = QStringLiteral("application");
        break;
    case ConfigEnumFilterType::files:
        type = QStringLiteral("file");
        break;
    case ConfigEnumFilterType::folders:
        type = QStringLiteral("folder");
        break;
    case ConfigEnumFilterType::urls:
        type = QStringLiteral("url");
        break;
    }
    if (!type.isEmpty())
        parts.append(clause(QStringLiteral("itemTypeRawValue = %@"), {type}));

    if (!configTableViewSearchString.isEmpty()) {
        const QVariantList text{configTableViewSearchString};
        switch (configTableViewFilterSearchFor) {
        case ConfigEnumFilterSearchFor::name:
            parts.append(clause(QStringLiteral("nameLowercased contains[c] %@"), text));
            break;
        case ConfigEnumFilterSearchFor::tag:
            parts.append(clause(QStringLiteral("any tags contains[c] %@"), text));
            break;
        case ConfigEnumFilterSearchFor::comment:
            parts.append(clause(QStringLiteral("comment contains[c] %@"), text));
            break;
        case ConfigEnumFilterSearchFor::path:
            parts.append(clause(QStringLiteral("path contains[c] %@"), text));
            break;
        }
    }

    parts.append(platform::Predicate::notPredicate(clause(QStringLiteral("itemTypeRawValue = %@"), {QStringLiteral("tag")})));

    const auto predicate = platform::Predicate::andPredicate(parts);
    VLOG(Logger::dataStorageConfigDataFilter(), platform::LogType::Info, "Filter-Predicate: %{public}@",
         predicate->description());

    // Keys are computed once per entry; the sort is stable, so entries with
    // equal keys keep their order from allData in both directions.
    std::vector<std::pair<QString, TableViewItemPtr>> keyed;
    for (const TableViewItemPtr& entry : store_.allData()->snapshot())
        if (entry && predicate->evaluate(*entry))
            keyed.emplace_back(sortKey(*entry), entry);
    const bool descending = configTableViewSortingOrder == ConfigEnumSortingOrder::descending;
    std::stable_sort(keyed.begin(), keyed.end(), [descending](const auto& a, const auto& b) {
        return descending ? codePointLess(b.first, a.first) : codePointLess(a.first, b.first);
    });

    QList<TableViewItemPtr> sorted;
    sorted.reserve(qsizetype(keyed.size()));
    for (auto& [key, entry] : keyed)
        sorted.append(std::move(entry));

    store_.setState(DatastorageState::changingCurrentDataConfig);
    store_.setCurrentDataConfig(EntryArray::create(std::move(sorted)));
}

namespace {

template <class T>
bool store(T& field, const T& value)
{
    if (field == value)
        return false;
    field = value;
    return true;
}

} // namespace

void DataStorageFilterConfigData::setConfigTableViewFilterActive(ConfigEnumFilterActive value)
{
    if (store(configTableViewFilterActive, value))
        applyFilter();
}

void DataStorageFilterConfigData::setConfigTableViewFilterType(ConfigEnumFilterType value)
{
    if (store(configTableViewFilterType, value))
        applyFilter();
}

void DataStorageFilterConfigData::setConfigTableViewFilterSearchFor(ConfigEnumFilterSearchFor value)
{
    if (store(configTableViewFilterSearchFor, value))
        applyFilter();
}

void DataStorageFilterConfigData::setConfigTableViewSearchString(const QString& value)
{
    if (store(configTableViewSearchString, value))
        applyFilter();
}

QString DataStorageFilterConfigData::sortKey(const TableViewItem& entry) const
{
    QString key;
    switch (configTableViewSortingBy) {
    case ConfigEnumSortingBy::name:
        key = entry.nameLowercased().toLower();
        break;
    case ConfigEnumSortingBy::tags: {
        const QStringList tags = entry.tags();
        if (!tags.isEmpty())
            key = tags.first().toLower();
        break;
    }
    case ConfigEnumSortingBy::hotkey:
        if (const auto combo = entry.hotkey())
            key = hotkeyCharacters(*combo).toLower();
        break;
    case ConfigEnumSortingBy::comment:
        key = entry.comment().toLower();
        break;
    }
    return key.isEmpty() ? emptySortKey : key;
}

bool DataStorageFilterConfigData::compareEntries(const TableViewItem& a, const TableViewItem& b) const
{
    const QString keyA = sortKey(a);
    const QString keyB = sortKey(b);
    if (keyA == keyB)
        return false;
    return configTableViewSortingOrder == ConfigEnumSortingOrder::ascending ? codePointLess(keyA, keyB)
                                                                             : codePointLess(keyB, keyA);
}

} // namespace vantel
