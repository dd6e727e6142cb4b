#include "platform/MetadataQuery.h"

#include "platform/DesktopEntryIndex.h"
#include "platform/DispatchQueue.h"
#include "platform/FileFacts.h"
#include "platform/FreedMemory.h"
#include "platform/LaunchHistory.h"
#include "platform/Log.h"
#include "platform/MainQueue.h"
#include "platform/MetadataQueryWatcher.h"
#include "platform/NotificationCenter.h"
#include "platform/UnixSignals.h"
#include "platform/WorkspaceEvents.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QFileInfo>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <optional>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>

namespace vantel::platform {

namespace {

const LogCategory& queryLog()
{
    static const LogCategory category("metadataQuery");
    return category;
}

// The catalogue shows what the desktop's menus show: the index keeps NoDisplay
// entries and those of other desktops (running applications are matched
// against them), the results leave them out. The items of one scan are made
// once: each progress report repeats every application found so far. The
// index keeps no dates: each item takes its last use from the launch history
// as the scan found it.
class ItemMaker {
public:
    explicit ItemMaker(const Predicate& predicate)
        : predicate_(predicate)
        , desktops_(DesktopEntry::currentDesktops())
        , dates_(LaunchHistory::shared().dates())
    {
    }

    QList<MetadataItem> itemsFor(const QList<IndexedApplication>& applications)
    {
        QList<MetadataItem> items;
        items.reserve(applications.size());
        for (const IndexedApplication& application : applications) {
            auto known = made_.constFind(application.path);
            if (known == made_.constEnd())
                known = made_.insert(application.path, make(application));
            if (*known)
                items << **known;
        }
        return items;
    }

private:
    std::optional<MetadataItem> make(const IndexedApplication& application) const
    {
        // Vantel's own entry (written at start for "Open with Vantel") is no
        // entry of its catalogue.
        static const QString ownDesktopId = QStringLiteral(VANTEL_BUNDLE_ID ".desktop");
        if (application.entry.noDisplay() || !application.entry.isShownIn(desktops_)
            || application.desktopId == ownDesktopId)
            return std::nullopt;
        MetadataItem item = MetadataItem::forApplication(application.path, application.entry.name());
        if (!predicate_.evaluate(item))
            return std::nullopt;
        if (const std::optional<QDateTime> lastUsed = dates_.lastUsedDate(application))
            item.setLastUsedDate(*lastUsed);
        return item;
    }

