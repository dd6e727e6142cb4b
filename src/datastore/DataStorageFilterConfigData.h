#pragma once

#include <QList>
#include <QString>

#include <cstdint>
#include <memory>

namespace vantel {

class DataStorage;
class TableViewItem;
namespace platform {
class Predicate;
}

enum class ConfigEnumFilterActive : std::uint8_t { all, activeOnly, inactiveOnly };
enum class ConfigEnumFilterType : std::uint8_t { all, applications, files, folders, urls };
enum class ConfigEnumFilterSearchFor : std::uint8_t { name, tag, comment, path };
enum class ConfigEnumSortingBy : std::uint8_t { name, tags, hotkey, comment };
enum class ConfigEnumSortingOrder : std::uint8_t { ascending, descending };

// Every case, in the order the configuration window shows them.
QList<ConfigEnumFilterActive> allConfigEnumFilterActive();
QList<ConfigEnumFilterType> allConfigEnumFilterType();
QList<ConfigEnumFilterSearchFor> allConfigEnumFilterSearchFor();
QList<ConfigEnumSortingBy> allConfigEnumSortingBy();
QList<ConfigEnumSortingOrder> allConfigEnumSortingOrder();

// Computes the configuration window's list (DataStorage::currentDataConfig):
// hidden entries too, filtered by visibility, kind and a search in one field,
// sorted by one of four keys in either direction. Tag entries never show.
class DataStorageFilterConfigData {
public:
    explicit DataStorageFilterConfigData(DataStorage& store);
    DataStorageFilterConfigData(const DataStorageFilterConfigData&) = delete;
    DataStorageFilterConfigData& operator=(const DataStorageFilterConfigData&) = delete;

    // The key that stands in for an empty one, so that entries without the
    // key sort after the others in ascending order.
    static const QString emptySortKey;

    ConfigEnumFilterActive configTableViewFilterActive = ConfigEnumFilterActive::all;
    ConfigEnumFilterType configTableViewFilterType = ConfigEnumFilterType::all;
    ConfigEnumFilterSearchFor configTableViewFilterSearchFor = ConfigEnumFilterSearchFor::name;
    QString configTableViewSearchString;
    ConfigEnumSortingBy configTableViewSortingBy = ConfigEnumSortingBy::name;
    ConfigEnumSortingOrder configTableViewSortingOrder = ConfigEnumSortingOrder::ascending;

    void applyFilter();

    // The four fields the data window writes: each re-applies the filter
    // when, and only when, the new value differs from the stored one.
    void setConfigTableViewFilterActive(ConfigEnumFilterActive value);
    void setConfigTableViewFilterType(ConfigEnumFilterType value);
    void setConfigTableViewFilterSearchFor(ConfigEnumFilterSearchFor value);
    void setConfigTableViewSearchString(const QString& value);

    // Whether a comes before b in the current order: by the key, equal keys
    // of another field than the name by name (ascending in both directions);
    // entries equal in both answer false.
    bool compareEntries(const TableViewItem& a, const TableViewItem& b) const;
    // The sort key of an entry for the current sort field.
    QString sortKey(const TableViewItem& entry) const;
    static QString nameSortKey(const TableViewItem& entry);

private:
    // The name sort, from the order the main list's filter keeps.
    void applyByName(const platform::Predicate& predicate, bool onlyTagsExcluded);

    DataStorage& store_;
};

} // namespace vantel
