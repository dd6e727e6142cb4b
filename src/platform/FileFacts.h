#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <cstddef>
#include <optional>

namespace vantel::platform {

// What the program asks of a path on disk. Every answer is false, empty or
// nullopt for an empty path or one that cannot be examined.
namespace FileFacts {

// stat() succeeds (symbolic links followed).
bool isReachable(const QString& path);
bool isDirectory(const QString& path);
bool isRegularFile(const QString& path);
// A desktop entry that may be launched, as file managers decide it: a regular
// file in an XDG applications folder (or below one, or below a folder added
// here), or one that its owner may execute. Any other desktop file (one downloaded, say) is a document.
bool isTrustedDesktopEntry(const QString& path);
// Folders the user chose to search for applications count as applications
// folders too, for the rest of the process.
void addTrustedApplicationFolders(const QStringList& folders);
// How many folders the checks of desktop files looked up among those added,
// in this process: the folders above each file checked.
std::size_t trustedFolderLookups();
// A trusted desktop-entry file with Type=Application: the "application
// bundle". Its Name and Icon are shown and its Exec runs.
bool isApplication(const QString& path);
// Linux has no packages (folders shown as files).
bool isPackage(const QString& path);
// access(X_OK).
bool isExecutable(const QString& path);
// access(R_OK) and access(R_OK | W_OK).
bool isReadable(const QString& path);
bool isReadableAndWritable(const QString& path);

std::optional<QDateTime> modificationDate(const QString& path);

// The localized Name of an application's (trusted) desktop entry, else the file name;
// "/" for the root.
QString displayName(const QString& path);

// Absolute, with "." and ".." and repeated slashes removed; links are not
// touched, the path need not exist.
QString standardized(const QString& path);
// standardized, then the longest existing leading part resolved through its
// links (realpath); the rest, which does not exist, is kept as written.
QString resolvingSymlinks(const QString& path);

struct Mount {
    QString mountPoint;
    QString fileSystemType;
    QString source;
};

// The lines of /proc/self/mountinfo; malformed lines are skipped.
QList<Mount> parseMountInfo(const QByteArray& text);
// The mount whose mount point is the longest leading part of the path.
std::optional<Mount> mountContaining(const QString& path, const QList<Mount>& mounts);
// Network file systems (NFS, SMB/CIFS, sshfs and the like) are not local.
bool isLocalFileSystemType(const QString& type);

// The mount point of the volume that holds the path (links resolved).
std::optional<QString> volumePath(const QString& path);
// nullopt when the volume cannot be determined.
std::optional<bool> volumeIsLocal(const QString& path);

} // namespace FileFacts

} // namespace vantel::platform
