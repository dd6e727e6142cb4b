// The icons of a list of file entries asked for on the main thread, as the
// lists do while they paint: the first time (every entry makes its object and
// the pictures among them ask for a thumbnail) and from the cache. Beside
// each, the plain theme look-up per file that a list without a cache would
// do. The loop must never wait for a thumbnail: the counters show how many
// were still being made when it had finished and its slowest single call.
#include "BenchSupport.h"

#include "graphics/IconCache.h"
#include "model/TableViewItem.h"
#include "platform/Thumbnails.h"
#include "platform/XdgPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QMimeDatabase>

#include <algorithm>
#include <chrono>
#include <vector>

#include <time.h>

namespace vantel::bench {

namespace {

// The throw-away system folder knows no file types: lend it the system's
// MIME database before anything asks for one.
void linkSystemMimeData()
{
    const QString folder = qEnvironmentVariable("XDG_DATA_DIRS").split(u':').value(0);
    if (folder.isEmpty() || QFileInfo::exists(folder + QStringLiteral("/mime")))
        return;
    QDir().mkpath(folder);
    QFile::link(QStringLiteral("/usr/share/mime"), folder + QStringLiteral("/mime"));
}

// `count` entries over real files: two in five pictures, two in five text
// files, one in ten folders, one in ten applications. Made once per size.
std::vector<TableViewItemPtr> fileEntries(int count)
{
    linkSystemMimeData();
    const QString root = benchHome() + QStringLiteral("/icon-files-%1").arg(count);
    const bool exists = QFileInfo::exists(root);
    QDir().mkpath(root);
    QImage picture(160, 90, QImage::Format_RGB32);
    std::vector<TableViewItemPtr> entries;
    entries.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i) {
        QString path;
        ListviewItemType type = ListviewItemType::file;
        switch (i % 10) {
        case 0:
        case 1:
        case 2:
        case 3:
            path = root + QStringLiteral("/picture-%1.png").arg(i);
            if (!exists) {
                picture.fill(QColor::fromHsv(i % 360, 200, 220));
                picture.save(path, "png");
            }
            break;
        case 4:
        case 5:
        case 6:
        case 7:
            path = root + QStringLiteral("/notes-%1.txt").arg(i);
            if (!exists) {
                QFile file(path);
                if (file.open(QIODevice::WriteOnly))
                    file.write("some words\n");
            }
            break;
        case 8:
            path = root + QStringLiteral("/folder-%1").arg(i);
            type = ListviewItemType::folder;
            QDir().mkpath(path);
            break;
        default:
            path = root + QStringLiteral("/app-%1.desktop").arg(i);
            type = ListviewItemType::application;
            if (!exists) {
                QFile file(path);
                if (file.open(QIODevice::WriteOnly))
                    file.write("[Desktop Entry]\nType=Application\nName=App\nExec=true\nIcon=accessories-text-editor\n");
            }
            break;
        }
        entries.push_back(TableViewItem::initForPath(path, QFileInfo(path).fileName(), type, ListviewItemSource::other));
    }
    return entries;
}

// ---- The program's side: every use of its interfaces is here. ----

double mainThreadCpuSeconds()
{
    timespec now {};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

double askForIcons(const std::vector<TableViewItemPtr>& entries)
{
    double slowest = 0;
    for (const TableViewItemPtr& entry : entries) {
        const double seconds = secondsOf([&] { benchmark::DoNotOptimize(IconCache::shared().getIcon(entry).cacheKey()); });
        slowest = std::max(slowest, seconds);
    }
    return slowest;
}

void emptyCaches()
{
    IconCache::shared().removeAllObjects();
    QDir(platform::XdgPaths::cacheHome() + QStringLiteral("/thumbnails")).removeRecursively();
}

bool thumbnailsDone()
{
    return waitUntil([] { return platform::Thumbnails::shared().pendingCount() == 0; }, std::chrono::minutes(5));
}

// ---- The baseline: the theme's icon of each file's type. ----

void themeIconPerFile(const std::vector<TableViewItemPtr>& entries)
{
    static const QMimeDatabase database;
    for (const TableViewItemPtr& entry : entries) {
        const QMimeType type = database.mimeTypeForFile(entry->path());
        benchmark::DoNotOptimize(QIcon::fromTheme(type.iconName()).cacheKey());
    }
}

void iconsFirstAsk(benchmark::State& state)
{
    const std::vector<TableViewItemPtr> entries = fileEntries(int(state.range(0)));
    double slowest = 0;
    double cpu = 0;
    std::size_t pendingAfter = 0;
    std::size_t requested = 0;
    runBesideBaseline(
        state,
        [&] {
            const double before = mainThreadCpuSeconds();
            slowest = std::max(slowest, askForIcons(entries));
            cpu += mainThreadCpuSeconds() - before;
            pendingAfter = platform::Thumbnails::shared().pendingCount();
        },
        [&] { themeIconPerFile(entries); },
        [&] {
            if (!thumbnailsDone())
                state.SkipWithError("the thumbnails did not finish");
            emptyCaches();
        });
    for (const TableViewItemPtr& entry : entries) {
        if (const auto object = IconCache::shared().cachedObject(QUrl::fromLocalFile(entry->path())))
            requested += std::size_t(object->thumbnailRequestCount());
    }
    if (IconCache::shared().objectCount() != qsizetype(entries.size()))
        state.SkipWithError("not every entry got its object");
    if (!thumbnailsDone())
        state.SkipWithError("the thumbnails did not finish");
    state.counters["thumbnails_asked"] = double(requested);
    state.counters["thumbnails_pending_after"] = double(pendingAfter);
    state.counters["slowest_call_s"] = slowest;
    state.counters["main_thread_cpu_s"] = cpu / double(std::max<benchmark::IterationCount>(1, state.iterations()));
    // More work than the baseline by design (objects, sizes, access checks,
    // requests): held to a time instead, for a first look at 5,000 entries.
    state.counters["target_s"] = 2.0;
}

void iconsFromCache(benchmark::State& state)
{
    const std::vector<TableViewItemPtr> entries = fileEntries(int(state.range(0)));
    emptyCaches();
    askForIcons(entries);
    if (!thumbnailsDone())
        state.SkipWithError("the thumbnails did not finish");
    double slowest = 0;
    runBesideBaseline(
        state, [&] { slowest = std::max(slowest, askForIcons(entries)); }, [&] { themeIconPerFile(entries); });
    state.counters["slowest_call_s"] = slowest;
    setTarget(state, 3.0);
}

const bool registered = [] {
    for (auto* job : {benchmark::RegisterBenchmark("icons_cold", iconsFirstAsk),
                      benchmark::RegisterBenchmark("icons_warm", iconsFromCache)}) {
        job->Arg(sized(5000))->UseManualTime()->Unit(benchmark::kMillisecond);
        if (smallRun())
            job->Iterations(1);
    }
    return true;
}();

} // namespace

} // namespace vantel::bench
