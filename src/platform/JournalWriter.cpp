#include "platform/JournalWriter.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace vantel::platform {

namespace {
constexpr const char* kSystemSocket = "/run/systemd/journal/socket";

bool fillAddress(const QByteArray& path, sockaddr_un& address, socklen_t& length)
{
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.isEmpty() || static_cast<std::size_t>(path.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
    length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + static_cast<std::size_t>(path.size()) + 1);
    return true;
}
} // namespace

JournalWriter& JournalWriter::shared()
{
    static JournalWriter* writer = new JournalWriter;
    return *writer;
}

JournalWriter::JournalWriter()
    : path_(kSystemSocket)
{
}

void JournalWriter::setSocketPath(const QByteArray& path)
{
    std::lock_guard lock(mutex_);
    path_ = path.isEmpty() ? QByteArray(kSystemSocket) : path;
    availability_ = -1;
}

bool JournalWriter::available()
{
    std::lock_guard lock(mutex_);
    if (availability_ < 0) {
        struct stat info {};
        availability_ = (::stat(path_.constData(), &info) == 0 && S_ISSOCK(info.st_mode)) ? 1 : 0;
    }
    return availability_ == 1;
}

bool JournalWriter::send(const QByteArray& entry)
{
    std::lock_guard lock(mutex_);
    if (availability_ == 0)
        return false;
    if (fd_ < 0) {
        fd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        if (fd_ < 0)
            return false;
    }
    int error = 0;
    if (sendInline(entry, error))
        return true;
    if (error == EMSGSIZE || error == ENOBUFS)
        return sendAsMemfd(entry);
    if (error == ENOENT || error == ECONNREFUSED || error == ENOTDIR)
        availability_ = 0;
    return false;
}

bool JournalWriter::sendInline(const QByteArray& entry, int& error)
{
    sockaddr_un address;
    socklen_t length = 0;
    if (!fillAddress(path_, address, length)) {
        error = ENOENT;
        return false;
    }
    iovec vector{const_cast<char*>(entry.constData()), static_cast<std::size_t>(entry.size())};
    msghdr message{};
    message.msg_name = &address;
    message.msg_namelen = length;
    message.msg_iov = &vector;
    message.msg_iovlen = 1;
    ssize_t sent;
    do {
        sent = ::sendmsg(fd_, &message, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    if (sent >= 0)
        return true;
    error = errno;
    return false;
}

bool JournalWriter::sendAsMemfd(const QByteArray& entry)
{
    const int memory = ::memfd_create("journal-entry", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (memory < 0)
        return false;
    const char* data = entry.constData();
    std::size_t left = static_cast<std::size_t>(entry.size());
    while (left > 0) {
        const ssize_t written = ::write(memory, data, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            ::close(memory);
            return false;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    // The journal only takes a sealed memfd.
    if (::fcntl(memory, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL) < 0) {
        ::close(memory);
        return false;
    }
    sockaddr_un address;
    socklen_t length = 0;
    if (!fillAddress(path_, address, length)) {
        ::close(memory);
        return false;
    }
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    msghdr message{};
    message.msg_name = &address;
    message.msg_namelen = length;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    cmsghdr* header = CMSG_FIRSTHDR(&message);
    header->cmsg_level = SOL_SOCKET;
    header->cmsg_type = SCM_RIGHTS;
    header->cmsg_len = CMSG_LEN(sizeof(int));
    std::memcpy(CMSG_DATA(header), &memory, sizeof(int));
    ssize_t sent;
    do {
        sent = ::sendmsg(fd_, &message, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    ::close(memory);
    return sent >= 0;
}

} // namespace vantel::platform
