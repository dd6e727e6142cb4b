#pragma once

#include <QIcon>
#include <QString>

namespace vantel::platform {

// The icon a file manager shows for a path, from the icon theme: an
// application's desktop entry shows its Icon= (a theme name, or an absolute
// file), anything else the icon of its MIME type, then of the type's generic
// icon and its parents' icons, then "folder", "application-x-executable" or
// "text-x-generic". With Breeze installed (the fallback theme the bundle sets
// up) the answer is never a null icon.
//
// Main thread only: Qt's icon loader is not meant for other threads. Theme
// icons are looked up once per name and shared by every file of that type.
namespace WorkspaceIcons {

QIcon iconForFile(const QString& path);

// The theme names tried for a file that is not an application, best first.
QStringList themeNamesForFile(const QString& path);

} // namespace WorkspaceIcons

} // namespace vantel::platform
