#include "access/FileURLs.h"

#include <QDir>
#include <QFileInfo>

namespace vantel::FileURLs {

QString cleanPath(const QUrl& fileUrl)
{
    if (!fileUrl.isLocalFile())
        return {};
    const QString path = fileUrl.toLocalFile();
    if (path.isEmpty() || !QDir::isAbsolutePath(path))
        return {};
    return QDir::cleanPath(path);
}

QString parentPath(const QString& cleanedPath)
{
    const qsizetype slash = cleanedPath.lastIndexOf(QLatin1Char('/'));
    if (slash <= 0)
        return QStringLiteral("/");
    return cleanedPath.left(slash);
}

QString lastPathComponent(const QString& cleanedPath)
{
    if (cleanedPath == QLatin1String("/"))
        return cleanedPath;
    return cleanedPath.mid(cleanedPath.lastIndexOf(QLatin1Char('/')) + 1);
}

QUrl standardizedResolved(const QUrl& fileUrl)
{
    const QString path = cleanPath(fileUrl);
    if (path.isEmpty())
        return fileUrl;
    // Walk up to the deepest part that exists, resolve that, keep the rest.
    QString existing = path;
    QStringList rest;
    while (existing != QLatin1String("/") && !QFileInfo::exists(existing)) {
        rest.prepend(lastPathComponent(existing));
        existing = parentPath(existing);
    }
    QString resolved = QFileInfo(existing).canonicalFilePath();
    if (resolved.isEmpty())
        resolved = existing;
    for (const QString& component : std::as_const(rest))
        resolved = resolved == QLatin1String("/") ? resolved + component : resolved + QLatin1Char('/') + component;
    return QUrl::fromLocalFile(resolved);
}

bool isReachable(const QUrl& fileUrl)
{
    const QString path = cleanPath(fileUrl);
    return !path.isEmpty() && QFileInfo::exists(path);
}

} // namespace vantel::FileURLs
