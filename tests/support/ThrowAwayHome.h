#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

namespace vantel::testing {

// Points HOME and the XDG folders (all but XDG_DATA_DIRS, which callers set
// to suit what they read) into `home`, so the process never reads or writes
// the user's files. `homeVariable` names the home for child processes. The
// temporary folder (TMPDIR) lies in it too: what this process and its
// children leave there, a child that crashed with its home among it, goes
// with the home.
inline void pointAtThrowAwayHome(const QString& home, const char* homeVariable, const QStringList& moreFolders = {})
{
    const QByteArray root = home.toUtf8();
    for (const QString& sub : QStringList{"config", "data", "cache", "state", "runtime", "tmp"} + moreFolders)
        QDir().mkpath(home + QLatin1Char('/') + sub);
    // Qt insists on a private runtime folder.
    QFile::setPermissions(home + QStringLiteral("/runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv(homeVariable, root);
    qputenv("HOME", root);
    qputenv("XDG_CONFIG_HOME", root + "/config");
    qputenv("XDG_DATA_HOME", root + "/data");
    qputenv("XDG_CACHE_HOME", root + "/cache");
    qputenv("XDG_STATE_HOME", root + "/state");
    qputenv("XDG_RUNTIME_DIR", root + "/runtime");
    qputenv("XDG_CONFIG_DIRS", root + "/system-config");
    qputenv("TMPDIR", root + "/tmp");
}

} // namespace vantel::testing
