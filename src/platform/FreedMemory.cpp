#include "platform/FreedMemory.h"

#include "platform/MainQueue.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

#include <atomic>
#include <malloc.h>

namespace vantel::platform {

namespace {

std::atomic<int> g_returns{0};

void returnNow()
{
    ::malloc_trim(0);
    g_returns.fetch_add(1, std::memory_order_relaxed);
}

} // namespace

void returnFreedMemorySoon(std::chrono::milliseconds settle)
{
    MainQueue::async([settle] {
        auto* app = QCoreApplication::instance();
        if (!app) {
            returnNow();
            return;
        }
        // One timer for every call of a burst; each call starts it again.
        static QPointer<QTimer> timer;
        if (!timer) {
            timer = new QTimer(app);
            timer->setSingleShot(true);
            QObject::connect(timer, &QTimer::timeout, timer, returnNow);
        }
        timer->start(settle);
    });
}

int freedMemoryReturns()
{
    return g_returns.load(std::memory_order_relaxed);
}

} // namespace vantel::platform
