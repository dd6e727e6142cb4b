#pragma once

#include "graphics/IconCacheObject.h"
#include "model/TableViewItem.h"
#include "platform/NotificationCenter.h"

#include <QDateTime>
#include <QHash>
#include <QIcon>
#include <QList>
#include <QString>
#include <QUrl>

#include <memory>
#include <optional>
#include <shared_mutex>
#include <utility>

namespace vantel {

// The image each entry shows in the lists and the entry popover: a symbol by
// URL prefix for URL entries, the tag's symbol tinted in its colour for tag
// entries, and for files, folders and applications an IconCacheObject kept
// in memory per file URL (the workspace icon, then a thumbnail for local
// images and PDF files).
//
// One shared instance for the whole process. getIcon() and the per-entry
// verification run on the main thread and never wait: thumbnails are made on
// workers and show up on a later paint. The map of objects may be read from
// any thread (a shared lock; writes take it exclusively). After
// "dataStorageRebuildIsFinished" the entries are verified, at most once per
// 300 seconds and only while the store is idle, each in its own main-queue
// block so the main loop stays responsive.
class IconCache {
public:
    static IconCache& shared();

    IconCache(const IconCache&) = delete;
    IconCache& operator=(const IconCache&) = delete;

    // Absent or true: the 48 by 48 image; false: the 32 by 32 one. An entry
    // that cannot be used shows the "unkownObject" image.
    QIcon getIcon(const TableViewItemPtr& entry, std::optional<bool> largeIcon = std::nullopt);
    // Whether that image is one of the bundle's single-colour symbols (a
    // URL's scheme, the entry that cannot be used) rather than a picture of
    // the entry's own: drawn in the colour of the text beside it.
    static bool givesSymbol(const TableViewItem& entry);

    // The "unkownObject" image, loaded on first use.
    QIcon customIconUnkownObject();
    // The "url_Custom" image, loaded on first use.
    QIcon customIconDefaultURL();

    // Empties the cache (the rebuild-data command); objects are made again
    // on the next getIcon or verification.
    void removeAllObjects();
    qsizetype objectCount() const;

    IconCacheObject::Ptr cachedObject(const QUrl& fileURL) const;
    // None when the URL is cached already or its file is not reachable.
    IconCacheObject::Ptr addObject(const QUrl& fileURL);

    std::optional<QIcon> urlIcon(const TableViewItem& entry);
    std::optional<QIcon> tagIcon(const TableViewItem& entry);

    // Handler of "dataStorageRebuildIsFinished".
    void dataStorageRebuildIsFinished();
    // Queues a verification of every entry when the store is idle.
    void rebuildCache();
    void verifyEntry(const TableViewItemPtr& entry);

    QDateTime lastCacheRebuild() const;
    void setLastCacheRebuild(const QDateTime& moment);

    static constexpr double verificationInterval = 300.0;

private:
    IconCache();

    // The file URL an entry's path stands for.
    static QUrl fileURLOf(const TableViewItem& entry);

    mutable std::shared_mutex cacheLock_;
    QHash<QUrl, IconCacheObject::Ptr> cache_;

    mutable std::mutex rebuildLock_;
    QDateTime lastCacheRebuild_;

    // Lower-case prefix and its image, in the order they are tried.
    struct CustomURLIcon {
        QString prefix;
        QString name;
        std::optional<std::optional<QIcon>> image; // once loaded
    };
    QList<CustomURLIcon> customURLIcons_;
    std::optional<std::optional<QIcon>> customIconUnkownObject_;
    std::optional<std::optional<QIcon>> customIconDefaultURL_;

    platform::ObserverToken rebuildObserver_;
};

} // namespace vantel
