#pragma once

#include "platform/MetadataItem.h"
#include "platform/NotificationCenter.h"
#include "platform/Predicate.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <chrono>
#include <memory>

namespace vantel::platform {

class MetadataQueryWatcher;

// A live query over the index of desktop entries: the applications found in
// the search scopes, in path order, that the predicate accepts. The predicate
// reads the items' attributes; `kMDItemContentType ==
// 'com.apple.application-bundle'` accepts every application.
//
// start() returns at once; the scan runs on a worker and its results are
// swapped in on the main thread. The watches are set up on the worker too:
// what the main thread does per start or change is constant, or per result. The notifications go to the default
// notification centre with this query as object (MetadataQuery*) and sender,
// always from the main event loop, never inside start():
// didStartGathering, then gatheringProgress after scopes that found
// applications (as the scan reports them), then
// didFinishGathering; afterwards didUpdate when the results change. Changes
// are seen through one inotify watch on each scope folder and subfolder (not
// on each file), collected for notificationBatchingInterval, and delivered
// while the query is started and its updates are enabled (held back while
// disabled). A scope that goes away is awaited: the query searches again
// when it comes back (its parent folder names it again, or a volume is
// mounted or unmounted at or above it). The results leave out what the desktop's menus hide: NoDisplay
// entries and those that OnlyShowIn/NotShowIn keep from the desktops of
// $XDG_CURRENT_DESKTOP. Main thread only.
class MetadataQuery {
public:
    static inline const QString didStartGatheringNotification = QStringLiteral("NSMetadataQueryDidStartGatheringNotification");
    static inline const QString gatheringProgressNotification = QStringLiteral("NSMetadataQueryGatheringProgressNotification");
    static inline const QString didFinishGatheringNotification = QStringLiteral("NSMetadataQueryDidFinishGatheringNotification");
    static inline const QString didUpdateNotification = QStringLiteral("NSMetadataQueryDidUpdateNotification");

    MetadataQuery();
    ~MetadataQuery();
    MetadataQuery(const MetadataQuery&) = delete;
    MetadataQuery& operator=(const MetadataQuery&) = delete;

    // nullptr clears it. Takes effect at the next start().
    void setPredicate(std::shared_ptr<const Predicate> predicate);
    std::shared_ptr<const Predicate> predicate() const;

    // Folders to search; an empty list means the default scopes. Takes
    // effect at the next start().
    void setSearchScopes(const QStringList& scopes);
    QStringList searchScopes() const;
    // The XDG application folders that exist, in precedence order.
    static QStringList defaultSearchScopes();

    void setNotificationBatchingInterval(std::chrono::milliseconds interval);
    std::chrono::milliseconds notificationBatchingInterval() const;

    // False when already started or without a predicate.
    bool start();
    // Ends gathering and updates; the results stay readable.
    void stop();
    void enableUpdates();
    void disableUpdates();

    bool isStarted() const;
    bool isGathering() const;
    bool isStopped() const;

    int resultCount() const;
    // An empty item for an index out of range.
    MetadataItem resultAt(int index) const;
    QList<MetadataItem> results() const;

    // The inotify watches the query holds now: one per folder searched, up
    // to the watch budget.
    int watchCount() const;

    // The most folders a scan searches over all scopes together
    // (DesktopEntryIndex::maximumDirectories unless set). Takes effect at the
    // next scan.
    void setFolderBudget(int folders);
    int folderBudget() const;
    // The most inotify watches the query holds (MetadataQueryWatcher's
    // default unless set). Takes effect at the next scan.
    void setWatchBudget(int watches);
    int watchBudget() const;
    // Folders searched but not watched (past the watch budget, or past the
    // system's limit) send no events: while there are any, they alone are
    // looked at again after this interval, a minute unless set (at once for
    // a timer running), and the scopes searched again only when one of them
    // or a desktop file in it changed since the scan. With every folder
    // watched no timer runs.
    void setUnwatchedRescanInterval(std::chrono::milliseconds interval);
    bool hasUnwatchedFolders() const;
    // The scans run: one per start, then one per batch of changes.
    int scanCount() const;
    // The looks at the unwatched folders.
    int unwatchedCheckCount() const;

private:
    void post(const QString& name);
    void rescanUnwatched(bool on);
    void checkUnwatched();
    void volumeChanged(const Notification& notification);
    void runPendingUpdate();

    struct State;
    std::unique_ptr<State> state_;
};

} // namespace vantel::platform
