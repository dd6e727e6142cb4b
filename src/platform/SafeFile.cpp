#include "platform/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantel::platform {

namespace {

QString errnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

WriteResult failure(const QString& what, int error)
{
    return {false, error ? QStringLiteral("%1: %2").arg(what, errnoText(error)) : what};
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

bool syncFolder(const QByteArray& folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0 || errno == EINVAL; // some file systems can't sync folders
    ::close(fd);
    return ok;
}

} // namespace

QString writeTargetOf(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return path;
    // A dangling link still names where the file belongs.
    QString target = info.symLinkTarget();
    for (int hops = 0; hops < 40 && QFileInfo(target).isSymLink(); ++hops)
        target = QFileInfo(target).symLinkTarget();
    return target.isEmpty() ? path : target;
}

WriteResult writeFileSafely(const QString& path, const QByteArray& data, const WriteOptions& options)
{
    if (path.isEmpty())
        return {false, QStringLiteral("no file name was given")};
    const QString target = writeTargetOf(path);
    const QFileInfo targetInfo(target);
    const QString folder = targetInfo.absolutePath();
    if (options.createFolder && !QFileInfo::exists(folder) && !QDir().mkpath(folder))
        return {false, QStringLiteral("cannot create the folder %1").arg(folder)};
    if (targetInfo.exists() && !targetInfo.isFile())
        return {false, QStringLiteral("%1 is not a regular file").arg(target)};

    const QByteArray targetName = QFile::encodeName(targetInfo.absoluteFilePath());
    QByteArray temporary = targetName + safeWriteTemporaryInfix + "XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return failure(QStringLiteral("cannot create a file in %1").arg(folder), errno);

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
        return abandon(QStringLiteral("cannot set the permissions of %1").arg(target));
    }
    if (!writeAll(fd, data, &error))
        return abandon(QStringLiteral("cannot write %1").arg(target));
    if (::fsync(fd) != 0) {
        error = errno;
        return abandon(QStringLiteral("cannot write %1 to the disk").arg(target));
    }
    // What is on disk must be what was meant: a full disk or a size limit can
    // let a write look whole and leave less behind.
    struct stat written {};
    if (::fstat(fd, &written) != 0 || written.st_size != data.size()) {
        error = errno;
        return abandon(QStringLiteral("%1 was not written whole").arg(target));
    }
    if (::close(fd) != 0) {
        error = errno;
        ::unlink(temporary.constData());
        return failure(QStringLiteral("cannot write %1").arg(target), error);
    }
    if (::rename(temporary.constData(), targetName.constData()) != 0) {
        error = errno;
        ::unlink(temporary.constData());
        return failure(QStringLiteral("cannot replace %1").arg(target), error);
    }
    if (!syncFolder(QFile::encodeName(folder)))
        return failure(QStringLiteral("cannot write the folder %1 to the disk").arg(folder), errno);
    return {true, {}};
}

void removeSafeWriteLeftovers(const QString& path)
{
    const QFileInfo info(writeTargetOf(path));
    QDir folder = info.dir();
    const QString pattern = info.fileName() + QLatin1String(safeWriteTemporaryInfix) + QStringLiteral("??????");
    for (const QString& name : folder.entryList({pattern}, QDir::Files | QDir::Hidden | QDir::System))
        folder.remove(name);
}

} // namespace vantel::platform
