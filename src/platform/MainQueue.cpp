#include "platform/MainQueue.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <mutex>
#include <thread>

#if defined(__SANITIZE_THREAD__)
extern "C" void __tsan_acquire(void* address);
extern "C" void __tsan_release(void* address);
#endif

namespace vantel::platform::MainQueue {

namespace {
// Qt hands a block over through its event queue and, for sync, a semaphore:
// locks a thread checker can't see in a Qt built without it. Told here as
// the one lock they are, so what a block reads of its poster is no race.
#if defined(__SANITIZE_THREAD__)
char g_handOver;
#endif
void handOverReleased()
{
#if defined(__SANITIZE_THREAD__)
    __tsan_release(&g_handOver);
#endif
}
void handOverAcquired()
{
#if defined(__SANITIZE_THREAD__)
    __tsan_acquire(&g_handOver);
#endif
}

// Static initialisation runs on the thread that starts the program; used only
// while no application object exists yet.
const std::thread::id g_startupThread = std::this_thread::get_id();

// Set while the application object is being destroyed; from then on a
// block has no main loop left to run on.
std::atomic<bool> g_applicationEnded{false};

QCoreApplication* application()
{
    QCoreApplication* app = QCoreApplication::instance();
    if (app) {
        static std::once_flag watching;
        std::call_once(watching, [] { qAddPostRoutine([] { g_applicationEnded = true; }); });
        return app;
    }
    // Work that finishes after quit (a write's completion, a worker's last
    // answer) is dropped without a word; before any application object
    // existed a block is a mistake of the caller.
    if (!g_applicationEnded)
        qWarning("MainQueue: no application object, the block is dropped");
    return nullptr;
}
// What a queued call carries. Qt copies the functor into its own object
// after the call is made, so the hand-over is told as each move of it ends,
// when the block is in place for the main thread to read.
template <typename T>
struct HandedOver {
    T value;
    explicit HandedOver(T v) : value(std::move(v)) {}
    HandedOver(HandedOver&& other) noexcept : value(std::move(other.value)) { handOverReleased(); }
    HandedOver(const HandedOver& other) : value(other.value) { handOverReleased(); }
};
} // namespace

bool isMainThread()
{
    if (const QCoreApplication* app = QCoreApplication::instance())
        return QThread::currentThread() == app->thread();
    return std::this_thread::get_id() == g_startupThread;
}

void async(std::function<void()> block)
{
    if (!block)
        return;
    if (QCoreApplication* app = application()) {
        QMetaObject::invokeMethod(
            app,
            [handed = HandedOver(std::move(block))] {
                handOverAcquired();
                handed.value();
            },
            Qt::QueuedConnection);
    }
}

void sync(const std::function<void()>& block)
{
    if (!block)
        return;
    if (isMainThread()) {
        block();
        return;
    }
    if (QCoreApplication* app = application()) {
        QMetaObject::invokeMethod(
            app,
            [handed = HandedOver(&block)] {
                handOverAcquired();
                (*handed.value)();
                handOverReleased();
            },
            Qt::BlockingQueuedConnection);
        handOverAcquired();
    }
}

void asyncAfter(std::chrono::milliseconds delay, std::function<void()> block)
{
    if (!block)
        return;
    if (delay.count() < 0)
        delay = std::chrono::milliseconds(0);
    // A timer must be started on the thread it lives on.
    auto arm = [delay, block = std::move(block)]() mutable {
        if (QCoreApplication* app = QCoreApplication::instance())
            QTimer::singleShot(delay, Qt::PreciseTimer, app, std::move(block));
    };
    if (isMainThread() && QCoreApplication::instance())
        arm();
    else
        async(std::move(arm));
}

} // namespace vantel::platform::MainQueue
