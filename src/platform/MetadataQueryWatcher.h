#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

class QSocketNotifier;

namespace vantel::platform {

// Watches folders, not files, for what a query over desktop entries must see:
// a file created, written, renamed, deleted or changed in its attributes
// directly inside a watched folder, and the folder itself going away. One
// inotify watch per folder, whatever the number of files in it. A folder
// awaited because it is missing is watched through its nearest existing
// ancestor, which reports only what could bring it back: the name leading to
// it appearing, or the ancestor itself going.
//
// The system allows each user few watches in all, shared with every other
// program (often 8,192): a watcher holds at most its watch budget, by default
// a tenth of that limit and never more than 20,000. Folders past it are left
// unwatched and said so; their owner searches them again now and then.
//
// Made, listened to and destroyed on the main thread: its event loop reads
// the events and `changed` runs there; it says only that something changed.
// setFolders and renew, which make one system call per folder, may run on
// another thread, one call at a time: the main thread then only swaps the
// finished tables in, under a lock it holds for a moment. A watcher shared
// with such a thread is told stopListening() on the main thread before the
// main thread lets go of it.
class MetadataQueryWatcher {
public:
    explicit MetadataQueryWatcher(std::function<void()> changed);
    ~MetadataQueryWatcher();
    MetadataQueryWatcher(const MetadataQueryWatcher&) = delete;
    MetadataQueryWatcher& operator=(const MetadataQueryWatcher&) = delete;

    struct Outcome {
        // Not watched: gone, not a folder, unreadable, or the system's limit reached.
        QStringList failed;
        // Left unwatched by the watch budget.
        qsizetype beyondBudget = 0;
        // Of the failed, those the system's limit refused: they may be
        // watched later, the others not.
        qsizetype overSystemLimit = 0;
        // The folders and awaited paths given that hold no watch now (past
        // the budget, refused by the system, gone): what sends no events.
        QStringList unwatched;
        // Folders there that send no events until watched.
        bool leftUnwatched() const { return beyondBudget > 0 || overSystemLimit > 0; }
    };

    // Watches exactly these folders from now on, as far as the budget goes
    // in the order given, and awaits the return of the `awaited` ones: new
    // ones are added, those no longer named are dropped. An awaited folder
    // that exists already by the time its ancestor is watched counts as a
    // change (told on the main thread).
    Outcome setFolders(const QStringList& folders, const QStringList& awaited = {});
    QStringList folders() const;
    // Watches the same paths afresh: after a mount a path names another
    // folder than the one its watch holds.
    void renew();
    // Main thread: no `changed` from now on.
    void stopListening();
    // The inotify watches held now for folders.
    int watchCount() const;

    int watchBudget() const { return watchBudget_.load(); }
    // Takes effect at the next setFolders.
    void setWatchBudget(int watches) { watchBudget_.store(std::max(watches, 0)); }
    // A tenth of the user's limit, at most 20,000.
    static int defaultWatchBudget();
    // The same from a file that reads like /proc/sys/fs/inotify/max_user_watches.
    static int watchBudgetFrom(const QString& limitFile);

private:
    struct Listener {
        std::function<void()> changed;
    };

    void readEvents();
    // Watches the ancestors that lead to the awaited folders, within
    // `budget` new watches; answers whether one of them exists already.
    bool await(const QStringList& awaited, QHash<int, QSet<QString>>& names, const QHash<int, QStringList>& folders,
               qsizetype& budget, Outcome& outcome) const;

    int fd_ = -1;
    std::atomic<int> watchBudget_;
    // Main thread only.
    std::unique_ptr<QSocketNotifier> notifier_;
    // Under mutex_: a setFolders on a worker reads it as the main thread stops listening.
    std::shared_ptr<Listener> listener_;

    // One setFolders or renew at a time.
    std::mutex settingMutex_;
    // Guards the tables below, which setFolders swaps in whole and the
    // main thread's event reading looks up and prunes.
    mutable std::mutex mutex_;
    QHash<QString, int> byPath_;
    // Two paths of one folder (a bind mount, a linked scope) share a watch.
    QHash<int, QStringList> byDescriptor_;
    // Ancestors of awaited folders: the child names that lead to them.
    QHash<int, QSet<QString>> awaitedNames_;
    QStringList awaited_;
    // Watches the system dropped (their folder went) since setFolders took
    // its copy of the tables: pruned from the tables it swaps in.
    QSet<int> dropped_;
};

} // namespace vantel::platform
