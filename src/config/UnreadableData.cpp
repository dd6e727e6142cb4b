#include "config/UnreadableData.h"

#include "model/LocalizedStrings.h"
#include "model/Logger.h"
#include "platform/SafeFile.h"
#include "platform/XdgPaths.h"

#include <QDateTime>
#include <QDir>

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
    // Only a copy that is whole on disk counts as kept: the caller may then
    // remove the original. Two in the same second keep both.
    const platform::NewFileWrite copy = platform::writeNewFileSafely(
        *folder + QLatin1Char('/') + safeWhat + QLatin1Char('-') + stamp, QStringLiteral(".unreadable"), bytes);
    if (!copy.written) {
        VLOG(Logger::config(), platform::LogType::Error, "Unreadable %{public}@ could not be kept in %{public}@: %{public}@",
             what, *folder, copy.written.error);
        return std::nullopt;
    }
    return copy.path;
}

void removeWriteLeftovers()
{
    QDir folder(platform::XdgPaths::documentsDir() + QStringLiteral("/Backup"));
    if (!folder.exists())
        return;
    const QStringList patterns{QStringLiteral("*") + QLatin1String(platform::safeWriteTemporaryInfix)
                                   + QStringLiteral("??????"),
                               QStringLiteral("*.Vantel_ExportData.??????"), QStringLiteral("*.unreadable.??????")};
    for (const QString& name : folder.entryList(patterns, QDir::Files | QDir::Hidden | QDir::System)) {
        if (folder.remove(name))
            VLOG(Logger::config(), platform::LogType::Default, "Removed the leftover of a killed write: %{public}@", name);
    }
}

QString whereKeptText(const std::optional<QString>& path)
{
    if (!path)
        return localized("The unreadable data could not be kept.");
    return localized("The unreadable data was kept in %1.").arg(*path);
}

} // namespace vantel::UnreadableData
