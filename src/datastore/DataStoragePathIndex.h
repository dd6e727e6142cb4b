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
// The store's own writes keep it in step (didAppend, didRemove), each told
// right after the one list write it made. Any other write to the list moves
// the list's revision past what the index has seen and is answered by one
// rebuild at the next lookup; a changed path is noticed by the entry's
// "tableViewItemChanged" notification, and a hit whose path no longer
// matches by checking it. Any thread: a mutex guards it.
class DataStoragePathIndex {
public:
    using EntryList = SynchronizedArray<TableViewItemPtr>;

    explicit DataStoragePathIndex(std::shared_ptr<EntryList> entries);
    ~DataStoragePathIndex();
    DataStoragePathIndex(const DataStoragePathIndex&) = delete;
    DataStoragePathIndex& operator=(const DataStoragePathIndex&) = delete;

    // The first entry of the list whose lower-cased path is the path's.
    TableViewItemPtr entryForPath(const QString& path);
    // After the entries were appended to the list in one write.
    void didAppend(const QList<TableViewItemPtr>& entries);
    // After the entry was removed from the list in one write.
    void didRemove(const TableViewItemPtr& entry);
    // The next lookup rebuilds.
    void invalidate();
    // How often the index was built from the whole list; for tests.
    int rebuildCount() const;

private:
    // Mutex held.
    void rebuildIfNeeded();
    void insertFirst(const TableViewItemPtr& entry);
    // Mutex held. Whether the list's last write is the store's, told now:
    // then the index follows it, otherwise the next lookup rebuilds.
    bool followsOneWrite();

    const std::shared_ptr<EntryList> entries_;
    platform::ObserverToken pathObserver_;
    mutable std::mutex mutex_;
    QHash<QString, TableViewItemPtr> byPath_;
    quint64 seenRevision_ = 0; // the list's revision the index matches
    bool valid_ = false;
    bool hasRepeats_ = false; // some path is held by more than one entry
    int rebuilds_ = 0;
};

} // namespace vantel
