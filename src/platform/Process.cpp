#include "platform/Process.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <system_error>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace vantel::platform {

namespace {

QString errorText(int error)
{
    return QString::fromStdString(std::system_category().message(error));
}

struct Pipe {
    int read = -1;
    int write = -1;

    bool open() {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0)
            return false;
        read = fds[0];
        write = fds[1];
        return true;
    }
    static void close(int& fd) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
    ~Pipe() {
        close(read);
        close(write);
    }
};

int waitForChild(pid_t pid, int options)
{
    int status = 0;
    pid_t r;
    do {
        r = ::waitpid(pid, &status, options);
    } while (r < 0 && errno == EINTR);
    if (r == 0)
        return -1;   // still running (WNOHANG)
    return r < 0 ? -2 : status;
}

} // namespace

Process::Result Process::run(const QString& executable, const QStringList& arguments, std::chrono::milliseconds timeout)
{
    Result result;
    if (executable.isEmpty()) {
        result.errorDescription = QStringLiteral("No executable given");
        return result;
    }

    Pipe out;
    Pipe err;
    if (!out.open() || !err.open()) {
        result.errorDescription = QStringLiteral("Unable to create pipes: %1").arg(errorText(errno));
        return result;
    }

    const QByteArray program = executable.toLocal8Bit();
    std::vector<QByteArray> storage;
    storage.reserve(static_cast<size_t>(arguments.size()) + 1);
    storage.push_back(program);
    for (const QString& argument : arguments)
        storage.push_back(argument.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& a : storage)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out.write, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err.write, STDERR_FILENO);

    // The child leads its own process group, so a timeout also ends what it
    // started; signal dispositions and mask start out at their defaults.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    sigaddset(&defaults, SIGCHLD);
    sigset_t emptyMask;
    sigemptyset(&emptyMask);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setsigmask(&attributes, &emptyMask);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    pid_t pid = -1;
    const int spawnError = ::posix_spawnp(&pid, program.constData(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (spawnError != 0) {
        result.errorDescription = QStringLiteral("Unable to launch %1: %2").arg(executable, errorText(spawnError));
        return result;
    }
    result.launched = true;
    Pipe::close(out.write);
    Pipe::close(err.write);

    using Clock = std::chrono::steady_clock;
    const bool bounded = timeout.count() >= 0;
    const Clock::time_point deadline = Clock::now() + (bounded ? timeout : std::chrono::milliseconds(0));

    char buffer[65536];
    while (out.read >= 0 || err.read >= 0) {
        pollfd fds[2];
        nfds_t count = 0;
        if (out.read >= 0)
            fds[count++] = {out.read, POLLIN, 0};
        if (err.read >= 0)
            fds[count++] = {err.read, POLLIN, 0};
        int wait = -1;
        if (bounded) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0) {
                result.timedOut = true;
                break;
            }
            wait = static_cast<int>(std::min<long long>(left, 1000 * 60 * 60));
        }
        const int ready = ::poll(fds, count, wait);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            result.errorDescription = QStringLiteral("Unable to read the output: %1").arg(errorText(errno));
            break;
        }
        for (nfds_t i = 0; i < count; ++i) {
            if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            const bool isOut = fds[i].fd == out.read;
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                (isOut ? result.standardOutput : result.standardError).append(buffer, n);
            } else if (n == 0 || errno != EINTR) {
                Pipe::close(isOut ? out.read : err.read);
            }
        }
    }

    int status;
    if (result.timedOut || !result.errorDescription.isEmpty()) {
        ::kill(-pid, SIGKILL);
        ::kill(pid, SIGKILL);
        status = waitForChild(pid, 0);
    } else if (!bounded) {
        status = waitForChild(pid, 0);
    } else {
        // The pipes closed; the child may still be on its way out.
        status = waitForChild(pid, WNOHANG);
        while (status == -1) {
            if (Clock::now() >= deadline) {
                result.timedOut = true;
                ::kill(-pid, SIGKILL);
                ::kill(pid, SIGKILL);
                status = waitForChild(pid, 0);
                break;
            }
            ::usleep(2000);
            status = waitForChild(pid, WNOHANG);
        }
    }

    if (status == -2) {
        result.errorDescription = QStringLiteral("Unable to wait for %1: %2").arg(executable, errorText(errno));
    } else if (WIFEXITED(status)) {
        result.exitStatus = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.exitStatus = WTERMSIG(status);
        result.crashed = true;
    }
    if (result.timedOut)
        result.errorDescription = QStringLiteral("%1 did not finish within %2 ms and was killed")
                                      .arg(executable)
                                      .arg(timeout.count());
    return result;
}

} // namespace vantel::platform
