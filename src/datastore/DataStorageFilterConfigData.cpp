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

    const bool onlyTagsExcluded = parts.size() == 1;
    const auto predicate = platform::Predicate::andPredicate(parts);
    VLOG(Logger::dataStorageConfigDataFilter(), platform::LogType::Info, "Filter-Predicate: %{public}@",
         predicate->description());
    if (configTableViewSortingBy == ConfigEnumSortingBy::name) {
        applyByName(*predicate, onlyTagsExcluded);
        return;
    }

    // Keys are computed once per entry. Equal keys go by name (ascending in
    // both directions), then keep their order from allData.
    struct Keyed {
        QString key;
        QString name;
        TableViewItemPtr entry;
    };
    std::vector<Keyed> keyed;
    for (const TableViewItemPtr& entry : store_.allData()->snapshot())
        if (entry && predicate->evaluate(*entry))
            keyed.push_back({sortKey(*entry), nameSortKey(*entry), entry});
    const bool descending = configTableViewSortingOrder == ConfigEnumSortingOrder::descending;
    std::stable_sort(keyed.begin(), keyed.end(), [descending](const Keyed& a, const Keyed& b) {
        const int byKey = descending ? compareCodePoints(b.key, a.key) : compareCodePoints(a.key, b.key);
        return byKey < 0 || (byKey == 0 && codePointLess(a.name, b.name));
    });

    QList<TableViewItemPtr> sorted;
    sorted.reserve(qsizetype(keyed.size()));
    for (Keyed& each : keyed)
        sorted.append(std::move(each.entry));

    store_.setState(DatastorageState::changingCurrentDataConfig);
    store_.setCurrentDataConfig(EntryArray::create(std::move(sorted)));
}

void DataStorageFilterConfigData::applyByName(const platform::Predicate& predicate, bool onlyTagsExcluded)
{
    // The order the main list's filter keeps is the stable order by the
    // lower-cased name: for the entries whose key is that name it is already
    // the order a stable sort by key gives, and only the others are sorted.
    using Order = DataStorageFilterCurrentData::NameOrder;
    const Order& order = store_.filterCurrentData().nameOrder();
    const std::size_t count = std::size_t(order.entries.size());
    std::vector<char> passing(count, 0);
    if (onlyTagsExcluded) {
        // "NOT itemTypeRawValue = 'tag'", from the flags kept with the order.
        for (std::size_t i = 0; i < count; ++i)
            passing[i] = order.entries.at(qsizetype(i)) && !(order.flags[i] & Order::tagFlag);
    } else {
        // Asked in the order of allData, close to the order the entries lie
        // in memory.
        const std::vector<qsizetype>& positionOf = order.positionsInAllDataOrder();
        for (qsizetype a = 0; a < order.allDataOrder.size(); ++a) {
            const TableViewItemPtr& entry = order.allDataOrder.at(a);
            if (entry && predicate.evaluate(*entry))
                passing[std::size_t(positionOf[std::size_t(a)])] = 1;
        }
    }

    // Entries without a name (whose key sorts them late) or whose name
    // lower-cases further get a key of their own and are merged in.
    struct Own {
        QString key;
        qsizetype allDataPosition;
        qsizetype position;
    };
    std::vector<qsizetype> plain;
    plain.reserve(count);
    std::vector<Own> own;
    for (std::size_t i = 0; i < count; ++i) {
        if (!passing[i])
            continue;
        if (order.flags[i] & Order::plainNameFlag)
            plain.push_back(qsizetype(i));
        else
            own.push_back({sortKey(*order.entries.at(qsizetype(i))), order.allDataPositions[i], qsizetype(i)});
    }
    // Equal keys keep the order of allData, as in the stable sort.
    const auto before = [](QStringView keyA, qsizetype a, QStringView keyB, qsizetype b) {
        const int compared = compareCodePoints(keyA, keyB);
        return compared < 0 || (compared == 0 && a < b);
    };
    std::sort(own.begin(), own.end(), [&](const Own& a, const Own& b) {
        return before(a.key, a.allDataPosition, b.key, b.allDataPosition);
    });
    const auto plainKey = [&](qsizetype i) { return order.sortNameAt(std::size_t(i)); };
    std::vector<qsizetype> positions;
    std::vector<QStringView> keys;
    positions.reserve(plain.size() + own.size());
    keys.reserve(plain.size() + own.size());
    std::size_t next = 0;
    for (const qsizetype i : plain) {
        const QStringView key = plainKey(i);
        const qsizetype allDataPosition = order.allDataPositions[std::size_t(i)];
        for (; next < own.size() && before(own[next].key, own[next].allDataPosition, key, allDataPosition); ++next) {
            positions.push_back(own[next].position);
            keys.push_back(own[next].key);
        }
        positions.push_back(i);
        keys.push_back(key);
    }
    for (; next < own.size(); ++next) {
        positions.push_back(own[next].position);
        keys.push_back(own[next].key);
    }
    if (configTableViewSortingOrder == ConfigEnumSortingOrder::descending) {
        // Keys from the greatest; equal keys still in the order of allData.
        std::reverse(positions.begin(), positions.end());
        std::reverse(keys.begin(), keys.end());
        for (std::size_t first = 0; first < keys.size();) {
            std::size_t last = first + 1;
            while (last < keys.size() && keys[last] == keys[first])
                ++last;
            std::reverse(positions.begin() + qsizetype(first), positions.begin() + qsizetype(last));
            first = last;
        }
    }

    auto sorted = EntryArray::create(DataStorageFilterCurrentData::entriesAt(order, positions));
    store_.setState(DatastorageState::changingCurrentDataConfig);
    if (order.distinct)
        store_.setDistinctCurrentDataConfig(std::move(sorted));
    else
        store_.setCurrentDataConfig(std::move(sorted));
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

QString DataStorageFilterConfigData::nameSortKey(const TableViewItem& entry)
{
    const QString key = entry.nameLowercased().toLower();
    return key.isEmpty() ? emptySortKey : key;
}

QString DataStorageFilterConfigData::sortKey(const TableViewItem& entry) const
{
    QString key;
    switch (configTableViewSortingBy) {
    case ConfigEnumSortingBy::name:
        return nameSortKey(entry);
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
        return configTableViewSortingBy != ConfigEnumSortingBy::name && codePointLess(nameSortKey(a), nameSortKey(b));
    return configTableViewSortingOrder == ConfigEnumSortingOrder::ascending ? codePointLess(keyA, keyB)
                                                                             : codePointLess(keyB, keyA);
}

} // namespace vantel
