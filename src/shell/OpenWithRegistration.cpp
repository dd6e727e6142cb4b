#include "shell/OpenWithRegistration.h"

#include "model/Logger.h"
#include "platform/Bundle.h"
#include "platform/DesktopEntry.h"
#include "platform/InstalledLayout.h"
#include "platform/XdgPaths.h"
#include "shell/ApplicationDesktopFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace vantel {

namespace {

// Symbolic links (/usr/local -> elsewhere) name the same folder.
QString sameFolderKey(const QString& path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(path) : canonical;
}

} // namespace

OpenWithRegistration::Source OpenWithRegistration::sourceFor(const platform::Bundle& program,
                                                             const QStringList& dataFolders)
{
    if (program.layout() != platform::Bundle::Layout::installed)
        return Source::userFile;
    const QString prefix = program.bundlePath();
    if (!QFileInfo(platform::InstalledLayout::desktopFilePath(prefix)).isFile())
        return Source::userFile;
    const QString installedData = sameFolderKey(platform::InstalledLayout::dataPath(prefix));
    for (const QString& folder : dataFolders) {
        if (sameFolderKey(folder) == installedData)
            return Source::installedFile;
    }
    return Source::userFile;
}

OpenWithRegistration::Source OpenWithRegistration::registerRunningProgram()
{
    const platform::Bundle& program = platform::Bundle::main();
    const QStringList dataFolders = QStringList{platform::XdgPaths::dataHome()} + platform::XdgPaths::dataDirs();
    const Source source = sourceFor(program, dataFolders);
    const QString userFile = ApplicationDesktopFile::defaultPath();
    if (source == Source::userFile) {
        ApplicationDesktopFile::install(program.executablePath(), userFile);
        return source;
    }
    // Installed into the user's own data folder, the installed file is the user's file.
    const QString installedFile = platform::InstalledLayout::desktopFilePath(program.bundlePath());
    if (sameFolderKey(installedFile) != sameFolderKey(userFile) && removeOwnUserFile(userFile))
        VLOG(Logger::general(), platform::LogType::Default,
             "Removed %{public}@, which hid the installed desktop file %{public}@", userFile, installedFile);
    return source;
}

bool OpenWithRegistration::removeOwnUserFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile() || info.isSymLink())
        return false;
    const auto entry = platform::DesktopEntry::load(path);
    if (!entry)
        return false;
    const auto arguments = entry->execArguments();
    if (!arguments || arguments->isEmpty())
        return false;
    QString program = arguments->first();
    program.replace(QStringLiteral("%%"), QStringLiteral("%"));
    // A program no Exec= key can hold was never written by us.
    const auto ours = ApplicationDesktopFile::contents(program);
    if (!ours)
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.readAll() != ours->toUtf8())
        return false;
    file.close();
    if (!file.remove()) {
        VLOG(Logger::general(), platform::LogType::Error, "!! Error - %{public}@ can't be removed: %{public}@", path,
             file.errorString());
        return false;
    }
    return true;
}

} // namespace vantel
