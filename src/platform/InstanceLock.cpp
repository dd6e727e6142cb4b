#include "platform/InstanceLock.h"

#include "platform/ErrorReasons.h"
#include "platform/XdgPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace vantel::platform {

QString InstanceLock::defaultPath()
{
    return QFileInfo(XdgPaths::settingsFile()).absolutePath() + QStringLiteral("/net.tarnwick.vantel.lock");
}

InstanceLock::InstanceLock(const QString& path)
    : path_(path)
{
}

InstanceLock::~InstanceLock()
{
    unlock();
}

InstanceLock::Result InstanceLock::tryLock()
{
    if (isLocked())
        return Result::Locked;
    errorString_.clear();
    if (path_.isEmpty()) {
        errorString_ = QStringLiteral("No path for the lock file");
        return Result::Failed;
    }
    QDir().mkpath(QFileInfo(path_).absolutePath());
    const QByteArray native = QFile::encodeName(path_);
    // Not following a link: the lock belongs to this folder.
    const int fd = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        errorString_ = QStringLiteral("%1: %2").arg(path_, reasonForErrno(errno));
        return Result::Failed;
    }
    // flock, not fcntl: it also holds against another opening in this process.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK) {
            errorString_ = QStringLiteral("Another process holds the lock %1").arg(path_);
            return Result::HeldElsewhere;
        }
        errorString_ = QStringLiteral("%1: %2").arg(path_, reasonForErrno(error));
        return Result::Failed;
    }
    fd_ = fd;
    return Result::Locked;
}

void InstanceLock::unlock()
{
    if (fd_ < 0)
        return;
    ::close(fd_); // releases the lock
    fd_ = -1;
}

} // namespace vantel::platform
