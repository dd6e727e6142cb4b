#pragma once

#include <QString>

#include <optional>

namespace vantel::platform {

// Where an installed Vantel keeps its files, all relative to one prefix so
// that a copied or moved prefix keeps working:
//   <prefix>/bin/vantel                        the program
//   <prefix>/libexec/vantel/vantel-launcher    the login-item launcher
//   <prefix>/libexec/vantel/vantel-thumbnailer draws PDF thumbnails
//   <prefix>/share/vantel/                     images, help texts, version history
//   <prefix>/share/applications/net.tarnwick.vantel.desktop
// The folder names are the build's install folders (bin, libexec, share by
// default). Nothing here knows where the program was built.
namespace InstalledLayout {

QString programName();  // "vantel"
QString launcherName(); // "vantel-launcher"

// The prefix of an installed program or launcher at `executablePath`; none
// when the path is laid out otherwise or the prefix holds no resources.
std::optional<QString> prefixOf(const QString& executablePath);

QString programPath(const QString& prefix);
QString launcherPath(const QString& prefix);
QString thumbnailerPath(const QString& prefix);
QString resourcePath(const QString& prefix);
// <prefix>/share: the data folder the desktop must read for the installed
// desktop file to count.
QString dataPath(const QString& prefix);
QString desktopFilePath(const QString& prefix);

} // namespace InstalledLayout

} // namespace vantel::platform
