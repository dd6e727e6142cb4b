#include "platform/LoadAlerts.h"

#include "platform/Dialogs.h"
#include "platform/Log.h"
#include "platform/MainQueue.h"

#include <mutex>

namespace vantel::platform::LoadAlerts {

namespace {

struct State {
    std::mutex mutex;
    QList<Alert> reported; // every alert of this process, so each is shown once
    QList<Alert> queued;
    QList<std::function<void()>> queuedWhenShown; // beside each of `queued`
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

void report(const QString& messageText, const QString& informativeText, std::function<void()> whenShown)
{
    const Alert alert{messageText, informativeText};
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (s.reported.contains(alert))
        return;
    s.reported.append(alert);
    s.queued.append(alert);
    s.queuedWhenShown.append(std::move(whenShown));
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
    QList<std::function<void()>> whenShown;
    {
        State& s = state();
        std::lock_guard lock(s.mutex);
        s.released = true;
        s.showScheduled = false;
        toShow = std::exchange(s.queued, {});
        whenShown = std::exchange(s.queuedWhenShown, {});
    }
    // About the user's files, not a window: in the middle of the screen.
    for (qsizetype i = 0; i < toShow.size(); ++i) {
        const Alert& alert = toShow.at(i);
        VLOG(Log::defaultHandle(), LogType::Default, "Told about the user's files: %{public}@ %{public}@",
             alert.messageText, alert.informativeText);
        if (whenShown.at(i))
            whenShown.at(i)();
        Dialogs::showAlert(alert.messageText, alert.informativeText, true);
    }
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
    s.queuedWhenShown.clear();
    s.released = false;
    s.showScheduled = false;
}

} // namespace vantel::platform::LoadAlerts
