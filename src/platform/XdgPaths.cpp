#include "platform/XdgPaths.h"

#include <QDir>
#include <QFileInfo>

#ifndef VANTEL_BUNDLE_ID
#define VANTEL_BUNDLE_ID "net.tarnwick.vantel"
#endif

namespace vantel::platform::XdgPaths {

namespace {

QString clean(const QString& path)
{
    return QDir::cleanPath(path);
}

QString home()
{
    const QString value = qEnvironmentVariable("HOME");
    return value.isEmpty() ? QDir::homePath() : clean(value);
}

QString baseDirectory(const char* variable, const QString& fallbackBelowHome)
{
    const QString value = qEnvironmentVariable(variable);
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return clean(value);
    return clean(home() + u'/' + fallbackBelowHome);
}

} // namespace

QString configHome()
{
    return baseDirectory("XDG_CONFIG_HOME", QStringLiteral(".config"));
}

QString dataHome()
{
    return baseDirectory("XDG_DATA_HOME", QStringLiteral(".local/share"));
}

QString cacheHome()
{
    return baseDirectory("XDG_CACHE_HOME", QStringLiteral(".cache"));
}

QStringList dataDirs()
{
    QStringList dirs;
    for (const QString& entry : qEnvironmentVariable("XDG_DATA_DIRS").split(u':', Qt::SkipEmptyParts)) {
        if (!QDir::isAbsolutePath(entry))
            continue;
        const QString dir = clean(entry);
        if (!dirs.contains(dir))
            dirs.append(dir);
    }
    if (dirs.isEmpty())
        dirs = {QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")};
    return dirs;
}

QStringList applicationDirs()
{
    QStringList dirs{dataHome() + QStringLiteral("/applications")};
    for (const QString& dir : dataDirs()) {
        const QString applications = dir + QStringLiteral("/applications");
        if (!dirs.contains(applications))
            dirs.append(applications);
    }
    return dirs;
}

QString settingsFile()
{
    return configHome() + QStringLiteral("/Vantel/") + QStringLiteral(VANTEL_BUNDLE_ID) + QStringLiteral(".plist");
}

QString documentsDir()
{
    const QString dir = dataHome() + QStringLiteral("/Vantel");
    QDir().mkpath(dir);
    return dir;
}

QString autostartDir()
{
    return configHome() + QStringLiteral("/autostart");
}

} // namespace vantel::platform::XdgPaths
