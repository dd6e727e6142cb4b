#pragma once

#include <QByteArray>
#include <QUrl>

#include <functional>
#include <optional>
#include <utility>

namespace vantel {

// The bookmark store as the access layer sees it.
class SandboxFileAccessProtocol {
public:
    virtual ~SandboxFileAccessProtocol() = default;

    virtual void forEachBookmark(const std::function<void(const QUrl& url, const QByteArray& data)>& body) const = 0;
    virtual bool isBookmarkValid(const std::optional<QUrl>& url) const = 0;
    // The bookmark that covers the URL (the root bookmark, the URL, then its
    // ancestors).
    virtual std::optional<QByteArray> bookmarkData(const QUrl& url) const = 0;
    // The same, with the key under which the covering bookmark is stored.
    virtual std::optional<std::pair<QUrl, QByteArray>> coveringBookmark(const QUrl& url) const = 0;
    virtual void setBookmark(const QByteArray& data, const QUrl& url) = 0;
    virtual void clearBookmark(const QUrl& url) = 0;
    virtual void saveBookmarks() = 0;
    virtual void loadBookmarks() = 0;
    virtual void removeInvalidBookmarks() = 0;
    virtual bool hasRootBookmark() const = 0;
};

} // namespace vantel
