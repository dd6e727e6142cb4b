#pragma once

#include "access/UsedSecurityScopedURL.h"
#include "model/SynchronizedArray.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

namespace vantel {

// Turns bookmark data into an access scope that stays open until the
// identifier it hands out is given back. Each begin makes one record and one
// scope; each end closes exactly that one.
class SecurityScopedURLManager {
public:
    static SecurityScopedURLManager& shared();

    SecurityScopedURLManager();
    SecurityScopedURLManager(const SecurityScopedURLManager&) = delete;
    SecurityScopedURLManager& operator=(const SecurityScopedURLManager&) = delete;

    const std::shared_ptr<SynchronizedArray<UsedSecurityScopedURL>>& usedSecurityScopedURLs() const
    {
        return usedSecurityScopedURLs_;
    }

    // The new record's identifier; empty when there is no data or it does not
    // resolve to the file it was made for.
    QString beginAccess(const std::optional<QByteArray>& bookmarkData, UsedSecurityScopedURLSource source);

    // True when a record with the identifier was open and is now closed.
    bool endAccess(const QString& identifier);

    // The number of open records.
    qsizetype scopeCount() const { return usedSecurityScopedURLs_->count(); }

private:
    std::shared_ptr<SynchronizedArray<UsedSecurityScopedURL>> usedSecurityScopedURLs_;
};

} // namespace vantel
