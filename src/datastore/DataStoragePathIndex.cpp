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
    // The count is read before the list, so a write landing in between
    // leaves them apart and the next lookup builds again.
    const qsizetype count = entries_->count();
    if (valid_ && count == expectedCount_)
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
    expectedCount_ = count;
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

void DataStoragePathIndex::didAppend(const TableViewItemPtr& entry)
{
    std::lock_guard lock(mutex_);
    if (!valid_)
        return;
    ++expectedCount_;
    if (!entry)
        return;
    insertFirst(entry);
}

void DataStoragePathIndex::didRemove(const TableViewItemPtr& entry)
{
    std::lock_guard lock(mutex_);
    if (!valid_)
        return;
    --expectedCount_;
    if (!entry)
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
