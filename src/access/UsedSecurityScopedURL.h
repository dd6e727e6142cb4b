#pragma once

#include <QString>
#include <QUrl>

namespace vantel {

// Who holds an open access scope.
enum class UsedSecurityScopedURLSource { open, applicationDelegate, thumbnail };

// One open access scope.
struct UsedSecurityScopedURL {
    QString identifier;
    QUrl url;
    UsedSecurityScopedURLSource source = UsedSecurityScopedURLSource::open;
    // Whether the scope was really begun, so that only such a scope is ended.
    bool accessStarted = false;

    bool operator==(const UsedSecurityScopedURL& other) const { return identifier == other.identifier; }
};

} // namespace vantel
