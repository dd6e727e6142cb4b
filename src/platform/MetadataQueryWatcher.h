#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QSocketNotifier;

namespace vantel::platform {

// Watches folders, not files, for what a query over desktop entries must see:
// a file created, written, renamed, deleted or changed in its attributes
// directly inside a watched folder, and the folder itself going away. One
// inotify watch per folder, whatever the number of files in it (the system
// allows few watches in all: often 8,192). A folder awaited because it is
// missing is watched through its nearest existing ancestor, which reports
// only what could bring it back: the name leading to it appearing, or the
// ancestor itself going. `changed` runs on the thread that owns the
// watcher's event loop; it says only that something changed.
// Main thread only.
class MetadataQueryWatcher {
public:
    explicit MetadataQueryWatcher(std::function<void()> changed);
    ~MetadataQueryWatcher();
    MetadataQueryWatcher(const MetadataQueryWatcher&) = delete;
    MetadataQueryWatcher& operator=(const MetadataQueryWatcher&) = delete;

    // Watches exactly these folders from now on, and awaits the return of
    // the `awaited` ones: new ones are added, those no longer named are
    // dropped. Answers the folders that could not be watched (gone, not a
    // folder, or the system's limit reached). An awaited folder that exists
    // already by the time its ancestor is watched counts as a change.
    QStringList setFolders(const QStringList& folders, const QStringList& awaited = {});
    QStringList folders() const { return byPath_.keys(); }
    // Watches the same paths afresh: after a mount a path names another
    // folder than the one its watch holds.
    void renew();
    // The inotify watches held now.
    int watchCount() const { return int(byDescriptor_.size()); }

private:
    void readEvents();
    // Removes the watch unless a watched or an awaiting folder still holds it.
    void release(int descriptor);
    // Answers whether one of the awaited folders exists already.
    bool await(const QStringList& awaited);

    std::function<void()> changed_;
    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    QHash<QString, int> byPath_;
    // Two paths of one folder (a bind mount, a linked scope) share a watch.
    QHash<int, QStringList> byDescriptor_;
    // Ancestors of awaited folders: the child names that lead to them.
    QHash<int, QSet<QString>> awaitedNames_;
    QStringList awaited_;
};

} // namespace vantel::platform
