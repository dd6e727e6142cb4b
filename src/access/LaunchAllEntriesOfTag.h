#pragma once

#include "model/SynchronizedArray.h"
#include "model/TableViewItem.h"

#include <QString>

#include <functional>

namespace vantel {

// Opens every visible, reachable entry that carries a tag, guarding against
// opening too many at once: up to 14 open directly, 15 to 30 after a
// confirmation, more are refused. A visible entry of the tag whose file or
// folder is gone is not counted and not opened, but told, as opening it
// alone would tell it, whenever the others are launched (none among them).
class LaunchAllEntriesOfTag {
public:
    static constexpr qsizetype maximumWithoutQuestion = 14;
    static constexpr qsizetype maximumEntries = 30;

    static QString predicateFormat();

    // Selects from the data store's entries, which come through the source
    // the launch sequence sets: the store lies above this layer. Without a
    // source nothing is launched.
    static void launchAllEntriesOfTag(const QString& tagName);
    using AllDataSource = std::function<SynchronizedArray<TableViewItemPtr>::Ptr()>;
    static void setAllDataSource(AllDataSource source);
    // Selects from the given entries.
    static void launchAllEntriesOfTag(const QString& tagName, const SynchronizedArray<TableViewItemPtr>& allData);

    // The entries of the tag that would be launched, in list order.
    static SynchronizedArray<TableViewItemPtr>::Ptr selection(const QString& tagName,
                                                              const SynchronizedArray<TableViewItemPtr>& allData);

private:
    // The entries of the tag matched by `format` (the tag name its argument).
    static SynchronizedArray<TableViewItemPtr>::Ptr matching(const QString& format, const QString& tagName,
                                                             const SynchronizedArray<TableViewItemPtr>& allData);
};

} // namespace vantel
