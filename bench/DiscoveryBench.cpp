// Finding the applications: the desktop-entry scan, discovery end to end
// (scan, merge into the store, first rebuild) and the inotify watches that
// discovery leaves behind, beside GLib's own scan and plain file reading;
// and a start over a long list of search scopes, beside a stat() of each.

// GLib first: Qt defines "signals" as a keyword, which GIO uses as a name.
#include <gio/gio.h>

#include "BenchSupport.h"

#include "datastore/DataStorage.h"
#include "platform/DesktopEntryIndex.h"
#include "platform/NotificationCenter.h"
#include "shell/AppDelegate.h"

#include <QDir>
#include <QFile>

#include <memory>

#include <sys/stat.h>

namespace vantel::bench {

namespace {

constexpr int folderCount = 5;

// ---- The program's side: every use of its interfaces is here. ----

// A store whose discovery runs over `folders` until its first rebuild.
class Discovery {
public:
    explicit Discovery(const QStringList& folders)
    {
        AppDelegate::shared().config().setCustomSpotlightSearchScope(folders);
        store_ = std::make_unique<DataStorage>();
        rebuilt_ = platform::NotificationCenter::defaultCenter().addObserver(
            QStringLiteral("dataStorageRebuildIsFinished"), [this](const platform::Notification&) { done_ = true; },
            store_.get());
        store_->setEnableDataProxies(true);
    }
    ~Discovery()
    {
        rebuilt_.reset();
        store_->setEnableDataProxies(false);
        store_.reset();
        AppDelegate::shared().config().setCustomSpotlightSearchScope({});
    }
    Discovery(const Discovery&) = delete;
    Discovery& operator=(const Discovery&) = delete;

    bool waitForFirstRebuild() { return waitUntil([this] { return done_; }, std::chrono::minutes(2)); }
    qsizetype entryCount() const { return store_->allData()->count(); }

private:
    std::unique_ptr<DataStorage> store_;
    platform::ObserverToken rebuilt_;
    bool done_ = false;
};

qsizetype scanApplications(const QStringList& folders)
{
    platform::DesktopEntryIndex index; // a fresh index: nothing cached
    return index.scan(folders).applications.size();
}

// ---- Baselines ----

// The least that taking in a list of folders costs: one stat() each.
qsizetype statEach(const QStringList& folders)
{
    qsizetype there = 0;
    for (const QString& folder : folders) {
        struct stat info {};
        there += ::stat(QFile::encodeName(folder).constData(), &info) == 0;
    }
    return there;
}

qsizetype readFiles(const QStringList& folders)
{
    qsizetype bytes = 0;
    for (const QString& folder : folders) {
        const QDir dir(folder);
        for (const QString& name : dir.entryList({QStringLiteral("*.desktop")}, QDir::Files)) {
            QFile file(dir.filePath(name));
            if (file.open(QIODevice::ReadOnly))
                bytes += file.readAll().size();
        }
    }
    return bytes;
}

qsizetype gioApplicationCount()
{
    GList* all = g_app_info_get_all();
    const qsizetype count = g_list_length(all);
    g_list_free_full(all, g_object_unref);
    return count;
}

// GLib keeps its folder listings until its monitors report a change: touch
// every folder and wait for the report, so each of its scans starts cold.
class GioColdStart {
public:
    GioColdStart()
        : monitor_(g_app_info_monitor_get())
    {
        handler_ = g_signal_connect(monitor_, "changed", G_CALLBACK(+[](GAppInfoMonitor*, gpointer counter) {
                                        ++*static_cast<int*>(counter);
                                    }),
                                    &changes_);
    }
    ~GioColdStart()
    {
        g_signal_handler_disconnect(monitor_, handler_);
        g_object_unref(monitor_);
    }
    GioColdStart(const GioColdStart&) = delete;
    GioColdStart& operator=(const GioColdStart&) = delete;

