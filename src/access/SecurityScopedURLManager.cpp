#include "access/SecurityScopedURLManager.h"

#include "model/Logger.h"
#include "platform/Bookmark.h"

#include <QUuid>

namespace vantel {

using platform::Bookmark;
using platform::LogType;

SecurityScopedURLManager& SecurityScopedURLManager::shared()
{
    static SecurityScopedURLManager* instance = new SecurityScopedURLManager;
    return *instance;
}

SecurityScopedURLManager::SecurityScopedURLManager()
    : usedSecurityScopedURLs_(SynchronizedArray<UsedSecurityScopedURL>::create())
{
}

QString SecurityScopedURLManager::beginAccess(const std::optional<QByteArray>& bookmarkData,
                                              UsedSecurityScopedURLSource source)
{
    if (!bookmarkData)
        return {};
    const Bookmark::Resolution resolution = Bookmark::resolveBookmark(*bookmarkData, Bookmark::WithSecurityScope);
    // Stale grants are renewed by the access check, not here.
    if (!resolution.ok() || resolution.stale || !resolution.url)
        return {};

    UsedSecurityScopedURL record;
    record.identifier = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    record.url = *resolution.url;
    record.source = source;
    record.accessStarted = Bookmark::startAccessing(record.url);
    usedSecurityScopedURLs_->append(record);

    const qsizetype count = usedSecurityScopedURLs_->count();
    VLOG(Logger::securityScopedURLManager(), LogType::Default, "+ Start access: %{public}@",
         record.identifier + QStringLiteral(" for [") + record.url.toString() + QStringLiteral("] - Scope-Count: ")
             + QString::number(count));
    return record.identifier;
}

bool SecurityScopedURLManager::endAccess(const QString& identifier)
{
    if (identifier.isEmpty())
        return false;

    // Found and removed in one barrier block, so concurrent ends never take
    // each other's record.
    auto removed = std::make_shared<std::optional<UsedSecurityScopedURL>>();
    usedSecurityScopedURLs_->removeAllWhere([removed, identifier](const UsedSecurityScopedURL& record) {
        if (removed->has_value() || record.identifier != identifier)
            return false;
        *removed = record;
        return true;
    });
    // A read submitted after the barrier runs after it.
    const qsizetype count = usedSecurityScopedURLs_->count();
    if (!removed->has_value())
        return false;

    const UsedSecurityScopedURL& record = **removed;
    if (record.accessStarted)
        Bookmark::stopAccessing(record.url);
    VLOG(Logger::securityScopedURLManager(), LogType::Default, "- Stop access: %{public}@",
         record.identifier + QStringLiteral(" for [") + record.url.toString() + QStringLiteral("] - Scope-Count: ")
             + QString::number(count));
    return true;
}

} // namespace vantel
