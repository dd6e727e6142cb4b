#pragma once

#include "model/SynchronizedArray.h"
#include "model/TableViewItem.h"

#include <QString>

namespace vantel {

// Opens every visible, reachable entry that carries a tag, guarding against
// opening too many at once: up to 14 open directly, 15 to 30 after a
// confirmation, more are refused.
class LaunchAllEntriesOfTag {
public:
    static constexpr qsizetype maximumWithoutQuestion = 14;
    static constexpr qsizetype maximumEntries = 30;

    static QString predicateFormat();

    // Selects from the data store's entries.
    static void launchAllEntriesOfTag(const QString& tagName);
    // Selects from the given entries.
    static void launchAllEntriesOfTag(const QString& tagName, const SynchronizedArray<TableViewItemPtr>& allData);

    // The entries of the tag that would be launched, in list order.
    static SynchronizedArray<TableViewItemPtr>::Ptr selection(const QString& tagName,
                                                              const SynchronizedArray<TableViewItemPtr>& allData);
};

} // namespace vantel
