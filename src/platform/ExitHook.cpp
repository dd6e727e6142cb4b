#include "platform/ExitHook.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace vantel::platform::ExitHook {

namespace {

// Never destroyed: static destructors run at exit, before or after the hook.
struct State {
    std::mutex mutex;
    std::function<void()> action;
    std::thread::id mainThread;
    AfterLostDisplay after = AfterLostDisplay::endProcess;
    QtMessageHandler previousHandler = nullptr;
    bool registered = false;
};

State& state()
{
    static State* const instance = new State;
    return *instance;
}

void runOnce()
{
    State& s = state();
    if (std::this_thread::get_id() != s.mainThread)
        return;
    std::function<void()> action;
    {
        std::lock_guard lock(s.mutex);
        action = std::exchange(s.action, nullptr);
    }
    if (action)
        action();
}

void atExit()
{
    runOnce();
}

// Qt logs this just before its exit(1) when the display is gone (both its
// XCB and its Xlib path).
bool reportsLostDisplay(const QString& message)
{
    return message.startsWith(QLatin1String("The X11 connection broke"));
}

void messageHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    // Qt hands back its default handler when none was installed before.
    if (const QtMessageHandler previous = state().previousHandler)
        previous(type, context, message);
    if (!reportsLostDisplay(message) || std::this_thread::get_id() != state().mainThread)
        return;
    runOnce();
    if (state().after == AfterLostDisplay::endProcess) {
        std::fflush(nullptr);
        std::_Exit(1);
    }
}

} // namespace

void install(std::function<void()> action, AfterLostDisplay after)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.action = std::move(action);
    s.after = after;
    s.mainThread = std::this_thread::get_id();
    if (s.registered)
        return;
    s.registered = true;
    std::atexit(atExit);
    s.previousHandler = qInstallMessageHandler(messageHandler);
}

void disarm()
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.action = nullptr;
}

bool isArmed()
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    return static_cast<bool>(s.action);
}

void runNow()
{
    runOnce();
}

} // namespace vantel::platform::ExitHook
