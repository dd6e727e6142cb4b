#pragma once

#include "platform/DesktopEntry.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <mutex>
#include <optional>

namespace vantel::platform {

// An application found by a scan: the file, its desktop ID and the entry.
struct IndexedApplication {
    QString path;
    QString desktopId;
    QString scope;
    DesktopEntry entry;
};

// Scans folders of desktop entries for applications, following the
// desktop-ID rules: the ID is the path below the scope folder with '/' made
// '-'; the first scope that holds an ID decides it, so an earlier copy shadows
// later ones and an earlier Hidden=true hides the ID altogether. Links to
// folders are followed; each folder (by device and inode) is searched once,
// through the first path that reaches it in scope order (the scopes searched
// one after the other, breadth first), so a link loop ends. A damaged file
// claims no ID; it is logged and skipped, and a file that was good in an
// earlier scan keeps its last good state while it exists, so a half-written
// file never drops an application.
//
// Keeps parsed files between scans and re-reads only files whose size or
// modification time changed; of each it keeps the keys in keptKeys, in the
// messages locale of the scan. A scan forgets only files below its own
// scopes, so scans of other folders keep theirs. Not thread-safe: one owner,
// one thread at a time, or scanShared.
class DesktopEntryIndex {
public:
    struct Result {
        // The launchable applications (DesktopEntry::isLaunchableApplication),
        // sorted by path; NoDisplay entries and those of other desktops too.
        QList<IndexedApplication> applications;
        // Every folder searched, in the order searched: the desktop's
        // application folders whole, then every other scope's own folder,
        // then those scopes' subfolders in turns.
        QStringList directories;
        QStringList files;                      // every desktop file seen
        bool directoryLimitReached = false;     // some scope was cut short
    };

    // The main group's keys an indexed entry answers (with their localized
    // variants for the messages locale): everything else is dropped once read.
    static const QStringList keptKeys;

    // Folders deeper than this below a scope are not searched.
    static constexpr int maximumDepth = 8;
    // The most folders one scan searches. The desktop's own application
    // folders ($XDG_DATA_HOME/applications and each of $XDG_DATA_DIRS) are
    // searched whole first, to the depth limit, as the desktop's menus read
    // them: they hold tens of folders. The other scopes share what is left:
    // each its own folder always, then one folder per scope in turns, each
    // scope breadth first, until the scope ends or the budget does; so a
    // small scope beside huge ones is searched whole, and many scopes
    // cannot add up without end. A scope cut short is logged once per scan.
    // A folder searched and watched costs tens of microseconds, mostly in
    // the kernel (its listing, and the watch marking each of its
    // subfolders), and a start over 200 scopes of 5,000 folders came to
    // three to four times a start over one at 5,000 in all: 4,000 keeps it
    // within about three times, with every folder watched where the system
    // allows each user 40,000 watches or more.
    static constexpr int maximumDirectories = 4000;

    // `scopeDone` runs after a scope that found applications, with all found
    // so far in path order; past the first eight, once they grew by an eighth.
    // `directoryBudget` replaces maximumDirectories (tests use small ones).
    Result scan(const QStringList& scopes,
                const std::function<void(const QList<IndexedApplication>&)>& scopeDone = {},
                int directoryBudget = maximumDirectories);
    // The same on the one index of the process, under its lock: discovery
    // and the running-applications check read and keep each file once.
    static Result scanShared(const QStringList& scopes,
                             const std::function<void(const QList<IndexedApplication>&)>& scopeDone = {},
                             int directoryBudget = maximumDirectories);
    // Empties the shared index, as a new process finds it (a benchmark's cold start).
    static void forgetShared();

    // The existing application folders of the XDG data directories, in
    // precedence order: $XDG_DATA_HOME/applications, then each of
    // $XDG_DATA_DIRS/applications.
    static QStringList defaultApplicationFolders();

private:
    struct Cached {
        // What tells a changed file apart: replaced files get a new inode,
        // rewritten ones a new time or size.
        qint64 modifiedNs = -1;
        qint64 size = -1;
        quint64 inode = 0;
        std::optional<DesktopEntry> entry; // the last good parse
        // Handed out by every scan, so that all holders share one string.
        QString desktopId;
    };

    static std::mutex& sharedMutex();
    static DesktopEntryIndex& sharedIndex();
    // `path` becomes the cache's own copy of it.
    const DesktopEntry* entryFor(QString& path);

    QHash<QString, Cached> cache_;
};

} // namespace vantel::platform
