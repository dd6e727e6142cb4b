#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <optional>

namespace vantel::platform {

// A persistent grant on a file or folder. Linux has no sandbox, so the data
// only remembers which file it was made for (path, device, inode) in order to
// tell when the path has come to name another file ("stale").
class Bookmark {
public:
    // The creation and resolution options callers pass; accepted and stored
    // with the data, but they change nothing here.
    enum Option : quint64 {
        WithoutUI = 256,
        WithSecurityScope = 1024,
        SecurityScopeAllowOnlyReadAccess = 4096,
        CreationWithSecurityScope = 2048,
    };

    struct Resolution {
        std::optional<QUrl> url;       // canonical file URL of the bookmarked item
        bool stale = false;            // the path exists but names another file now
        std::optional<QString> error;  // unreadable data or a path that no longer exists
        bool malformed = false;        // the data is no bookmark at all, not one whose file went away
        bool ok() const { return !error.has_value(); }
    };

    // Data for an existing file or folder given as a path or a file URL;
    // nothing (with the reason in error) when it does not exist.
    static std::optional<QByteArray> createBookmark(const QUrl& fileUrl, quint64 options = 0, QString* error = nullptr);
    static std::optional<QByteArray> createBookmarkForPath(const QString& path, quint64 options = 0, QString* error = nullptr);

    static Resolution resolveBookmark(const QByteArray& data, quint64 options = 0);

    // Begin and end of an access scope. Always granted here; counted per
    // process so that unbalanced pairs show up.
    static bool startAccessing(const QUrl& url);
    static void stopAccessing(const QUrl& url);
    static int accessCount();
    static int accessCount(const QUrl& url);

    // "file://" + the percent-encoded absolute path, with a trailing "/" for an
    // existing folder; "/" itself is "file:///". The one key form for grants.
    static QUrl canonicalFileURL(const QString& path);
    static QString canonicalFileURLString(const QString& path);

    // POSIX access(2) with R_OK, and with R_OK|W_OK.
    static bool isReadable(const QString& path);
    static bool isReadWritable(const QString& path);
};

} // namespace vantel::platform
