#include "platform/InstalledLayout.h"

#include <QDir>
#include <QFileInfo>

#ifndef VANTEL_INSTALL_BINDIR
#define VANTEL_INSTALL_BINDIR "bin"
#endif
#ifndef VANTEL_INSTALL_LIBEXECDIR
#define VANTEL_INSTALL_LIBEXECDIR "libexec"
#endif
#ifndef VANTEL_INSTALL_DATADIR
#define VANTEL_INSTALL_DATADIR "share"
#endif

namespace vantel::platform::InstalledLayout {

namespace {

QString below(const QString& prefix, const QString& relative)
{
    return QDir::cleanPath(prefix + u'/' + relative);
}

// `folder` less its trailing `relative` folders; none when it does not end so.
std::optional<QString> stripTrailing(const QString& folder, const QString& relative)
{
    const QString tail = u'/' + QDir::cleanPath(relative);
    if (!folder.endsWith(tail))
        return std::nullopt;
    const QString prefix = folder.left(folder.size() - tail.size());
    return prefix.isEmpty() ? QStringLiteral("/") : prefix;
}

} // namespace

QString programName()
{
    return QStringLiteral("vantel");
}

QString launcherName()
{
    return QStringLiteral("vantel-launcher");
}

std::optional<QString> prefixOf(const QString& executablePath)
{
    if (executablePath.isEmpty())
        return std::nullopt;
    const QFileInfo info(executablePath);
    const QString folder = QDir::cleanPath(info.absolutePath());
    std::optional<QString> prefix;
    if (info.fileName() == programName())
        prefix = stripTrailing(folder, QStringLiteral(VANTEL_INSTALL_BINDIR));
    else if (info.fileName() == launcherName())
        prefix = stripTrailing(folder, QStringLiteral(VANTEL_INSTALL_LIBEXECDIR) + QStringLiteral("/vantel"));
    if (!prefix || !QFileInfo(resourcePath(*prefix)).isDir())
        return std::nullopt;
    return prefix;
}

QString programPath(const QString& prefix)
{
    return below(prefix, QStringLiteral(VANTEL_INSTALL_BINDIR "/") + programName());
}

QString launcherPath(const QString& prefix)
{
    return below(prefix, QStringLiteral(VANTEL_INSTALL_LIBEXECDIR "/vantel/") + launcherName());
}

QString thumbnailerPath(const QString& prefix)
{
    return below(prefix, QStringLiteral(VANTEL_INSTALL_LIBEXECDIR "/vantel/vantel-thumbnailer"));
}

QString dataPath(const QString& prefix)
{
    return below(prefix, QStringLiteral(VANTEL_INSTALL_DATADIR));
}

QString resourcePath(const QString& prefix)
{
    return dataPath(prefix) + QStringLiteral("/vantel");
}

QString desktopFilePath(const QString& prefix)
{
    return dataPath(prefix) + QStringLiteral("/applications/" VANTEL_BUNDLE_ID ".desktop");
}

} // namespace vantel::platform::InstalledLayout
