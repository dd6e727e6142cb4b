#include "platform/Process.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <linux/close_range.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/syscall.h>
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

// All a started program's child needs, made before the fork: between fork
// and exec only async-signal-safe calls are allowed.
struct ChildPlan {
    std::vector<QByteArray> candidates; // the program, or its places in PATH
    std::vector<char*> argv;
    std::vector<char*> envp;
    char* processIdDigits = nullptr; // where the program's own pid is written
    QByteArray workingDirectory;
    int input = -1;                  // /dev/null
    int report = -1;                 // the errno of a failed exec goes here
    int descriptorLimit = 1024;
};

void writeNumber(char* to, long value)
{
    char digits[24];
    int count = 0;
    do {
        digits[count++] = char('0' + value % 10);
        value /= 10;
    } while (value > 0 && count < int(sizeof digits));
    while (count > 0)
        *to++ = digits[--count];
    *to = '\0';
}

void reportError(int fd, int error)
{
    while (::write(fd, &error, sizeof error) < 0 && errno == EINTR) {}
}

[[noreturn]] void execChild(const ChildPlan& plan)
{
    struct sigaction defaults {};
    defaults.sa_handler = SIG_DFL;
    for (int signal = 1; signal < NSIG; ++signal)
        ::sigaction(signal, &defaults, nullptr);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    if (!plan.workingDirectory.isEmpty() && ::chdir(plan.workingDirectory.constData()) != 0) {
        // Stays where it is.
    }
    if (plan.input == STDIN_FILENO)
        ::fcntl(STDIN_FILENO, F_SETFD, 0);
    else
        ::dup2(plan.input, STDIN_FILENO);
    // Vantel's own descriptors (its sockets, its files) stay with Vantel.
    if (::syscall(SYS_close_range, 3u, ~0u, CLOSE_RANGE_CLOEXEC) != 0) {
        for (int fd = 3; fd < plan.descriptorLimit; ++fd)
            ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    if (plan.processIdDigits)
        writeNumber(plan.processIdDigits, long(::getpid()));
    // As execvp: a place of PATH that has no such program is passed over,
    // one that refuses it is remembered.
    int error = ENOENT;
    bool denied = false;
    for (const QByteArray& candidate : plan.candidates) {
        ::execve(candidate.constData(), plan.argv.data(), plan.envp.data());
        error = errno;
        if (error == EACCES)
            denied = true;
        else if (error != ENOENT && error != ENOTDIR && error != ESTALE)
            break;
    }
    if (denied && (error == ENOENT || error == ENOTDIR || error == ESTALE))
        error = EACCES;
    reportError(plan.report, error);
    ::_exit(127);
}

std::vector<QByteArray> candidatesFor(const QByteArray& program, const QStringList& environment)
{
    if (program.contains('/'))
        return {program};
    QByteArray path = QByteArrayLiteral("/usr/local/bin:/usr/bin:/bin");
    for (const QString& variable : environment) {
        if (variable.startsWith(QLatin1String("PATH="))) {
            path = QFile::encodeName(variable.mid(5));
            break;
        }
    }
    std::vector<QByteArray> candidates;
    for (const QByteArray& folder : path.split(':'))
        candidates.push_back((folder.isEmpty() ? QByteArrayLiteral(".") : folder) + '/' + program);
    return candidates;
}

} // namespace

int Process::start(const Start& start)
{
    if (start.program.isEmpty())
        return ENOENT;
    ChildPlan plan;
    const QByteArray program = QFile::encodeName(start.program);
    plan.candidates = candidatesFor(program, start.environment);

    std::vector<QByteArray> arguments{program};
    for (const QString& argument : start.arguments)
        arguments.push_back(QFile::encodeName(argument));
    for (QByteArray& argument : arguments)
        plan.argv.push_back(argument.data());
    plan.argv.push_back(nullptr);

    std::vector<QByteArray> environment;
    const QByteArray idPrefix = start.processIdVariable.isEmpty() ? QByteArray() : start.processIdVariable + '=';
    for (const QString& variable : start.environment) {
        QByteArray encoded = QFile::encodeName(variable);
        if (!idPrefix.isEmpty() && encoded.startsWith(idPrefix))
            continue;
        environment.push_back(std::move(encoded));
    }
    if (!idPrefix.isEmpty())
        environment.push_back(idPrefix + QByteArray(24, '\0'));
    for (QByteArray& variable : environment)
        plan.envp.push_back(variable.data());
    plan.envp.push_back(nullptr);
    if (!idPrefix.isEmpty())
        plan.processIdDigits = environment.back().data() + idPrefix.size();

    plan.workingDirectory = QFile::encodeName(start.workingDirectory);
    rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
        plan.descriptorLimit = int(std::min<rlim_t>(limit.rlim_cur, 1 << 20));

    plan.input = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (plan.input < 0)
        return errno;
    Pipe report;
    if (!report.open()) {
        const int error = errno;
        ::close(plan.input);
        return error;
    }
    plan.report = report.write;

    // No handler of ours may run in the child before its dispositions are reset.
    sigset_t all;
    sigset_t previous;
    sigfillset(&all);
    ::pthread_sigmask(SIG_SETMASK, &all, &previous);
    const pid_t intermediate = ::fork();
    if (intermediate == 0) {
        const pid_t child = ::fork();
        if (child == 0)
            execChild(plan);
        if (child < 0)
            reportError(report.write, errno);
        ::_exit(0);
    }
    const int forkError = errno;
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    ::close(plan.input);
    Pipe::close(report.write);
    if (intermediate < 0)
        return forkError;
    waitForChild(intermediate, 0);

    // The pipe closes at the program's exec: nothing read is a start.
    int error = 0;
    ssize_t received;
    do {
        received = ::read(report.read, &error, sizeof error);
    } while (received < 0 && errno == EINTR);
    return received == ssize_t(sizeof error) ? error : 0;
}

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
