#include "platform/UserFileRead.h"

#include "platform/ErrorReasons.h"
#include "platform/LocalizedStrings.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantel::platform {

namespace {

UserFileRead failed(UserFileRead::Status status, const QString& error)
{
    UserFileRead result;
    result.status = status;
    result.error = error;
    return result;
}

} // namespace

UserFileRead readUserFile(const QString& path, qint64 maxBytes)
{
    if (path.isEmpty())
        return failed(UserFileRead::Status::missing, {});
    const QByteArray native = QFile::encodeName(path);
    // Refused before opening: opening a FIFO for reading would wait for a writer.
    struct stat facts {};
    if (::stat(native.constData(), &facts) != 0) {
        const int error = errno;
        if (error == ENOENT)
            return failed(UserFileRead::Status::missing, {});
        return failed(UserFileRead::Status::unreadable, reasonForErrno(error));
    }
    if (!S_ISREG(facts.st_mode))
        return failed(UserFileRead::Status::notRegularFile,
                      localized("%1 is not a regular file").arg(path));
    // Non-blocking, and checked again on the open file: the path may have been
    // swapped for something else in between.
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        const int error = errno;
        return failed(error == ENOENT ? UserFileRead::Status::missing : UserFileRead::Status::unreadable,
                      reasonForErrno(error));
    }
    const auto closeAnd = [fd](UserFileRead result) {
        ::close(fd);
        return result;
    };
    if (::fstat(fd, &facts) != 0)
        return closeAnd(failed(UserFileRead::Status::unreadable, reasonForErrno(errno)));
    if (!S_ISREG(facts.st_mode))
        return closeAnd(failed(UserFileRead::Status::notRegularFile,
                               localized("%1 is not a regular file").arg(path)));
    if (facts.st_size > maxBytes)
        return closeAnd(failed(UserFileRead::Status::tooLarge,
                               localized("%1 is larger than %2 bytes").arg(path).arg(maxBytes)));

    QByteArray data;
    data.reserve(qsizetype(facts.st_size));
    char buffer[65536];
    while (true) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return closeAnd(failed(UserFileRead::Status::unreadable, reasonForErrno(errno)));
        }
        if (n == 0)
            break;
        // A file that grows while it is read is held to the same limit.
        if (data.size() + n > maxBytes)
            return closeAnd(failed(UserFileRead::Status::tooLarge,
                                   localized("%1 is larger than %2 bytes").arg(path).arg(maxBytes)));
        data.append(buffer, qsizetype(n));
    }
    UserFileRead result;
    result.status = UserFileRead::Status::ok;
    result.identity = FileIdentity::of(facts, data);
    result.data = std::move(data);
    return closeAnd(std::move(result));
}

} // namespace vantel::platform
