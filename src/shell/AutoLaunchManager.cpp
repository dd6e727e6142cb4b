#include "shell/AutoLaunchManager.h"

#include "model/Logger.h"
#include "platform/Bundle.h"
#include "platform/DesktopEntry.h"
#include "platform/InstalledLayout.h"
#include "platform/SafeFile.h"
#include "platform/XdgPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace vantel {

namespace {

const QString kLauncherExecutable = QStringLiteral("VantelLauncher");

bool isLauncher(const QString& program)
{
    const QFileInfo info(program);
    return QDir::isAbsolutePath(program) && info.isFile() && info.isExecutable()
        && (info.fileName() == kLauncherExecutable || info.fileName() == platform::InstalledLayout::launcherName());
}

QString failure(const QString& reason)
{
    VLOG(Logger::general(), platform::LogType::Error, "SMLoginItemSetEnabled failed!");
    VLOG(Logger::general(), platform::LogType::Error, "%{public}@", reason);
    return reason;
}

} // namespace

QString AutoLaunchManager::loginItemPath()
{
    return platform::XdgPaths::autostartDir() + u'/' + launcherBundleIdentifier + QStringLiteral(".desktop");
}

QString AutoLaunchManager::launcherExecutablePath(const QString& applicationBundlePath)
{
    return applicationBundlePath + QStringLiteral("/Contents/Library/LoginItems/VantelLauncher.app/Contents/MacOS/")
        + kLauncherExecutable;
}

QString AutoLaunchManager::launcherExecutablePath(const platform::Bundle& program)
{
    if (program.layout() == platform::Bundle::Layout::installed)
        return platform::InstalledLayout::launcherPath(program.bundlePath());
    return launcherExecutablePath(program.bundlePath());
}

bool AutoLaunchManager::launchAtLoginEnabled()
{
    const QString path = loginItemPath();
    if (!QFileInfo::exists(path))
        return false;
    QString error;
    const auto entry = platform::DesktopEntry::load(path, &error);
    if (!entry) {
        VLOG(Logger::general(), platform::LogType::Error, "Unreadable login item: %{public}@", error);
        return false;
    }
    if (!entry->isApplication() || entry->isHidden()
        || !entry->boolean(QStringLiteral("X-GNOME-Autostart-enabled"), true))
        return false;
    const auto arguments = entry->execArguments();
    if (!arguments || arguments->isEmpty())
        return false;
    QString program = arguments->first();
    program.replace(QStringLiteral("%%"), QStringLiteral("%"));
    return isLauncher(program);
}

QString AutoLaunchManager::setLaunchAtLoginEnabled(bool enabled)
{
    return setLaunchAtLoginEnabled(enabled, launcherExecutablePath(platform::Bundle::main()));
}

QString AutoLaunchManager::setLaunchAtLoginEnabled(bool enabled, const QString& launcherPath)
{
    const QString path = loginItemPath();
    if (!enabled) {
        QFile file(path);
        if ((file.exists() || QFileInfo(path).isSymLink()) && !file.remove())
            return failure(QStringLiteral("Cannot remove %1: %2").arg(path, file.errorString()));
        return {};
    }
    // As the system refuses a login item that its bundle does not carry.
    if (!isLauncher(launcherPath))
        return failure(QStringLiteral("No launcher at %1").arg(launcherPath));
    const auto exec = platform::DesktopEntry::quotedExecArgument(launcherPath);
    if (!exec)
        return failure(QStringLiteral("The launcher's path cannot be written in a desktop entry: %1").arg(launcherPath));
    const QByteArray contents = "[Desktop Entry]\n"
                                "Type=Application\n"
                                "Name=Vantel\n"
                                "Exec=" + exec->toUtf8() + "\n"
                                "NoDisplay=true\n"
                                "X-GNOME-Autostart-enabled=true\n";
    platform::WriteOptions options;
    options.newFileMode = 0644;
    const platform::WriteResult written = platform::writeFileSafely(path, contents, options);
    if (!written)
        return failure(QStringLiteral("Cannot write %1: %2").arg(path, written.error));
    return {};
}

} // namespace vantel