    const Predicate& predicate_;
    const QStringList desktops_;
    const LaunchHistory::Dates dates_;
    QHash<QString, std::optional<MetadataItem>> made_;
};

// Once per scope, of which there may be hundreds of thousands: a path that
// is absolute (as they are) needs no QFileInfo.
QString cleanScope(const QString& scope)
{
    return QDir::cleanPath(QDir::isAbsolutePath(scope) ? scope : QFileInfo(scope).absoluteFilePath());
}

// The scopes that are no folder now: the query waits for their return.
QStringList missingScopes(const QStringList& scopes)
{
    QStringList missing;
    for (const QString& scope : scopes) {
        if (!FileFacts::isDirectory(scope))
            missing << cleanScope(scope);
    }
    return missing;
}

qint64 nanoseconds(const struct timespec& time)
{
    return qint64(time.tv_sec) * 1000000000 + time.tv_nsec;
}

size_t hashOf(size_t seed, const struct stat& info)
{
    return qHashMulti(seed, quint64(info.st_dev), quint64(info.st_ino), qint64(info.st_size),
                      nanoseconds(info.st_mtim), nanoseconds(info.st_ctim));
}

// What the unwatched folders hold now: each folder's own state (which a
// file or folder added, removed or renamed in it changes) and that of each
// desktop file in it (which writing it changes). Sums of each part, so the
// listing's order does not count. `newest` is the latest change seen.
quint64 digestOf(const QStringList& paths, qint64& newest)
{
    quint64 digest = 0;
    for (const QString& path : paths) {
        const size_t seed = qHash(path);
        const QByteArray encoded = QFile::encodeName(path);
        struct stat info {};
        if (::stat(encoded.constData(), &info) != 0) {
            digest += seed; // missing
            continue;
        }
        digest += hashOf(seed, info);
        newest = std::max(newest, nanoseconds(info.st_ctim));
        DIR* dir = S_ISDIR(info.st_mode) ? ::opendir(encoded.constData()) : nullptr;
        if (!dir)
            continue;
        while (const dirent* child = ::readdir(dir)) {
            const size_t length = ::strlen(child->d_name);
            if (length <= 8 || ::strcmp(child->d_name + length - 8, ".desktop") != 0)
                continue;
            struct stat file {};
            if (::fstatat(::dirfd(dir), child->d_name, &file, 0) != 0)
                continue;
            digest += hashOf(qHashBits(child->d_name, length, seed), file);
            newest = std::max(newest, nanoseconds(file.st_ctim));
        }
        ::closedir(dir);
    }
    return digest;
}

// The folders a scan left unwatched and what they held just after it. Only
// the query's worker touches it.
struct UnwatchedCheck {
    QStringList paths;
    quint64 digest = 0;
    // Something in them changed while the scan ran, or so soon before that
    // the file's time can't tell: the first look searches again.
    bool changedDuringScan = false;
};

qint64 realtimeNanoseconds()
{
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return nanoseconds(now);
}

// On the worker: watches what the scan searched and notes what is left
// unwatched; answers whether every folder that can be watched is.
bool watch(MetadataQueryWatcher& watcher, const QStringList& folders, const QStringList& awaited,
           UnwatchedCheck& check, qint64 scanStartNs)
{
    MetadataQueryWatcher::Outcome outcome = watcher.setFolders(folders, awaited);
    if (!outcome.failed.isEmpty())
        VLOG(queryLog(), LogType::Error, "Cannot watch %{public}@ paths, e.g. %{public}@",
             QString::number(outcome.failed.size()), outcome.failed.first());
    if (outcome.beyondBudget > 0) {
        // Said whether or not debug logging is on, once per scan.
        Log::write(queryLog(), LogType::Default,
                   QStringLiteral("Watch budget of %{public}@ reached: %{public}@ folders are searched again now and then"),
                   {QString::number(watcher.watchBudget()), QString::number(outcome.beyondBudget)});
    }
    check = {};
    if (outcome.leftUnwatched()) {
        check.paths = std::move(outcome.unwatched);
        qint64 newest = 0;
        check.digest = digestOf(check.paths, newest);
        // File times come from a coarse clock, a tick or so behind.
        check.changedDuringScan = newest >= scanStartNs - 1000000000;
    }
    return !outcome.leftUnwatched();
}

} // namespace

struct MetadataQuery::State {
    std::shared_ptr<const Predicate> predicate;
    QStringList scopes;
    std::chrono::milliseconds batchingInterval{1000};

    bool started = false;
    bool gathering = false;
    bool updatesEnabled = true;
    bool changesPending = false;
    quint64 generation = 0;
    QList<MetadataItem> results;

    std::shared_ptr<DispatchQueue> queue =
        DispatchQueue::create(QStringLiteral("net.tarnwick.vantel.metadataQuery"), DispatchQueue::Kind::Serial);
    // Main-thread callbacks hold it weakly: once the query is gone they do nothing.
    std::shared_ptr<int> alive = std::make_shared<int>(0);
    // What the worker reads: the pass now current (a stale one neither scans
    // nor watches) and the scans run.
    struct Shared {
        std::atomic<quint64> pass{0};
        std::atomic<int> scans{0};
        std::atomic<int> unwatchedChecks{0};
        UnwatchedCheck unwatched; // the worker's
    };
    std::shared_ptr<Shared> shared = std::make_shared<Shared>();
    int folderBudget = DesktopEntryIndex::maximumDirectories;

