#include "platform/MainQueue.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <QTimer>

#include <thread>

namespace vantel::platform::MainQueue {

namespace {
// Static initialisation runs on the thread that starts the program; used only
// while no application object exists yet.
const std::thread::id g_startupThread = std::this_thread::get_id();

QCoreApplication* application()
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        qWarning("MainQueue: no application object, the block is dropped");
    return app;
}
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
    if (QCoreApplication* app = application())
        QMetaObject::invokeMethod(app, std::move(block), Qt::QueuedConnection);
}

void sync(const std::function<void()>& block)
{
    if (!block)
        return;
    if (isMainThread()) {
        block();
        return;
    }
    if (QCoreApplication* app = application())
        QMetaObject::invokeMethod(app, [&block] { block(); }, Qt::BlockingQueuedConnection);
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
