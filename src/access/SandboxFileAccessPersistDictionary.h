#pragma once

#include "access/SandboxFileAccessProtocol.h"
#include "model/SynchronizedDictionary.h"
#include "model/SynchronizedDictionaryDelegate.h"
#include "platform/FileIdentity.h"
#include "platform/SessionCopy.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <memory>
#include <mutex>
#include <optional>

namespace vantel {

// The granted bookmarks, one per chosen file or folder, kept in memory and in
// "Bookmarks.dict" in the documents folder. Keys are file URLs in the one
// canonical form of platform::Bookmark (folders with a trailing slash, the
// root "file:///"). Every change is announced on the main thread with
// "globalBookmarksChanged".
//
// The file is read suspiciously and written safely: a damaged file is moved
// aside before anything can be saved over it, and one with entries that are
// no bookmarks keeps its good ones and is first copied whole to the Backup
// folder (a stale bookmark is no damage); one that can't be read for
// another reason (no permission, not a regular file) is left alone and not
// written over in this process. A save replaces only the file the load read
// (or one holding the same bytes), or makes one where the load found none: a
// file that appeared since (a drive mounted after the start) or that holds
// another program's bytes is kept as it is, and this save and every later one
// go to a copy beside it (platform::SessionCopy). The user is told at once
// which file was kept and where the bookmarks went, or at the next start when
// no one saw it.
// What loading finds is reported through LoadAlerts, never by a modal alert
// inside the caller.
class SandboxFileAccessPersistDictionary final
    : public SandboxFileAccessProtocol,
      public SynchronizedDictionaryDelegate,
      public std::enable_shared_from_this<SandboxFileAccessPersistDictionary> {
    struct Private {};

public:
    using Dictionary = SynchronizedDictionary<QUrl, QByteArray>;

    // An empty store; `filePath` overrides where the file lives (tests).
    static std::shared_ptr<SandboxFileAccessPersistDictionary> create(const QString& filePath = {});
    SandboxFileAccessPersistDictionary(Private, const QString& filePath);

    const std::shared_ptr<Dictionary>& globalBookmarks() const { return globalBookmarks_; }

    // The path of the store's file.
    QString bookmarksFilePath() const;

    void loadBookmarks() override;
    void saveBookmarks() override;
    void removeAllBookmarks();
    bool hasRootBookmark() const override;
    void removeInvalidBookmarks() override;
    std::optional<QByteArray> bookmarkData(const QUrl& url) const override;
    std::optional<std::pair<QUrl, QByteArray>> coveringBookmark(const QUrl& url) const override;
    void forEachBookmark(const std::function<void(const QUrl& url, const QByteArray& data)>& body) const override;
    void setBookmark(const QByteArray& data, const QUrl& url) override;
    void clearBookmark(const QUrl& url) override;
    bool isBookmarkValid(const std::optional<QUrl>& url) const override;

    void dictionaryChanged() override;

    // The key under which a file URL is stored.
    static QUrl keyFor(const QUrl& url);

    static const QString fileName;
    // A bookmarks file is small; a larger one is damaged.
    static constexpr qint64 maximumFileSize = 16ll << 20;

    // Why saveBookmarks won't write the file; empty when it will.
    QString writeRefusal() const;

private:
    // The valid entries (resolvable and not stale), in no particular order.
    QList<std::pair<QUrl, QByteArray>> validEntries() const;
    void setWriteRefusal(const QString& reason);
    // Copies a file whose entries were partly no bookmarks to the Backup
    // folder and tells the user; refuses later writes when it can't.
    void keepDamagedCopy(const QString& path, const QByteArray& bytes, const QString& reason);
    // Tells the user the file was not read, and where it was kept; where it
    // was kept nowhere, refuses later writes over it.
    void reportUnreadable(const QString& message, const QString& path, const QString& reason,
                          const std::optional<QString>& kept);
    // Writes to the copy beside a file that is another program's. Under refusalMutex_.
    void keepApartLocked(const QString& path, const QByteArray& archive, bool changed, const QString& refusal);
    // The copies of an earlier session the user has not heard of.
    static void tellKeptCopies(const QString& path);

    const QString filePathOverride_;
    std::shared_ptr<Dictionary> globalBookmarks_;
    mutable std::mutex refusalMutex_;
    QString writeRefusal_;
    // What the load found at the file, then what the last save wrote.
    platform::FileIdentity readFile_;
    platform::SessionCopy sessionCopy_{QString()};
};

} // namespace vantel
