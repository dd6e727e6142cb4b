#include "shell/ApplicationDesktopFile.h"

#include "model/Logger.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace vantel {

QString ApplicationDesktopFile::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/applications/")
        + fileName();
}

QString ApplicationDesktopFile::quotedExec(const QString& executablePath)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool needsQuotes = false;
    for (QChar c : executablePath)
        needsQuotes = needsQuotes || reserved.contains(c);
    QString argument = executablePath;
    if (needsQuotes) {
        QString escaped;
        for (QChar c : executablePath) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
                escaped += QLatin1Char('\\');
            escaped += c;
        }
        argument = QLatin1Char('"') + escaped + QLatin1Char('"');
    }
    // A percent sign would read as a field code.
    argument.replace(QLatin1Char('%'), QStringLiteral("%%"));
    // The value of a string key is backslash-escaped once more.
    argument.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return argument;
}

QString ApplicationDesktopFile::contents(const QString& executablePath)
{
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Vantel\n"
                          "GenericName=Launcher\n"
                          "Comment=Open applications, files, folders and URLs from the tray\n"
                          "Exec=%1 %F\n"
                          "Icon=system-run\n"
                          "Terminal=false\n"
                          "Categories=Utility;\n"
                          "MimeType=application/octet-stream;text/plain;inode/directory;all/all;all/allfiles;\n"
                          "StartupNotify=false\n")
        .arg(quotedExec(executablePath));
}

ApplicationDesktopFile::Outcome ApplicationDesktopFile::install(const QString& executablePath, const QString& path)
{
    const QByteArray wanted = contents(executablePath).toUtf8();
    QFile existing(path);
    if (existing.open(QIODevice::ReadOnly) && existing.readAll() == wanted)
        return Outcome::unchanged;
    existing.close();

    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(wanted) != wanted.size() || !file.commit()) {
        VLOG(Logger::general(), platform::LogType::Error, "!! Error - the desktop file %{public}@ can't be written: %{public}@",
             path, file.errorString());
        return Outcome::failed;
    }
    VLOG(Logger::general(), platform::LogType::Default, "Desktop file written: %{public}@", path);
    return Outcome::written;
}

} // namespace vantel
