#include "platform/RunningApplications.h"

#include "platform/ApplicationMatcher.h"
#include "platform/ApplicationUnits.h"
#include "platform/FreedMemory.h"
#include "platform/DesktopEntryIndex.h"
#include "platform/DispatchQueue.h"
#include "platform/MainQueue.h"
#include "platform/MetadataQueryWatcher.h"
#include "platform/NotificationCenter.h"
#include "platform/ProcessStartTime.h"
#include "platform/Timer.h"
#include "platform/WindowList.h"
#include "platform/WindowListWatcher.h"

#include <QHash>
#include <QSet>
#include <QSocketNotifier>
#include <QTimer>

#include <atomic>
#include <mutex>
#include <optional>
#include <utility>

#include <sys/syscall.h>
#include <unistd.h>

namespace vantel::platform {

namespace {

// Changes that come in a burst (a folder of files replaced, a program and its
// helpers ending) are taken in one pass.
constexpr std::chrono::milliseconds settleDelay{100};
// A launched program may show its process or window only after a wrapper
// script or a splash screen: one more look then.
constexpr std::chrono::milliseconds launchFollowUp{2000};
// pidfds held at most; beyond it only one process per application is watched.
constexpr qsizetype maximumProcessWatches = 256;

} // namespace

struct RunningApplications::State : std::enable_shared_from_this<State> {
    explicit State(Options opts)
        : options(std::move(opts))
        , queue(DispatchQueue::create(QStringLiteral("net.tarnwick.vantel.runningApplications"),
                                      DispatchQueue::Kind::Serial))
    {
    }

    ~State()
    {
        for (const ProcessWatch& watch : std::as_const(processWatches))
            ::close(watch.fd);
    }

    // What one pass found; `folders` when the application folders were read again.
    struct Pass {
        QList<RunningApplication> applications;
        std::optional<QStringList> folders;
    };

    // Any thread; the engine is used by one at a time.
    Pass compute()
    {
        const std::lock_guard lock(engineMutex);
        Pass pass;
        if (indexChanged.exchange(false) || !matcher) {
            const QStringList folders = options.applicationFolders.isEmpty()
                ? DesktopEntryIndex::defaultApplicationFolders()
                : options.applicationFolders;
            const DesktopEntryIndex::Result scanned = DesktopEntryIndex::scanShared(folders);
            matcher.emplace(scanned.applications);
            pass.folders = scanned.directories;
        }
        QList<WindowInfo> windowInfos = options.useWindowList ? windows.windows() : QList<WindowInfo>{};
        // Our own views come and go without a pass (see settled()): leaving
        // them out keeps the answer the same whether one is open or not.
        const qint64 ownProcess = ::getpid();
        windowInfos.removeIf([ownProcess](const WindowInfo& window) { return window.pid == ownProcess; });
        QList<QStringList> unitIds;
        {
            // Copied out here, on the worker: a unit's change on the main
            // thread only touches its own row.
            const std::lock_guard unitsLock(unitsMutex);
            unitIds.reserve(unitDesktopIds.size());
            for (const QStringList& ids : std::as_const(unitDesktopIds))
                unitIds << ids;
        }
        pass.applications = matcher->match(ApplicationMatcher::readProcesses(), windowInfos, unitIds);
        // Vantel's own entry (written at start for "Open with Vantel") is no
        // application it launched: found running, it would be recorded as
        // recently used at every start.
        static const QString ownDesktopId = QStringLiteral(VANTEL_BUNDLE_ID ".desktop");
        pass.applications.removeIf(
            [](const RunningApplication& application) { return application.desktopId == ownDesktopId; });
        for (RunningApplication& application : pass.applications)
            application.launchDate = earliestStart(application.processIds);
        return pass;
    }

    static std::optional<QDateTime> earliestStart(const QList<qint64>& processIds)
    {
        std::optional<QDateTime> earliest;
        for (const qint64 pid : processIds) {
            const std::optional<QDateTime> started = processStartTime(pid);
            if (started && (!earliest || *started < *earliest))
                earliest = started;
        }
        return earliest;
    }

    // Main thread.
    void poll()
    {
        if (!started)
            return;
        if (polling.exchange(true)) {
            pollAgain = true; // an event during a pass: its result may predate it
            return;
        }
        pollAgain = false;
        auto self = shared_from_this();
        const quint64 pass = generation;
        queue->async([self, pass] {
            auto result = self->compute();
            MainQueue::async([self, pass, result = std::move(result)] {
                self->polling = false;
                if (!self->started || pass != self->generation)
                    return;
                self->apply(result);
                if (self->pollAgain)
                    self->poll();
            });
        });
    }

