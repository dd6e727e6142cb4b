#pragma once

#include "access/Permissions.h"

#include <QByteArray>
#include <QUrl>

#include <optional>

namespace vantel {

// The answer of an access check: the location a covering bookmark resolves
// to (possibly an ancestor of the path asked about), its data, and the bits
// found.
struct AccessInfo {
    std::optional<QUrl> securityScopedURL;
    std::optional<QByteArray> bookmarkData;
    Permissions permissions;
};

} // namespace vantel