    void forgetListings(const QStringList& folders)
    {
        const int before = changes_;
        for (const QString& folder : folders) {
            QFile touch(folder + QStringLiteral("/.bench-touch"));
            touch.open(QIODevice::WriteOnly);
            touch.close();
            touch.remove();
        }
        const auto reported = [&] {
            while (g_main_context_iteration(nullptr, FALSE)) {
            }
            return changes_ > before;
        };
        waitUntil(reported, std::chrono::seconds(2));
        // The folders report one by one; give the others a moment.
        const auto settle = std::chrono::steady_clock::now() + std::chrono::milliseconds(100);
        waitUntil([&] { return reported() && std::chrono::steady_clock::now() > settle; }, std::chrono::seconds(1));
    }

private:
    GAppInfoMonitor* monitor_;
    gulong handler_ = 0;
    int changes_ = 0;
};

// ---- Folders ----

QStringList scanFolders(int count)
{
    // The folders GLib reads, so that all three read the same files.
    QStringList folders;
    for (const QString& dir : gioDataDirs())
        folders.append(dir + QStringLiteral("/applications"));
    writeApplicationFiles(folders, count);
    return folders;
}

QStringList discoveryFolders(int count)
{
    QStringList folders;
    for (int i = 1; i <= folderCount; ++i)
        folders.append(benchHome() + QStringLiteral("/discovery-%1/%2").arg(count).arg(i));
    writeApplicationFiles(folders, count);
    return folders;
}

// ---- Benchmarks ----

// Discovery over the folders from the store's creation to its first rebuild,
// cold each round as at a start, beside the baseline.
void discoveryBesideBaseline(benchmark::State& state, const QStringList& folders, qsizetype applications,
                             const std::function<void()>& baseline)
{
    std::unique_ptr<Discovery> discovery;
    bool complete = true;
    runBesideBaseline(
        state,
        [&] {
            discovery = std::make_unique<Discovery>(folders);
            complete = complete && discovery->waitForFirstRebuild() && discovery->entryCount() == applications;
        },
        baseline,
        [&] {
            discovery.reset();
            // The process's index has read nothing yet.
            platform::DesktopEntryIndex::forgetShared();
        });
    discovery.reset();
    if (!complete)
        state.SkipWithError("discovery did not bring every application into the store");
}

void discoveryBenchmark(benchmark::State& state)
{
    const int count = int(state.range(0));
    const QStringList folders = discoveryFolders(count);
    discoveryBesideBaseline(state, folders, count, [&] { benchmark::DoNotOptimize(scanApplications(folders)); });
    setTarget(state, 2.0);
}

void scanBesideGioBenchmark(benchmark::State& state)
{
    const int count = int(state.range(0));
    const QStringList folders = scanFolders(count);
    GioColdStart cold;
    double scanTotal = 0;
    double gioTotal = 0;
    qsizetype found = 0;
    qsizetype gioFound = 0;
    for (auto _ : state) {
        const double scan = secondsOf([&] { found = scanApplications(folders); });
        cold.forgetListings(folders);
        gioTotal += secondsOf([&] { gioFound = gioApplicationCount(); });
        scanTotal += scan;
        state.SetIterationTime(scan);
    }
    if (found != count || gioFound != count)
        state.SkipWithError("a scan missed applications");
    state.counters["baseline_s"] = gioTotal / double(state.iterations());
    state.counters["ratio"] = scanTotal / gioTotal;
}

void scanBesideReadingBenchmark(benchmark::State& state)
{
    const int count = int(state.range(0));
    const QStringList folders = scanFolders(count);
    qsizetype found = 0;
    runBesideBaseline(
        state, [&] { found = scanApplications(folders); }, [&] { benchmark::DoNotOptimize(readFiles(folders)); });
    if (found != count)
        state.SkipWithError("the scan missed applications");
    setTarget(state, 4.0);
}

// A start whose settings name many search scopes on a drive not mounted,
// beside the five folders of a hundred applications, to the first rebuild.
void searchScopesBenchmark(benchmark::State& state)
{
    const int count = int(state.range(0));
    QStringList scopes = discoveryFolders(100);
    for (int i = 0; i < count; ++i)
        scopes.append(benchHome() + QStringLiteral("/unmounted/scope-%1").arg(i));
    discoveryBesideBaseline(state, scopes, 100, [&] { benchmark::DoNotOptimize(statEach(scopes)); });
    setTarget(state, 10.0);
}

void inotifyWatchesBenchmark(benchmark::State& state)
{
    const int count = int(state.range(0));
    const QStringList folders = discoveryFolders(count);
    int watches = 0;
    for (auto _ : state) {
        const int before = inotifyWatchCount();
        std::unique_ptr<Discovery> discovery;
        bool complete = false;
        platform::DesktopEntryIndex::forgetShared();
        state.SetIterationTime(secondsOf([&] {
            discovery = std::make_unique<Discovery>(folders);
            complete = discovery->waitForFirstRebuild() && discovery->entryCount() == count;
        }));
        // Counted while the store lives: the watches it keeps.
        watches = inotifyWatchCount() - before;
        if (!complete)
            state.SkipWithError("discovery did not bring every application into the store");
    }
    state.counters["watches"] = watches;
    state.counters["folders"] = folderCount;
    state.counters["ratio"] = double(watches) / folderCount;
    setTarget(state, 1.0);
}

const bool registered = [] {
    const bool small = smallRun();
    auto* discovery = benchmark::RegisterBenchmark("discovery", discoveryBenchmark);
    discovery->Arg(sized(5000));
    if (!small)
        discovery->Arg(10000)->Arg(100000); // a large scope the user adds (a home folder, a big share)
    discovery->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(small ? 1 : 3);

    benchmark::RegisterBenchmark("scan_vs_gio", scanBesideGioBenchmark)
        ->Arg(sized(5000))
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(small ? 1 : 3);
    benchmark::RegisterBenchmark("scan_vs_read", scanBesideReadingBenchmark)
        ->Arg(sized(5000))
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(small ? 1 : 10);
    benchmark::RegisterBenchmark("search_scopes", searchScopesBenchmark)
        ->Arg(sized(100000))
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(small ? 1 : 3);
    benchmark::RegisterBenchmark("inotify_watches", inotifyWatchesBenchmark)
        ->Arg(sized(10000))
        ->UseManualTime()
        ->Iterations(1);
    return true;
}();

} // namespace

} // namespace vantel::bench
