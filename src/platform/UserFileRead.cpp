#include "platform/UserFileRead.h"

#include "platform/ErrorReasons.h"
#include "platform/LocalizedStrings.h"

#include <QFile>

#include <algorithm>
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

std::optional<QByteArray> readOpenFile(int fd, qsizetype expectedBytes, qint64 maxBytes, int* error)
{
    *error = 0;
    QByteArray data;
    data.reserve(qsizetype(std::min<qint64>(expectedBytes, maxBytes)));
    char buffer[65536];
    while (true) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            *error = errno;
            return std::nullopt;
        }
        if (n == 0)
            return data;
        if (data.size() + n > maxBytes)
            return std::nullopt;
        data.append(buffer, qsizetype(n));
    }
}

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

    int error = 0;
    std::optional<QByteArray> data = readOpenFile(fd, qsizetype(facts.st_size), maxBytes, &error);
    if (!data) {
        // A file that grows while it is read is held to the same limit.
        if (error)
            return closeAnd(failed(UserFileRead::Status::unreadable, reasonForErrno(error)));
        return closeAnd(failed(UserFileRead::Status::tooLarge,
                               localized("%1 is larger than %2 bytes").arg(path).arg(maxBytes)));
    }
    UserFileRead result;
    result.status = UserFileRead::Status::ok;
    result.identity = FileIdentity::of(facts, *data);
    result.data = std::move(*data);
    return closeAnd(std::move(result));
}

} // namespace vantel::platform
