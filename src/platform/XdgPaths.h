#pragma once

#include <QString>
#include <QStringList>

namespace vantel::platform {

// The freedesktop base directories, read from the environment on every call
// (tests point them elsewhere). A variable that is unset, empty or not an
// absolute path falls back to its default.
namespace XdgPaths {

QString configHome();        // $XDG_CONFIG_HOME or ~/.config
QString dataHome();          // $XDG_DATA_HOME or ~/.local/share
QString cacheHome();         // $XDG_CACHE_HOME or ~/.cache
QStringList dataDirs();      // $XDG_DATA_DIRS or /usr/local/share, /usr/share; in order, without repeats
// $XDG_DATA_HOME/applications, then each data dir's applications, in order.
QStringList applicationDirs();
// $XDG_CONFIG_HOME/Vantel/net.tarnwick.vantel.plist
QString settingsFile();
// $XDG_DATA_HOME/Vantel, created when missing.
QString documentsDir();
// $XDG_CONFIG_HOME/autostart
QString autostartDir();

} // namespace XdgPaths

} // namespace vantel::platform
