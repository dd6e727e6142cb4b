#include "platform/UnixSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vantel::platform {

namespace {
int g_signalFds[2] = {-1, -1};
constexpr int kQuitSignals[] = {SIGTERM, SIGINT, SIGHUP};
// Written in the handler: only a lock-free atomic may be.
std::atomic<int> g_pendingSignal{0};
static_assert(std::atomic<int>::is_always_lock_free);

void onSignal(int signalNumber)
{
    if (g_pendingSignal.load(std::memory_order_relaxed) == 0)
        g_pendingSignal.store(signalNumber, std::memory_order_relaxed);
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    // write() is async-signal-safe; a full pipe only drops a duplicate request.
    [[maybe_unused]] auto n = ::write(g_signalFds[0], &byte, 1);
}
} // namespace

UnixSignals::UnixSignals(QObject* parent)
    : QObject(parent)
{
    if (g_signalFds[0] < 0) {
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalFds) != 0) {
            qWarning("UnixSignals: socketpair failed, signals will end the process directly");
            return;
        }
        ::fcntl(g_signalFds[0], F_SETFL, O_NONBLOCK);
    }
    auto* notifier = new QSocketNotifier(g_signalFds[1], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &UnixSignals::handleReadable);

    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : kQuitSignals)
        ::sigaction(number, &action, nullptr);
    // A write to a connection whose peer is gone (the X server at the end of
    // a session, a later start that gave up) fails with EPIPE instead of
    // ending the process before it saves.
    ::signal(SIGPIPE, SIG_IGN);
}

bool UnixSignals::quitPending()
{
    return g_pendingSignal.load(std::memory_order_relaxed) != 0;
}

UnixSignals::~UnixSignals()
{
    // A process already quitting finishes its way out undisturbed.
    for (int number : kQuitSignals)
        ::signal(number, received_ != 0 ? SIG_IGN : SIG_DFL);
    g_pendingSignal.store(0, std::memory_order_relaxed);
}

void UnixSignals::handleReadable()
{
    unsigned char byte = 0;
    if (::read(g_signalFds[1], &byte, 1) != 1)
        return;
    // The quit is under way: a second signal must not start it again.
    if (received_ != 0)
        return;
    received_ = byte;
    emit quitRequested(byte);
    if (auto* app = QCoreApplication::instance())
        app->quit();
}

} // namespace vantel::platform
