#pragma once

#include "access/SandboxFileAccess.h"
#include "model/SynchronizedDictionary.h"

#include <QUrl>

namespace vantel {

// Opens access to each search-scope folder before the folder is handed to
// the metadata query, and keeps every access opened through a bookmark so
// that it can be ended when the scopes are applied again. Every kept access
// ends at the latest when the object goes away.
class SpotlightQueryCoreSandboxAccess {
public:
    using BookmarkDictionary = SynchronizedDictionary<QUrl, QUrl>;

    SpotlightQueryCoreSandboxAccess();
    virtual ~SpotlightQueryCoreSandboxAccess();
    SpotlightQueryCoreSandboxAccess(const SpotlightQueryCoreSandboxAccess&) = delete;
    SpotlightQueryCoreSandboxAccess& operator=(const SpotlightQueryCoreSandboxAccess&) = delete;

    // Scope folder as asked for -> the resolved URL whose access is open.
    const BookmarkDictionary::Ptr& securityBookmarks() const { return securityBookmarks_; }

    // Opens access to the folder when it needs and has a bookmark. A folder
    // checked again has its earlier access ended first.
    virtual void checkAccess(const QUrl& url);
    virtual void stopAccess(const QUrl& url);
    virtual void clearSecurityBookmarks();

protected:
    // The shared access check, asked for a bookmark and reading.
    virtual SandboxFileAccess::HasAccessResult hasAccess(const QUrl& url);

private:
    const BookmarkDictionary::Ptr securityBookmarks_;
};

} // namespace vantel
