#include "platform/LoadAlerts.h"

#include "platform/Dialogs.h"
#include "platform/MainQueue.h"

#include <mutex>

namespace vantel::platform::LoadAlerts {

namespace {

struct State {
    std::mutex mutex;
    QList<Alert> reported; // every alert of this process, so each is shown once
    QList<Alert> queued;
    bool released = false;
    bool showScheduled = false;
};

State& state()
{
    static State* const instance = new State();
    return *instance;
}

void scheduleShowLocked(State& s)
{
    if (s.showScheduled)
        return;
    s.showScheduled = true;
    MainQueue::async([] { showPending(); });
}

} // namespace

void report(const QString& messageText, const QString& informativeText)
{
    const Alert alert{messageText, informativeText};
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (s.reported.contains(alert))
        return;
    s.reported.append(alert);
    s.queued.append(alert);
    if (s.released)
        scheduleShowLocked(s);
}

QList<Alert> pending()
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    return s.queued;
}

void showPending()
{
    QList<Alert> toShow;
    {
        State& s = state();
        std::lock_guard lock(s.mutex);
        s.released = true;
        s.showScheduled = false;
        toShow = std::exchange(s.queued, {});
    }
    // About the user's files, not a window: in the middle of the screen.
    for (const Alert& alert : std::as_const(toShow))
        Dialogs::showAlert(alert.messageText, alert.informativeText, true);
}

void launchEnded()
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.released = true;
    scheduleShowLocked(s);
}

void reset()
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.reported.clear();
    s.queued.clear();
    s.released = false;
    s.showScheduled = false;
}

} // namespace vantel::platform::LoadAlerts
