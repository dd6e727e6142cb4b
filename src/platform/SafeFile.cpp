#include "platform/SafeFile.h"

#include "platform/ErrorReasons.h"
#include "platform/LocalizedStrings.h"
#include "platform/Log.h"
#include "platform/UserFileRead.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <dirent.h>
#include <stdio.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantel::platform {

namespace {

// As many links as Linux follows in one lookup (MAXSYMLINKS).
constexpr int maximumLinkHops = 40;

// What failed and why, for the user's alert.
WriteResult failure(const QString& what, int error)
{
    return {false, error ? QStringLiteral("%1: %2").arg(what, reasonForErrno(error)) : what};
}

// Writes all of `data`, retrying short writes and interruptions.
bool writeAll(int fd, const QByteArray& data, int* error)
{
    const char* p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            *error = errno;
            return false;
        }
        if (n == 0) {
            *error = EIO;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

WriteResult changedSinceRead(const QString& target)
{
    WriteResult result{false, localized("%1 was not written over: it is not the file Vantel read").arg(target)};
    result.changedSinceRead = true;
    return result;
}

// Whether the open file `fd` is what its store read or last wrote: that very
// file, or one that holds the same bytes (touched, put back by a sync tool,
// rewritten unchanged, or on a file system whose inode numbers don't last).
// Its bytes are read only when its size is the one read, and no more of them.
bool holdsWhatWasRead(int fd, const struct stat& facts, const FileIdentity& read)
{
    if (FileIdentity::of(facts).isSameFileAs(read))
        return true;
    if (read.digest.isEmpty() || !S_ISREG(facts.st_mode) || qint64(facts.st_size) != read.size)
        return false;
    int error = 0;
    const std::optional<QByteArray> bytes = readOpenFile(fd, qsizetype(read.size), read.size, &error);
    return bytes && bytes->size() == read.size && FileIdentity::digestOf(*bytes) == read.digest;
}

// Moves the temporary in place of `target` only where that replaces the file
// its store read (or one with its bytes), or none. A missing file is claimed
// without a window in which another could appear (RENAME_NOREPLACE); a file
// system without it is checked just before the rename. Answers 0, an errno,
// or -1 when another file than the one read is there.
int renameOverReadFile(const QByteArray& temporary, const QByteArray& target, const std::optional<FileIdentity>& replacing)
{
    if (!replacing)
        return ::rename(temporary.constData(), target.constData()) == 0 ? 0 : errno;
    struct stat current {};
    bool exists = false;
    bool same = false;
    // Opened, not looked up: the bytes compared are those of the file found.
    if (const int fd = ::open(target.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY); fd >= 0) {
        exists = true;
        same = replacing->exists && ::fstat(fd, &current) == 0 && holdsWhatWasRead(fd, current, *replacing);
        ::close(fd);
    } else {
        // One that can't be read is the file read only if it is that very file.
        exists = ::stat(target.constData(), &current) == 0;
        same = exists && replacing->exists && FileIdentity::of(current).isSameFileAs(*replacing);
    }
    if (exists && !same)
        return -1;
    if (exists)
        return ::rename(temporary.constData(), target.constData()) == 0 ? 0 : errno;
    if (::renameat2(AT_FDCWD, temporary.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno == EEXIST)
        return -1;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    if (::lstat(target.constData(), &current) == 0)
        return -1;
    return ::rename(temporary.constData(), target.constData()) == 0 ? 0 : errno;
}

bool syncFolder(const QByteArray& folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0 || errno == EINVAL; // some file systems can't sync folders
    ::close(fd);
    return ok;
}

// The folder that holds `path` (absolute) with every link in it resolved; a
// part that does not exist yet is kept as written, without "." and "..".
QByteArray physicalFolderOf(const QByteArray& path)
{
    QByteArray folder = path.left(std::max<qsizetype>(1, path.lastIndexOf('/')));
    QByteArray missing;
    while (!folder.isEmpty()) {
        char resolved[PATH_MAX];
        if (::realpath(folder.constData(), resolved)) {
            const QByteArray real(resolved);
            return missing.isEmpty() ? real
                                     : QFile::encodeName(QDir::cleanPath(QFile::decodeName(real + missing)));
        }
        const qsizetype slash = folder.lastIndexOf('/');
        if (slash <= 0)
            break;
        missing.prepend(folder.mid(slash));
        folder.truncate(slash);
    }
    return QFile::encodeName(QDir::cleanPath(QFile::decodeName(folder + missing)));
}

QByteArray joined(const QByteArray& folder, const QByteArray& name)
{
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

// The start of the temporaries' names: the file's own name while it and the
// suffix fit the folder's name limit, else a short stem of its start and a
// digest of the whole, so a long name can still be written.
QByteArray temporaryStemOf(const QByteArray& folder, const QByteArray& name)
{
    const long limit = ::pathconf(folder.constData(), _PC_NAME_MAX);
    const qsizetype nameMax = limit > 0 ? qsizetype(limit) : 255;
    const qsizetype suffix = qsizetype(std::strlen(safeWriteTemporaryInfix)) + 6;
    if (name.size() + suffix <= nameMax)
        return name;
    qsizetype keep = std::min<qsizetype>(40, name.size());
    while (keep > 0 && keep < name.size() && (uchar(name.at(keep)) & 0xC0) == 0x80) // not inside a UTF-8 character
        --keep;
    return name.left(keep) + '~' + QCryptographicHash::hash(name, QCryptographicHash::Sha1).toHex().left(12);
}

// A name mkostemp made from `stem`: the infix and six letters or digits.
bool isTemporaryOf(const QByteArray& candidate, const QByteArray& stem)
{
    const QByteArray start = stem + safeWriteTemporaryInfix;
    if (candidate.size() != start.size() + 6 || !candidate.startsWith(start))
        return false;
    for (qsizetype i = start.size(); i < candidate.size(); ++i) {
        const char c = candidate.at(i);
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}

// A temporary of a write in progress is locked by its writer until the
// rename: the leftovers' removal of another process's load (a second start, a
// tool reading the settings) must not take it from under the write. Answers
// whether `fd` is locked and still the file of its name: a removal that got
// the lock first may have unlinked it.
bool lockedWhileLinked(int fd)
{
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR)
            return errno == ENOLCK || errno == EINVAL || errno == EOPNOTSUPP; // no locks here: nothing can spare it
    }
    struct stat info {};
    return ::fstat(fd, &info) == 0 && info.st_nlink > 0;
}

// Unlinks the leftover at `path` only where no write holds it: its writer's
// lock can be had, and it is still the regular file of that name.
void removeIfNoWriteHoldsIt(const QByteArray& path)
{
    int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0 && errno == EACCES)
        fd = ::open(path.constData(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat opened {};
    struct stat named {};
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode)
        && ::lstat(path.constData(), &named) == 0 && named.st_dev == opened.st_dev && named.st_ino == opened.st_ino)
        ::unlink(path.constData());
    ::close(fd); // releases the lock
}

// Closes the descriptor that holds the temporary's lock when the write ends.
struct LockHolder {
    int fd = -1;
    ~LockHolder()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

QString writeTargetOf(const QString& path)
{
    QByteArray current = QFile::encodeName(path);
    struct stat info {};
    if (current.isEmpty() || ::lstat(current.constData(), &info) != 0 || !S_ISLNK(info.st_mode))
        return path;
    if (!current.startsWith('/'))
        current = QFile::encodeName(QDir::currentPath()) + '/' + current;
    // Each hop as the kernel takes it: a relative target starts in the real
    // folder of the link, so a ".." in it leaves that folder, not the text of
    // the path that led there. A dangling link still names where the file belongs.
    int hops = 0;
    for (; hops < maximumLinkHops && ::lstat(current.constData(), &info) == 0 && S_ISLNK(info.st_mode); ++hops) {
        QByteArray target(PATH_MAX, Qt::Uninitialized);
        const ssize_t length = ::readlink(current.constData(), target.data(), size_t(target.size()));
        if (length <= 0 || length >= target.size())
            return path;
        target.truncate(length);
        current = target.startsWith('/') ? target : joined(physicalFolderOf(current), target);
    }
    // Still a link after as many hops as the kernel takes: a loop, or a chain
    // it would not follow to the end. No file lies behind it.
    if (hops == maximumLinkHops && ::lstat(current.constData(), &info) == 0 && S_ISLNK(info.st_mode))
        return path;
    const QByteArray name = current.mid(current.lastIndexOf('/') + 1);
    if (name.isEmpty() || name == "." || name == "..")
        return QFile::decodeName(current);
    return QFile::decodeName(joined(physicalFolderOf(current), name));
}

WriteResult writeFileSafely(const QString& path, const QByteArray& data, const WriteOptions& options)
{
    if (path.isEmpty())
        return {false, localized("No file name was given")};
    // A link that loops, or a chain longer than the kernel follows: the kernel
    // would refuse to open it, so replacing its last link with a file would
    // break the link the user made. Asked of the kernel itself, since links
    // in the folders count towards its limit as well.
    if (struct stat followed {}; ::stat(QFile::encodeName(path).constData(), &followed) != 0 && errno == ELOOP)
        return failure(localized("Cannot write %1").arg(path), ELOOP);
    const QString target = writeTargetOf(path);
    const QFileInfo targetInfo(target);
    const QString folder = targetInfo.absolutePath();
    if (options.createFolder && !QFileInfo::exists(folder) && !QDir().mkpath(folder))
        return {false, localized("Cannot create the folder %1").arg(folder)};
    if (targetInfo.exists() && !targetInfo.isFile())
        return {false, localized("%1 is not a regular file").arg(target)};

    const QByteArray targetName = QFile::encodeName(targetInfo.absoluteFilePath());
    const QByteArray folderName = targetName.left(std::max<qsizetype>(1, targetName.lastIndexOf('/')));
    const QByteArray fileName = targetName.mid(targetName.lastIndexOf('/') + 1);
    const QByteArray pattern =
        joined(folderName, temporaryStemOf(folderName, fileName)) + safeWriteTemporaryInfix + "XXXXXX";
    QByteArray temporary;
    int fd = -1;
    // A removal that took a fresh temporary before its lock: another name.
    for (int attempt = 0; fd < 0; ++attempt) {
        temporary = pattern;
        fd = ::mkostemp(temporary.data(), O_CLOEXEC);
        if (fd < 0)
            return failure(localized("Cannot create a file in %1").arg(folder), errno);
        if (lockedWhileLinked(fd))
            break;
        const int lockError = errno;
        ::close(fd);
        fd = -1;
        if (attempt == 2)
            return failure(localized("Cannot create a file in %1").arg(folder), lockError);
    }
    // A second descriptor keeps the lock past the checked close, to the rename.
    const LockHolder lock{::fcntl(fd, F_DUPFD_CLOEXEC, 0)};

    int error = 0;
    const auto abandon = [&](const QString& what) {
        ::close(fd);
        ::unlink(temporary.constData());
        return failure(what, error);
    };

    struct stat existing {};
    const mode_t mode = ::stat(targetName.constData(), &existing) == 0 ? (existing.st_mode & 07777)
                                                                        : mode_t(options.newFileMode);
    if (::fchmod(fd, mode) != 0) {
        error = errno;
        return abandon(localized("Cannot set the permissions of %1").arg(target));
    }
    if (!writeAll(fd, data, &error))
        return abandon(localized("Cannot write %1").arg(target));
    if (::fsync(fd) != 0) {
        error = errno;
        return abandon(localized("Cannot write %1 to the disk").arg(target));
    }
    // What is on disk must be what was meant: a full disk or a size limit can
    // let a write look whole and leave less behind.
    struct stat written {};
    if (::fstat(fd, &written) != 0 || written.st_size != data.size()) {
        error = errno;
        return abandon(localized("%1 was not written whole").arg(target));
    }
    if (::close(fd) != 0) {
        error = errno;
        ::unlink(temporary.constData());
        return failure(localized("Cannot write %1").arg(target), error);
    }
    if (const int renamed = renameOverReadFile(temporary, targetName, options.replacing); renamed != 0) {
        ::unlink(temporary.constData());
        if (renamed < 0)
            return changedSinceRead(target);
        return failure(localized("Cannot replace %1").arg(target), renamed);
    }
    // The file is in place: a folder that can't be synced (one that can't be
    // opened for reading) is worth a warning, not a failure.
    if (!syncFolder(QFile::encodeName(folder)))
        VLOG(Log::defaultHandle(), LogType::Error, "%{public}@ was written; its folder could not be synced: %{public}@",
             target, QString::fromLocal8Bit(std::strerror(errno)));
    WriteResult result{true, {}};
    result.written = FileIdentity::of(written, data);
    return result;
}

NewFileWrite writeNewFileSafely(const QString& stem, const QString& suffix, const QByteArray& data, bool createFolder)
{
    WriteOptions options;
    options.replacing = FileIdentity::none(); // a new name stays new
    options.createFolder = createFolder;
    NewFileWrite result;
    for (int n = 1; n < 1000; ++n) {
        const QString candidate = (n == 1 ? stem : stem + u'-' + QString::number(n)) + suffix;
        struct stat facts {};
        if (::lstat(QFile::encodeName(candidate).constData(), &facts) == 0)
            continue; // a dangling link too: its name is taken
        result.written = writeFileSafely(candidate, data, options);
        if (result.written.changedSinceRead)
            continue; // taken meanwhile
        if (result.written.ok)
            result.path = candidate;
        return result;
    }
    if (result.written.error.isEmpty())
        result.written.error = localized("No free name was found for %1").arg(stem + suffix);
    return result;
}

void removeSafeWriteLeftovers(const QString& path)
{
    const QByteArray target = QFile::encodeName(QFileInfo(writeTargetOf(path)).absoluteFilePath());
    const QByteArray folder = target.left(std::max<qsizetype>(1, target.lastIndexOf('/')));
    const QByteArray stem = temporaryStemOf(folder, target.mid(target.lastIndexOf('/') + 1));
    DIR* listing = ::opendir(folder.constData());
    if (!listing)
        return;
    QList<QByteArray> leftovers;
    while (const dirent* entry = ::readdir(listing)) {
        if (isTemporaryOf(QByteArray(entry->d_name), stem))
            leftovers.append(QByteArray(entry->d_name));
    }
    ::closedir(listing);
    for (const QByteArray& name : std::as_const(leftovers))
        removeIfNoWriteHoldsIt(joined(folder, name));
}

} // namespace vantel::platform