    // Main thread: a pass soon, once a burst of events has settled.
    // `windowsOnly`: the window list changed, which may be our own views.
    void pollSoon(std::chrono::milliseconds delay = settleDelay, bool windowsOnly = false)
    {
        if (!started)
            return;
        (windowsOnly ? windowListChanged : otherChange) = true;
        if (!settleTimer) {
            settleTimer = std::make_unique<QTimer>();
            settleTimer->setSingleShot(true);
            const std::weak_ptr<State> weak = shared_from_this();
            QObject::connect(settleTimer.get(), &QTimer::timeout, settleTimer.get(), [weak] {
                if (auto state = weak.lock())
                    state->settled();
            });
        }
        if (!settleTimer->isActive() || settleTimer->remainingTime() > int(delay.count()))
            settleTimer->start(delay);
    }

    // Main thread: the pass, unless only our own windows came or went (the
    // main view shown or closed is no application starting or ending).
    void settled()
    {
        const bool windowsChanged = std::exchange(windowListChanged, false)
            && (!windowWatcher || windowWatcher->othersChanged());
        if (std::exchange(otherChange, false) || windowsChanged)
            poll();
    }

    // Main thread: the events that tell of a change.
    void watchEvents()
    {
        const std::weak_ptr<State> weak = shared_from_this();
        folderWatcher = std::make_unique<MetadataQueryWatcher>([weak] {
            if (auto state = weak.lock()) {
                state->indexChanged = true;
                state->pollSoon();
            }
        });
        if (options.useWindowList) {
            windowWatcher = std::make_unique<WindowListWatcher>([weak] {
                if (auto state = weak.lock())
                    state->pollSoon(settleDelay, true);
            });
        }
        if (options.useApplicationUnits) {
            std::optional<QDBusConnection> bus = options.applicationUnitsBus;
            // No autolaunched bus: a desktop with application units has its bus.
            if (!bus && !qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
                bus = QDBusConnection::sessionBus();
            if (bus) {
                applicationUnits = std::make_unique<ApplicationUnits>(
                    *bus, [weak](const QString& unit, const QStringList& desktopIds) {
                        const auto state = weak.lock();
                        if (!state)
                            return;
                        {
                            const std::lock_guard lock(state->unitsMutex);
                            if (desktopIds.isEmpty())
                                state->unitDesktopIds.remove(unit);
                            else
                                state->unitDesktopIds.insert(unit, desktopIds);
                        }
                        state->pollSoon();
                    });
            }
        }
        if (options.interval.count() > 0) {
            timer = Timer::scheduled(options.interval, true, [weak] {
                if (auto state = weak.lock())
                    state->poll();
            });
        }
        instances().append(weak);
    }

    void stopWatching()
    {
        if (timer)
            timer->invalidate();
        timer.reset();
        settleTimer.reset();
        folderWatcher.reset();
        windowWatcher.reset();
        applicationUnits.reset();
        {
            const std::lock_guard lock(unitsMutex);
            unitDesktopIds.clear();
        }
        for (const ProcessWatch& watch : std::as_const(processWatches))
            ::close(watch.fd);
        processWatches.clear();
        const State* self = this;
        instances().removeIf([self](const std::weak_ptr<State>& weak) {
            const auto state = weak.lock();
            return !state || state.get() == self;
        });
    }

    // Main thread: a pidfd for each process of a running application, so
    // that its end wakes the main loop; processes no longer listed are let go.
    void watchProcesses(const QList<RunningApplication>& list)
    {
        QList<qint64> wanted;
        for (const RunningApplication& application : list) // first one per application
            if (!application.processIds.isEmpty())
                wanted << application.processIds.first();
        for (const RunningApplication& application : list)
            for (qsizetype i = 1; i < application.processIds.size() && wanted.size() < maximumProcessWatches; ++i)
                wanted << application.processIds[i];
        const QSet<qint64> keep(wanted.cbegin(), wanted.cend());
        for (auto it = processWatches.begin(); it != processWatches.end();) {
            if (keep.contains(it.key())) {
                ++it;
            } else {
                ::close(it->fd);
                it = processWatches.erase(it);
            }
        }
        const std::weak_ptr<State> weak = shared_from_this();
        for (const qint64 pid : std::as_const(wanted)) {
            if (processWatches.contains(pid))
                continue;
            const int fd = int(::syscall(SYS_pidfd_open, pid_t(pid), 0));
            if (fd < 0) {
                pollSoon(); // ended since /proc was read
                continue;
            }
            auto notifier = std::make_shared<QSocketNotifier>(fd, QSocketNotifier::Read);
            QObject::connect(notifier.get(), &QSocketNotifier::activated, notifier.get(),
                             [weak, raw = notifier.get()] {
                                 raw->setEnabled(false); // readable for good once the process ended
                                 if (auto state = weak.lock())
                                     state->pollSoon();
                             });
            processWatches.insert(pid, {fd, std::move(notifier)});
        }
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
    void apply(const Pass& pass)
    {
        if (pass.folders && folderWatcher)
            folderWatcher->setFolders(*pass.folders);
        if (pass.folders)
            returnFreedMemorySoon(); // the folders were read again
        watchProcesses(pass.applications);
        publish(pass.applications);
    }

    void publish(QList<RunningApplication> fresh)
    {
        const bool firstLook = !lookedOnce;
        lookedOnce = true;
        QSet<QString> before;
        {
            const std::lock_guard lock(snapshotMutex);
            keepLaunchDates(fresh, firstLook);
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

    // Under snapshotMutex: the dates of applications whose processes' starts
    // can't be read come from when they were first seen, if that was after
    // the first look.
    void keepLaunchDates(QList<RunningApplication>& fresh, bool firstLook) const
    {
        QHash<QString, std::optional<QDateTime>> known;
        for (const RunningApplication& application : snapshot)
            known.insert(application.bundlePath, application.launchDate);
        const QDateTime now = QDateTime::currentDateTimeUtc();
        for (RunningApplication& application : fresh) {
            if (application.launchDate)
                continue;
            const auto previous = known.constFind(application.bundlePath);
            if (previous != known.constEnd())
                application.launchDate = *previous;
            else if (!firstLook)
                application.launchDate = now;
        }
    }

    // Main thread: the started instances, for applicationLaunched.
    static QList<std::weak_ptr<State>>& instances()
    {
        static QList<std::weak_ptr<State>> list;
        return list;
    }

    struct ProcessWatch {
        int fd = -1;
        std::shared_ptr<QSocketNotifier> notifier;
    };

    const Options options;
    const std::shared_ptr<DispatchQueue> queue;
    RunningApplications* owner = nullptr; // main thread

    std::mutex engineMutex;
    std::optional<ApplicationMatcher> matcher;
    std::atomic<bool> indexChanged{true};
    WindowList windows;

    mutable std::mutex snapshotMutex;
    QList<RunningApplication> snapshot;

    std::atomic<bool> polling{false};
    bool pollAgain = false;  // main thread
    bool windowListChanged = false; // main thread: since the last settled pass
    bool otherChange = false;       // main thread: likewise, any other reason
    bool started = false;    // main thread
    bool lookedOnce = false; // main thread: the first list since the start is in
    quint64 generation = 0;  // main thread
    std::shared_ptr<Timer> timer;
    std::unique_ptr<QTimer> settleTimer;
    std::unique_ptr<MetadataQueryWatcher> folderWatcher;
    std::unique_ptr<WindowListWatcher> windowWatcher;
    std::unique_ptr<ApplicationUnits> applicationUnits; // main thread
    std::mutex unitsMutex;
    QHash<QString, QStringList> unitDesktopIds; // of each running application unit, by name
    QHash<qint64, ProcessWatch> processWatches;
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
    // Lives as long as the process, like the workspace it stands for. Its
    // first list is read on the worker: the launch does not wait for it.
    static RunningApplications* const instance = [] {
        auto* created = new RunningApplications();
        created->startInBackground();
        return created;
    }();
    return *instance;
}

void RunningApplications::start()
{
    if (state_->started)
        return;
    const State::Pass first = state_->compute();
    state_->started = true;
    state_->lookedOnce = true;
    ++state_->generation;
    state_->watchEvents();
    {
        const std::lock_guard lock(state_->snapshotMutex);
        state_->snapshot = first.applications;
    }
    if (first.folders)
        state_->folderWatcher->setFolders(*first.folders);
    state_->watchProcesses(first.applications);
}

void RunningApplications::startInBackground()
{
    if (state_->started)
        return;
    state_->started = true;
    state_->lookedOnce = false;
    ++state_->generation;
    state_->watchEvents();
    state_->poll();
}

void RunningApplications::stop()
{
    if (!state_->started)
        return;
    state_->started = false;
    ++state_->generation;
    state_->stopWatching();
}

bool RunningApplications::isStarted() const
{
    return state_->started;
}

void RunningApplications::refresh()
{
    state_->poll();
}

void RunningApplications::applicationLaunched()
{
    MainQueue::async([] {
        for (const std::weak_ptr<State>& weak : State::instances()) {
            if (const auto state = weak.lock()) {
                state->pollSoon();
                QTimer::singleShot(int(launchFollowUp.count()), [weak] {
                    if (const auto later = weak.lock())
                        later->pollSoon();
                });
            }
        }
    });
}

QList<RunningApplication> RunningApplications::runningApplications() const
{
    const std::lock_guard lock(state_->snapshotMutex);
    return state_->snapshot;
}

std::optional<RunningApplication> RunningApplications::listedApplication(const QString& bundlePath)
{
    if (!MainQueue::isMainThread())
        return std::nullopt;
    for (const std::weak_ptr<State>& weak : State::instances()) {
        const auto state = weak.lock();
        if (!state)
            continue;
        const std::lock_guard lock(state->snapshotMutex);
        for (const RunningApplication& application : std::as_const(state->snapshot)) {
            if (application.bundlePath == bundlePath)
                return application;
        }
    }
    return std::nullopt;
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
