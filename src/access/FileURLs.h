#pragma once

#include <QString>
#include <QUrl>

namespace vantel::FileURLs {

// The absolute, cleaned path of a file URL (no trailing slash except for
// "/"); empty for anything but a local file URL with a path.
QString cleanPath(const QUrl& fileUrl);

// The URL standardised and with symbolic links resolved. For a path that does
// not exist, the longest existing prefix is resolved and the rest appended.
QUrl standardizedResolved(const QUrl& fileUrl);

// Whether the file or folder exists; false for anything but a file URL.
bool isReachable(const QUrl& fileUrl);

// The path without its last component ("/" stays "/").
QString parentPath(const QString& cleanedPath);

// The last path component ("/" for the root).
QString lastPathComponent(const QString& cleanedPath);

} // namespace vantel::FileURLs
