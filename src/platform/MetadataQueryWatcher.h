#pragma once

#include <QHash>
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
// allows few watches in all: often 8,192). `changed` runs on the thread that
// owns the watcher's event loop; it says only that something changed.
// Main thread only.
class MetadataQueryWatcher {
public:
    explicit MetadataQueryWatcher(std::function<void()> changed);
    ~MetadataQueryWatcher();
    MetadataQueryWatcher(const MetadataQueryWatcher&) = delete;
    MetadataQueryWatcher& operator=(const MetadataQueryWatcher&) = delete;

    // Watches exactly these folders from now on: new ones are added, those
    // no longer named are dropped. Answers the folders that could not be
    // watched (gone, not a folder, or the system's limit reached).
    QStringList setFolders(const QStringList& folders);
    QStringList folders() const { return byPath_.keys(); }
    // The inotify watches held now.
    int watchCount() const { return int(byDescriptor_.size()); }

private:
    void readEvents();

    std::function<void()> changed_;
    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    QHash<QString, int> byPath_;
    // Two paths of one folder (a bind mount, a linked scope) share a watch.
    QHash<int, QStringList> byDescriptor_;
};

} // namespace vantel::platform
