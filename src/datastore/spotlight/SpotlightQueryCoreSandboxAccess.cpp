#include "datastore/spotlight/SpotlightQueryCoreSandboxAccess.h"

#include "model/Logger.h"
#include "platform/Bookmark.h"
#include "platform/FileFacts.h"

#include <QList>

namespace vantel {

using platform::Bookmark;
using platform::LogType;

namespace {

const platform::LogCategory& category()
{
    return Logger::spotlightQueryCoreSandboxAccess();
}

} // namespace

SpotlightQueryCoreSandboxAccess::SpotlightQueryCoreSandboxAccess()
    : securityBookmarks_(BookmarkDictionary::create())
{
}

SpotlightQueryCoreSandboxAccess::~SpotlightQueryCoreSandboxAccess()
{
    // Accesses left open here would never be ended.
    clearSecurityBookmarks();
}

SandboxFileAccess::HasAccessResult SpotlightQueryCoreSandboxAccess::hasAccess(const QUrl& url)
{
    return SandboxFileAccess::shared().hasAccess(url, Permissions::bookmark() | Permissions::read());
}

void SpotlightQueryCoreSandboxAccess::checkAccess(const QUrl& url)
{
    const QString urlText = url.toString();
    // A second check of the same folder would otherwise leave the first
    // access open for the life of the process.
    stopAccess(url);

    if (!platform::FileFacts::isReachable(url.toLocalFile())) {
        VLOG(category(), LogType::Error, "-> Unreachable: [%{public}@]", urlText);
        return;
    }

    const SandboxFileAccess::HasAccessResult answer = hasAccess(url);
    if (!answer.granted) {
        VLOG(category(), LogType::Error, "-> Access denied");
        return;
    }
    if (!answer.bookmarkNeeded) {
        VLOG(category(), LogType::Default, "-> Access possible without Bookmark: [%{public}@]", urlText);
        return;
    }
    if (!answer.bookmarkData) {
        VLOG(category(), LogType::Error,
             "-> Unable to get Sandboxaccess -> Access denied (Bookmark needed but unavailable) [%{public}@]", urlText);
        return;
    }

    const Bookmark::Resolution resolution = Bookmark::resolveBookmark(*answer.bookmarkData, Bookmark::WithSecurityScope);
    if (!resolution.ok() || !resolution.url) {
        VLOG(category(), LogType::Error, "-> Unable to get Sandboxaccess -> Access denied: [%{public}@]", urlText);
        return;
    }
    if (resolution.stale)
        return;
    if (!Bookmark::startAccessing(*resolution.url))
        return;

    securityBookmarks_->setValue(*resolution.url, url);
    VLOG(category(), LogType::Default, "-> Access possible with SecurityScopedBookmark: [%{public}@]", urlText);
}

void SpotlightQueryCoreSandboxAccess::stopAccess(const QUrl& url)
{
    const std::optional<QUrl> resolved = securityBookmarks_->value(url);
    if (!resolved)
        return;
    Bookmark::stopAccessing(*resolved);
    securityBookmarks_->setValue(std::nullopt, url);
}

void SpotlightQueryCoreSandboxAccess::clearSecurityBookmarks()
{
    // The keys are taken in one read and the accesses ended outside it: a
    // read queued behind stopAccess's write inside that read would never end.
    QList<QUrl> keys;
    securityBookmarks_->forEach([&keys](const QUrl& key, const QUrl&) { keys.append(key); });
    for (const QUrl& key : std::as_const(keys))
        stopAccess(key);
    securityBookmarks_->removeAll();
}

} // namespace vantel
