#include "datastore/DataStoragePathIndex.h"

#include "model/TableViewItemChangedNotifyObject.h"

namespace vantel {

DataStoragePathIndex::DataStoragePathIndex(std::shared_ptr<EntryList> entries)
    : entries_(std::move(entries))
{
    pathObserver_ = platform::NotificationCenter::defaultCenter().addObserver(
        QStringLiteral("tableViewItemChanged"), [this](const platform::Notification& notification) {
            const auto* change = std::any_cast<TableViewItemChangedNotifyObject>(&notification.object);
            if (change && change->reason == TableViewItemChangeReason::pathChanged)
                invalidate();
        });
}

DataStoragePathIndex::~DataStoragePathIndex()
{
    pathObserver_.reset();
}

void DataStoragePathIndex::rebuildIfNeeded()
{
    // The revision is read before the list, so a write landing in between
    // leaves them apart and the next lookup builds again.
    const quint64 revision = entries_->revision();
    if (valid_ && revision == seenRevision_)
        return;
    const QList<TableViewItemPtr> entries = entries_->snapshot();
    byPath_.clear();
    byPath_.reserve(entries.size());
    hasRepeats_ = false;
    for (const TableViewItemPtr& entry : entries) {
        if (!entry)
            continue;
        insertFirst(entry);
    }
    seenRevision_ = revision;
    valid_ = true;
    ++rebuilds_;
}

void DataStoragePathIndex::insertFirst(const TableViewItemPtr& entry)
{
    TableViewItemPtr& slot = byPath_[entry->pathLowercased()];
    if (slot)
        hasRepeats_ = true;
    else
        slot = entry;
}

TableViewItemPtr DataStoragePathIndex::entryForPath(const QString& path)
{
    const QString lowered = path.toLower();
    std::lock_guard lock(mutex_);
    rebuildIfNeeded();
    TableViewItemPtr found = byPath_.value(lowered);
    if (found && found->pathLowercased() != lowered) {
        valid_ = false;
        rebuildIfNeeded();
        found = byPath_.value(lowered);
    }
    return found;
}

bool DataStoragePathIndex::followsOneWrite()
{
    // A write held back behind a read on this thread has not landed yet, and
    // another thread's write may have come in between: both rebuild.
    if (valid_ && entries_->revision() == seenRevision_ + 1) {
        ++seenRevision_;
        return true;
    }
    valid_ = false;
    return false;
}

void DataStoragePathIndex::didAppend(const QList<TableViewItemPtr>& entries)
{
    std::lock_guard lock(mutex_);
    if (!followsOneWrite())
        return;
    for (const TableViewItemPtr& entry : entries) {
        if (entry)
            insertFirst(entry);
    }
}

void DataStoragePathIndex::didRemove(const TableViewItemPtr& entry)
{
    std::lock_guard lock(mutex_);
    if (!followsOneWrite() || !entry)
        return;
    const auto found = byPath_.constFind(entry->pathLowercased());
    if (found == byPath_.constEnd() || *found != entry)
        return;
    // Another entry of the same path may now come first: the list decides.
    if (hasRepeats_)
        valid_ = false;
    else
        byPath_.erase(found);
}

void DataStoragePathIndex::invalidate()
{
    std::lock_guard lock(mutex_);
    valid_ = false;
}

int DataStoragePathIndex::rebuildCount() const
{
    std::lock_guard lock(mutex_);
    return rebuilds_;
}

} // namespace vantel
