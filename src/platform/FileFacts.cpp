#include "platform/FileFacts.h"

#include "platform/DesktopEntry.h"
#include "platform/UnixSignals.h"
#include "platform/XdgPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <climits>
#include <mutex>
#include <cstdlib>

#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

namespace vantel::platform::FileFacts {

namespace {

std::optional<struct stat> statOf(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return info;
}

bool accessible(const QString& path, int mode)
{
    return !path.isEmpty() && ::access(QFile::encodeName(path).constData(), mode) == 0;
}

// mountinfo writes space, tab, newline and backslash as \ooo.
QString unescapeMountField(const QByteArray& field)
{
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const QByteArray digits = field.mid(i + 1, 3);
            bool ok = false;
            const int value = digits.toInt(&ok, 8);
            if (ok && digits.size() == 3 && value < 256) {
                out += char(value);
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return QFile::decodeName(out);
}

} // namespace

bool isReachable(const QString& path) { return statOf(path).has_value(); }

bool isDirectory(const QString& path)
{
    const auto info = statOf(path);
    return info && S_ISDIR(info->st_mode);
}

bool isRegularFile(const QString& path)
{
    const auto info = statOf(path);
    return info && S_ISREG(info->st_mode);
}

namespace {

std::mutex trustedFoldersMutex;
// A set, not a list: the user's scopes may number hundreds of thousands,
// and each is added, and each desktop file checked, in steps that do not
// grow with their number.
QSet<QString> trustedFolders;
std::size_t trustedLookups = 0;

// Each folder above the path, nearest first, the root left out.
template <typename Visit>
bool anyFolderAbove(const QString& path, Visit visit)
{
    for (qsizetype slash = path.lastIndexOf(u'/'); slash > 0; slash = path.lastIndexOf(u'/', slash - 1)) {
        if (visit(QStringView(path).left(slash)))
            return true;
    }
    return false;
}

} // namespace

void addTrustedApplicationFolders(const QStringList& folders)
{
    std::lock_guard lock(trustedFoldersMutex);
    for (const QString& folder : folders) {
        // The program is ending: nothing launches any more.
        if (UnixSignals::quitPending())
            return;
        const QString clean = standardized(folder);
        if (!clean.isEmpty() && clean != u"/")
            trustedFolders.insert(clean);
    }
}

bool isTrustedDesktopEntry(const QString& path)
{
    const auto info = statOf(path);
    if (!info || !S_ISREG(info->st_mode))
        return false;
    if (info->st_mode & S_IXUSR)
        return true;
    const QString clean = standardized(path);
    for (const QString& folder : XdgPaths::applicationDirs()) {
        if (clean.startsWith(standardized(folder) + u'/'))
            return true;
    }
    std::lock_guard lock(trustedFoldersMutex);
    return anyFolderAbove(clean, [](QStringView folder) {
        ++trustedLookups;
        return trustedFolders.contains(folder.toString());
    });
}

std::size_t trustedFolderLookups()
{
    std::lock_guard lock(trustedFoldersMutex);
    return trustedLookups;
}

bool isApplication(const QString& path)
{
    if (!path.endsWith(QStringLiteral(".desktop")) || !isTrustedDesktopEntry(path))
        return false;
    const auto entry = DesktopEntry::load(path);
    return entry && entry->isApplication();
}

bool isPackage(const QString&) { return false; }

bool isExecutable(const QString& path) { return accessible(path, X_OK); }
bool isReadable(const QString& path) { return accessible(path, R_OK); }
bool isReadableAndWritable(const QString& path) { return accessible(path, R_OK | W_OK); }

std::optional<QDateTime> modificationDate(const QString& path)
{
    const auto info = statOf(path);
    if (!info)
        return std::nullopt;
    const qint64 ms = qint64(info->st_mtim.tv_sec) * 1000 + info->st_mtim.tv_nsec / 1000000;
    return QDateTime::fromMSecsSinceEpoch(ms);
}

QString displayName(const QString& path)
{
    if (path.isEmpty())
        return {};
    const QString clean = standardized(path);
    if (clean == u"/")
        return clean;
    if (clean.endsWith(QStringLiteral(".desktop")) && isTrustedDesktopEntry(clean)) {
        if (const auto entry = DesktopEntry::load(clean); entry && entry->isApplication()) {
            const QString name = entry->name();
            if (!name.isEmpty())
                return name;
        }
    }
    return QFileInfo(clean).fileName();
}

QString standardized(const QString& path)
{
    if (path.isEmpty())
        return {};
    return QDir::cleanPath(QDir::isAbsolutePath(path) ? path : QDir::current().absoluteFilePath(path));
}

QString resolvingSymlinks(const QString& path)
{
    const QString clean = standardized(path);
    if (clean.isEmpty())
        return {};
    // Walk back from the full path to the longest part that exists.
    QString head = clean;
    QString tail;
    while (true) {
        char resolved[PATH_MAX];
        if (::realpath(QFile::encodeName(head).constData(), resolved)) {
            const QString base = QFile::decodeName(resolved);
            if (tail.isEmpty())
                return base;
            return QDir::cleanPath(base + u'/' + tail);
        }
        if (head == u"/")
            return clean;
        const qsizetype slash = head.lastIndexOf(u'/');
        const QString name = head.mid(slash + 1);
        tail = tail.isEmpty() ? name : name + u'/' + tail;
        head = slash <= 0 ? QStringLiteral("/") : head.left(slash);
    }
}

QList<Mount> parseMountInfo(const QByteArray& text)
{
    QList<Mount> mounts;
    for (const QByteArray& line : text.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        // id parent major:minor root mount-point options [optional...] - type source super-options
        const qsizetype separator = fields.indexOf("-");
        if (fields.size() < 7 || separator < 6 || separator + 2 >= fields.size())
            continue;
        Mount mount;
        mount.mountPoint = unescapeMountField(fields[4]);
        mount.fileSystemType = QString::fromLatin1(fields[separator + 1]);
        mount.source = unescapeMountField(fields[separator + 2]);
        if (!mount.mountPoint.startsWith(u'/'))
            continue;
        mounts << mount;
    }
    return mounts;
}

std::optional<Mount> mountContaining(const QString& path, const QList<Mount>& mounts)
{
    std::optional<Mount> best;
    for (const Mount& mount : mounts) {
        const QString& point = mount.mountPoint;
        const bool contains = point == u"/" || path == point || path.startsWith(point + u'/');
        // The later of two mounts on the same point is the one on top.
        if (contains && (!best || point.size() >= best->mountPoint.size()))
            best = mount;
    }
    return best;
}

bool isLocalFileSystemType(const QString& type)
{
    static const QSet<QString> network = {
        QStringLiteral("nfs"),        QStringLiteral("nfs4"),       QStringLiteral("cifs"),
        QStringLiteral("smb3"),       QStringLiteral("smbfs"),      QStringLiteral("ncpfs"),
        QStringLiteral("afs"),        QStringLiteral("ceph"),       QStringLiteral("glusterfs"),
        QStringLiteral("9p"),         QStringLiteral("davfs"),      QStringLiteral("fuse.sshfs"),
        QStringLiteral("fuse.rclone"), QStringLiteral("fuse.s3fs"), QStringLiteral("fuse.glusterfs"),
        QStringLiteral("fuse.davfs2"), QStringLiteral("fuse.gvfsd-fuse"), QStringLiteral("afpfs"),
    };
    return !network.contains(type);
}

namespace {

QList<Mount> currentMounts()
{
    QFile file(QStringLiteral("/proc/self/mountinfo"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return parseMountInfo(file.readAll());
}

} // namespace

std::optional<QString> volumePath(const QString& path)
{
    if (!isReachable(path))
        return std::nullopt;
    const auto mount = mountContaining(resolvingSymlinks(path), currentMounts());
    if (!mount)
        return std::nullopt;
    return mount->mountPoint;
}

std::optional<bool> volumeIsLocal(const QString& path)
{
    if (!isReachable(path))
        return std::nullopt;
    if (const auto mount = mountContaining(resolvingSymlinks(path), currentMounts()))
        return isLocalFileSystemType(mount->fileSystemType);
    // Without mountinfo the kernel's magic numbers still know the network ones.
    struct statfs info {};
    if (::statfs(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    switch (static_cast<unsigned long>(info.f_type)) {
    case 0x6969UL:     // NFS
    case 0x517BUL:     // SMB
    case 0xFF534D42UL: // CIFS
    case 0xFE534D42UL: // SMB2
        return false;
    default:
        return true;
    }
}

} // namespace vantel::platform::FileFacts
