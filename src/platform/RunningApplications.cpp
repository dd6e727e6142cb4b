#include "platform/RunningApplications.h"

#include "platform/ApplicationMatcher.h"
#include "platform/DesktopEntryIndex.h"
#include "platform/DispatchQueue.h"
#include "platform/MainQueue.h"
#include "platform/NotificationCenter.h"
#include "platform/Timer.h"
#include "platform/WindowList.h"

#include <QSet>

#include <atomic>
#include <mutex>

namespace vantel::platform {

struct RunningApplications::State : std::enable_shared_from_this<State> {
    explicit State(Options opts)
        : options(std::move(opts))
        , queue(DispatchQueue::create(QStringLiteral("net.tarnwick.vantel.runningApplications"),
                                      DispatchQueue::Kind::Serial))
    {
    }

    // Any thread; the engine is used by one at a time.
    QList<RunningApplication> compute()
    {
        const std::lock_guard lock(engineMutex);
        const QStringList folders = options.applicationFolders.isEmpty()
            ? DesktopEntryIndex::defaultApplicationFolders()
            : options.applicationFolders;
        const ApplicationMatcher matcher(index.scan(folders).applications);
        const QList<WindowInfo> windowInfos = options.useWindowList ? windows.windows() : QList<WindowInfo>{};
        return matcher.match(ApplicationMatcher::readProcesses(), windowInfos);
    }

    // Main thread.
    void poll()
    {
        if (!started || polling.exchange(true))
            return;
        auto self = shared_from_this();
        const quint64 pass = generation;
        queue->async([self, pass] {
            auto snapshot = self->compute();
            MainQueue::async([self, pass, snapshot = std::move(snapshot)] {
                self->polling = false;
                if (self->started && pass == self->generation)
                    self->apply(snapshot);
            });
        });
    }

    static QSet<QString> regularPaths(const QList<RunningApplication>& list)
    {
        QSet<QString> paths;
        for (const RunningApplication& application : list) {
            if (application.regular)
                paths.insert(application.bundlePath);
        }
        return paths;
    }

    // Main thread: swaps the snapshot in and announces the difference.
    void apply(const QList<RunningApplication>& fresh)
    {
        QSet<QString> before;
        {
            const std::lock_guard lock(snapshotMutex);
            before = regularPaths(snapshot);
            snapshot = fresh;
        }
        const QSet<QString> after = regularPaths(fresh);
        QStringList terminated = QStringList(before.cbegin(), before.cend());
        terminated.removeIf([&after](const QString& path) { return after.contains(path); });
        QStringList launched = QStringList(after.cbegin(), after.cend());
        launched.removeIf([&before](const QString& path) { return before.contains(path); });
        terminated.sort();
        launched.sort();

        auto& center = NotificationCenter::workspaceCenter();
        for (const QString& path : terminated) {
            if (!owner)
                return;
            center.post(didTerminateApplication, path, owner);
        }
        for (const QString& path : launched) {
            if (!owner)
                return;
            center.post(didLaunchApplication, path, owner);
        }
    }

    const Options options;
    const std::shared_ptr<DispatchQueue> queue;
    RunningApplications* owner = nullptr; // main thread

    std::mutex engineMutex;
    DesktopEntryIndex index;
    WindowList windows;

    mutable std::mutex snapshotMutex;
    QList<RunningApplication> snapshot;

    std::atomic<bool> polling{false};
    bool started = false;    // main thread
    quint64 generation = 0;  // main thread
    std::shared_ptr<Timer> timer;
};

RunningApplications::RunningApplications()
    : RunningApplications(Options{})
{
}

RunningApplications::RunningApplications(Options options)
    : state_(std::make_shared<State>(std::move(options)))
{
    state_->owner = this;
}

RunningApplications::~RunningApplications()
{
    stop();
    state_->owner = nullptr;
}

RunningApplications& RunningApplications::shared()
{
    // Lives as long as the process, like the workspace it stands for.
    static RunningApplications* const instance = [] {
        auto* created = new RunningApplications();
        created->start();
        return created;
    }();
    return *instance;
}

void RunningApplications::start()
{
    if (state_->started)
        return;
    const auto first = state_->compute();
    {
        const std::lock_guard lock(state_->snapshotMutex);
        state_->snapshot = first;
    }
    state_->started = true;
    ++state_->generation;
    const std::weak_ptr<State> weak = state_;
    state_->timer = Timer::scheduled(state_->options.interval, true, [weak] {
        if (auto state = weak.lock())
            state->poll();
    });
}

void RunningApplications::stop()
{
    if (!state_->started)
        return;
    state_->started = false;
    ++state_->generation;
    if (state_->timer)
        state_->timer->invalidate();
    state_->timer.reset();
}

bool RunningApplications::isStarted() const
{
    return state_->started;
}

void RunningApplications::refresh()
{
    state_->poll();
}

QList<RunningApplication> RunningApplications::runningApplications() const
{
    const std::lock_guard lock(state_->snapshotMutex);
    return state_->snapshot;
}

QStringList RunningApplications::regularApplicationPaths() const
{
    QStringList paths;
    for (const RunningApplication& application : runningApplications()) {
        if (application.regular)
            paths << application.bundlePath;
    }
    return paths;
}

} // namespace vantel::platform
