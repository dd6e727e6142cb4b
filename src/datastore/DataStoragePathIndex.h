#pragma once

#include "model/SynchronizedArray.h"
#include "model/TableViewItem.h"
#include "platform/NotificationCenter.h"

#include <QHash>
#include <QString>

#include <mutex>

namespace vantel {

// The first entry of the store's list for each lower-cased path, so that a
// lookup by path costs a hash lookup instead of a walk of the list.
//
// The store's own writes keep it in step (didAppend, didRemove). A write that
// goes past them is noticed at the next lookup and answered by one rebuild
// from the list: an append or removal straight on the list by the changed
// count, a changed path by the entry's "tableViewItemChanged" notification,
// and a hit whose path no longer matches by checking it. What it cannot see
// is a direct write that removes and adds as many entries between two
// lookups; such a writer calls invalidate(). Any thread: a mutex guards it.
class DataStoragePathIndex {
public:
    using EntryList = SynchronizedArray<TableViewItemPtr>;

    explicit DataStoragePathIndex(std::shared_ptr<EntryList> entries);
    ~DataStoragePathIndex();
    DataStoragePathIndex(const DataStoragePathIndex&) = delete;
    DataStoragePathIndex& operator=(const DataStoragePathIndex&) = delete;

    // The first entry of the list whose lower-cased path is the path's.
    TableViewItemPtr entryForPath(const QString& path);
    // After the entry was appended to the list.
    void didAppend(const TableViewItemPtr& entry);
    // After the entry was removed from the list.
    void didRemove(const TableViewItemPtr& entry);
    // The next lookup rebuilds.
    void invalidate();
    // How often the index was built from the whole list; for tests.
    int rebuildCount() const;

private:
    // Mutex held.
    void rebuildIfNeeded();
    void insertFirst(const TableViewItemPtr& entry);

    const std::shared_ptr<EntryList> entries_;
    platform::ObserverToken pathObserver_;
    mutable std::mutex mutex_;
    QHash<QString, TableViewItemPtr> byPath_;
    qsizetype expectedCount_ = 0; // the list's length after the writes the index was told of
    bool valid_ = false;
    bool hasRepeats_ = false; // some path is held by more than one entry
    int rebuilds_ = 0;
};

} // namespace vantel