    QTimer batchTimer;
    // Runs only while some folder searched is not watched: it then stands in
    // for the events those folders can't send.
    QTimer unwatchedTimer;
    std::chrono::milliseconds unwatchedInterval{std::chrono::minutes(1)};
    // Set up and torn down on the worker, which makes its system calls.
    std::shared_ptr<MetadataQueryWatcher> watcher;
    // A volume mounted over a scope or one of its ancestors changes what the
    // scope holds without an event in any watched folder.
    ObserverToken mountObserver;
    ObserverToken unmountObserver;
};

MetadataQuery::MetadataQuery()
    : state_(std::make_unique<State>())
{
    state_->batchTimer.setSingleShot(true);
    state_->unwatchedTimer.setSingleShot(true);
    QObject::connect(&state_->unwatchedTimer, &QTimer::timeout, &state_->unwatchedTimer, [this] { checkUnwatched(); });
    state_->watcher = std::make_shared<MetadataQueryWatcher>([this] {
        if (!state_->started)
            return;
        state_->changesPending = true;
        if (!state_->batchTimer.isActive())
            state_->batchTimer.start(state_->batchingInterval);
    });
    QObject::connect(&state_->batchTimer, &QTimer::timeout, &state_->batchTimer, [this] { runPendingUpdate(); });
    NotificationCenter& workspace = NotificationCenter::workspaceCenter();
    const auto mountChanged = [this](const Notification& notification) { volumeChanged(notification); };
    state_->mountObserver = workspace.addObserver(WorkspaceEvents::didMountNotification, mountChanged);
    state_->unmountObserver = workspace.addObserver(WorkspaceEvents::didUnmountNotification, mountChanged);
}

MetadataQuery::~MetadataQuery()
{
    // A scan under way keeps the watcher until it ends, and sets up no more.
    ++state_->shared->pass;
    state_->watcher->stopListening();
}

void MetadataQuery::setPredicate(std::shared_ptr<const Predicate> predicate)
{
    state_->predicate = std::move(predicate);
}

std::shared_ptr<const Predicate> MetadataQuery::predicate() const
{
    return state_->predicate;
}

void MetadataQuery::setSearchScopes(const QStringList& scopes)
{
    state_->scopes = scopes;
    // The user chose these folders for applications: their entries launch.
    FileFacts::addTrustedApplicationFolders(scopes);
}

QStringList MetadataQuery::searchScopes() const
{
    return state_->scopes;
}

QStringList MetadataQuery::defaultSearchScopes()
{
    return DesktopEntryIndex::defaultApplicationFolders();
}

void MetadataQuery::setNotificationBatchingInterval(std::chrono::milliseconds interval)
{
    state_->batchingInterval = std::max(interval, std::chrono::milliseconds(0));
}

std::chrono::milliseconds MetadataQuery::notificationBatchingInterval() const
{
    return state_->batchingInterval;
}

bool MetadataQuery::start()
{
    if (state_->started)
        return false;
    const std::shared_ptr<const Predicate> predicate = state_->predicate;
    if (!predicate) {
        VLOG(queryLog(), LogType::Error, "Cannot start a query without a predicate");
        return false;
    }
    // A quit signal pending ends the program: nothing is searched (the
    // worker looks again while it goes through the scopes).
    const auto quitting = [] {
        if (!UnixSignals::quitPending())
            return false;
        VLOG(queryLog(), LogType::Info, "Not started: the program quits");
        return true;
    };
    if (quitting())
        return false;
    State& s = *state_;
    const QStringList scopes = s.scopes.isEmpty() ? defaultSearchScopes() : s.scopes;
    s.started = true;
    s.gathering = true;
    s.changesPending = false;
    const quint64 pass = ++s.generation;
    s.shared->pass = pass;
    const std::weak_ptr<int> alive = s.alive;

    auto current = [this, alive, pass] { return !alive.expired() && state_->generation == pass; };
    MainQueue::async([this, current] {
        if (current())
            post(didStartGatheringNotification);
    });
    s.queue->async([this, current, pass, scopes, predicate, shared = s.shared, watcher = s.watcher,
                    budget = s.folderBudget] {
        if (shared->pass != pass)
            return;
        // Watch the scopes at once, so nothing that changes during the scan is missed.
        // Spelled as the scan spells them, so its folder list takes these over.
        QStringList existing;
        QStringList missing;
        for (const QString& scope : scopes) {
            // The scopes may be many: a quit signal meanwhile searches nothing.
            if (UnixSignals::quitPending()) {
                VLOG(queryLog(), LogType::Info, "Not searched: the program quits");
                return;
            }
            (FileFacts::isDirectory(scope) ? existing : missing) << cleanScope(scope);
        }
        watcher->setFolders(existing, missing);
        ItemMaker maker(*predicate);
        ++shared->scans;
        const qint64 scanStart = realtimeNanoseconds();
        VLOG(queryLog(), LogType::Info, "Searching %{public}@ scopes", QString::number(scopes.size()));
        const auto result = DesktopEntryIndex::scanShared(
            scopes,
            [&](const QList<IndexedApplication>& found) {
                MainQueue::async([this, current, items = maker.itemsFor(found)] {
                    if (!current())
                        return;
                    state_->results = items;
                    post(gatheringProgressNotification);
                });
            },
            budget);
        // Stopped meanwhile: the watches are the stop's to set.
        if (shared->pass != pass)
            return;
        const bool allWatched = watch(*watcher, result.directories, missingScopes(scopes), shared->unwatched, scanStart);
        MainQueue::async([this, current, allWatched, items = maker.itemsFor(result.applications)] {
            if (!current())
                return;
            state_->results = items;
            state_->gathering = false;
            rescanUnwatched(!allWatched);
            post(didFinishGatheringNotification);
            // The scan's transient copies of every file are freed by now.
            returnFreedMemorySoon();
            if (state_->changesPending && !state_->batchTimer.isActive())
                state_->batchTimer.start(state_->batchingInterval);
        });
    });
    return true;
}

void MetadataQuery::stop()
{
    State& s = *state_;
    if (!s.started)
        return;
    s.started = false;
    s.gathering = false;
    s.changesPending = false;
    s.shared->pass = ++s.generation;
    s.batchTimer.stop();
    s.unwatchedTimer.stop();
    s.queue->async([watcher = s.watcher] { watcher->setFolders({}, {}); });
}

void MetadataQuery::enableUpdates()
{
    state_->updatesEnabled = true;
    if (state_->started && !state_->gathering && state_->changesPending && !state_->batchTimer.isActive())
        state_->batchTimer.start(state_->batchingInterval);
}

void MetadataQuery::disableUpdates()
{
    state_->updatesEnabled = false;
}

bool MetadataQuery::isStarted() const { return state_->started; }
bool MetadataQuery::isGathering() const { return state_->gathering; }
bool MetadataQuery::isStopped() const { return !state_->started; }
int MetadataQuery::resultCount() const { return int(state_->results.size()); }
QList<MetadataItem> MetadataQuery::results() const { return state_->results; }

MetadataItem MetadataQuery::resultAt(int index) const
{
    if (index < 0 || index >= state_->results.size())
        return {};
    return state_->results[index];
}

void MetadataQuery::post(const QString& name)
{
    NotificationCenter::defaultCenter().post(name, std::any(this), this);
}

void MetadataQuery::rescanUnwatched(bool on)
{
    if (on)
        state_->unwatchedTimer.start(state_->unwatchedInterval);
    else
        state_->unwatchedTimer.stop();
}

// The folders left unwatched are looked at on the worker; the scopes are
// searched again only when something in them changed. A scope cut short
// costs a look at what was searched of it, not a search of all of it.
void MetadataQuery::checkUnwatched()
{
    State& s = *state_;
    if (!s.started || s.gathering)
        return;
    const quint64 pass = s.generation;
    const std::weak_ptr<int> alive = s.alive;
    s.queue->async([this, alive, pass, shared = s.shared] {
        if (shared->pass != pass)
            return;
        ++shared->unwatchedChecks;
        UnwatchedCheck& check = shared->unwatched;
        qint64 newest = 0;
        const bool changed = std::exchange(check.changedDuringScan, false) || digestOf(check.paths, newest) != check.digest;
        if (changed)
            VLOG(queryLog(), LogType::Info, "An unwatched folder changed: searching again");
        MainQueue::async([this, alive, pass, changed] {
            if (alive.expired() || state_->generation != pass)
                return;
            if (!changed) {
                rescanUnwatched(true);
                return;
            }
            state_->changesPending = true;
            runPendingUpdate();
        });
    });
}

void MetadataQuery::volumeChanged(const Notification& notification)
{
    State& s = *state_;
    if (!s.started)
        return;
    const auto* info = std::any_cast<QVariantMap>(&notification.object);
    const QString point = info ? QDir::cleanPath(info->value(WorkspaceEvents::devicePathKey).toString()) : QString();
    if (point.isEmpty())
        return;
    const auto within = [](const QString& path, const QString& folder) {
        return path == folder || path.startsWith(folder.endsWith(u'/') ? folder : folder + u'/');
    };
    const QStringList scopes = s.scopes.isEmpty() ? defaultSearchScopes() : s.scopes;
    const bool concerned = std::any_of(scopes.cbegin(), scopes.cend(), [&](const QString& scope) {
        const QString clean = cleanScope(scope);
        return within(clean, point) || within(point, clean);
    });
    if (!concerned)
        return;
    VLOG(queryLog(), LogType::Info, "A volume changed at %{public}@: searching again", point);
    s.queue->async([watcher = s.watcher] { watcher->renew(); });
    s.changesPending = true;
    if (!s.gathering && !s.batchTimer.isActive())
        s.batchTimer.start(s.batchingInterval);
}

int MetadataQuery::watchCount() const
{
    return state_->watcher->watchCount();
}

void MetadataQuery::runPendingUpdate()
{
    State& s = *state_;
    // Held back until gathering ends or updates are enabled again.
    if (!s.started || s.gathering || !s.updatesEnabled || !s.changesPending)
        return;
    s.changesPending = false;
    const std::shared_ptr<const Predicate> predicate = s.predicate;
    if (!predicate)
        return;
    const quint64 pass = s.generation;
    const QStringList scopes = s.scopes.isEmpty() ? defaultSearchScopes() : s.scopes;
    const std::weak_ptr<int> alive = s.alive;
    s.queue->async([this, alive, pass, scopes, predicate, shared = s.shared, watcher = s.watcher,
                    budget = s.folderBudget] {
        if (shared->pass != pass)
            return;
        ++shared->scans;
        const qint64 scanStart = realtimeNanoseconds();
        VLOG(queryLog(), LogType::Info, "Searching %{public}@ scopes again", QString::number(scopes.size()));
        const auto result = DesktopEntryIndex::scanShared(scopes, {}, budget);
        if (shared->pass != pass)
            return;
        const bool allWatched = watch(*watcher, result.directories, missingScopes(scopes), shared->unwatched, scanStart);
        MainQueue::async([this, alive, pass, allWatched, items = ItemMaker(*predicate).itemsFor(result.applications)] {
            if (alive.expired() || state_->generation != pass)
                return;
            rescanUnwatched(!allWatched);
            returnFreedMemorySoon();
            if (items == state_->results)
                return;
            state_->results = items;
            post(didUpdateNotification);
        });
    });
}

void MetadataQuery::setFolderBudget(int folders)
{
    state_->folderBudget = std::max(folders, 0);
}

int MetadataQuery::folderBudget() const
{
    return state_->folderBudget;
}

void MetadataQuery::setWatchBudget(int watches)
{
    state_->watcher->setWatchBudget(watches);
}

int MetadataQuery::watchBudget() const
{
    return state_->watcher->watchBudget();
}

void MetadataQuery::setUnwatchedRescanInterval(std::chrono::milliseconds interval)
{
    state_->unwatchedInterval = std::max(interval, std::chrono::milliseconds(1));
    if (state_->unwatchedTimer.isActive())
        state_->unwatchedTimer.start(state_->unwatchedInterval);
}

bool MetadataQuery::hasUnwatchedFolders() const
{
    return state_->unwatchedTimer.isActive();
}

int MetadataQuery::scanCount() const
{
    return state_->shared->scans.load();
}

int MetadataQuery::unwatchedCheckCount() const
{
    return state_->shared->unwatchedChecks.load();
}

} // namespace vantel::platform
