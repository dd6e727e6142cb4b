#include "config/UnreadableData.h"

#include "platform/XdgPaths.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace vantel::UnreadableData {

std::optional<QString> backupFolderPath()
{
    const QString path = platform::XdgPaths::documentsDir() + QStringLiteral("/Backup");
    if (!QDir().mkpath(path))
        return std::nullopt;
    return path;
}

std::optional<QString> keep(const QByteArray& bytes, const QString& what)
{
    const auto folder = backupFolderPath();
    if (!folder)
        return std::nullopt;
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString safeWhat = what;
    safeWhat.replace(QLatin1Char('/'), QLatin1Char('_'));
    QString path = *folder + QLatin1Char('/') + safeWhat + QLatin1Char('-') + stamp + QStringLiteral(".unreadable");
    // Two in the same second keep both.
    for (int n = 2; QFile::exists(path); ++n)
        path = *folder + QLatin1Char('/') + safeWhat + QLatin1Char('-') + stamp + QLatin1Char('-') + QString::number(n)
               + QStringLiteral(".unreadable");
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return std::nullopt;
    return path;
}

QString whereKeptText(const std::optional<QString>& path)
{
    if (!path)
        return QStringLiteral("The unreadable data could not be kept.");
    return QStringLiteral("The unreadable data was kept in %1.").arg(*path);
}

} // namespace vantel::UnreadableData
