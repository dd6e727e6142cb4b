#include "shell/ApplicationDesktopFile.h"

#include "model/Logger.h"
#include "platform/DesktopEntry.h"
#include "platform/SafeFile.h"
#include "platform/UserFileRead.h"

#include <QFile>
#include <QStandardPaths>

namespace vantel {

QString ApplicationDesktopFile::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/applications/")
        + fileName();
}

std::optional<QString> ApplicationDesktopFile::contents(const QString& executablePath)
{
    const auto exec = platform::DesktopEntry::quotedExecArgument(executablePath);
    if (!exec)
        return std::nullopt;
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Vantel\n"
                          "GenericName=Launcher\n"
                          "Comment=Open applications, files, folders and URLs from the tray\n"
                          "Exec=%1 %F\n"
                          "Icon=system-run\n"
                          "Terminal=false\n"
                          "Categories=Utility;\n"
                          "StartupNotify=false\n")
        .arg(*exec);
}

ApplicationDesktopFile::Outcome ApplicationDesktopFile::install(const QString& executablePath, const QString& path)
{
    const auto text = contents(executablePath);
    if (!text) {
        VLOG(Logger::general(), platform::LogType::Error,
             "!! Error - the program's path can't be written into a desktop file: %{public}@", executablePath);
        return Outcome::failed;
    }
    const QByteArray wanted = text->toUtf8();
    // Read as any file is, without waiting on a FIFO or reading a device whole.
    const platform::UserFileRead existing = platform::readUserFile(path, 1 << 20);
    if (existing.ok() && existing.data == wanted)
        return Outcome::unchanged;

    platform::WriteOptions options;
    options.newFileMode = 0644; // as desktop files are; it holds nothing private
    // Only the file just compared is replaced: one written meanwhile stays.
    if (existing.ok() || existing.status == platform::UserFileRead::Status::missing)
        options.replacing = existing.identity;
    const platform::WriteResult written = platform::writeFileSafely(path, wanted, options);
    if (!written) {
        VLOG(Logger::general(), platform::LogType::Error, "!! Error - the desktop file %{public}@ can't be written: %{public}@",
             path, written.error);
        return Outcome::failed;
    }
    VLOG(Logger::general(), platform::LogType::Default, "Desktop file written: %{public}@", path);
    return Outcome::written;
}

} // namespace vantel
