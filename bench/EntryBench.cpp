// The cost of an entry: making one, the memory it holds, and the keyed
// archive of the entry list (load and save), each beside plain data. The
// archive's baseline is Python's plistlib on the same file: see
// archive_vs_plistlib.py, which runs these two and plistlib.
#include "BenchSupport.h"

#include "model/TableViewItem.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"

#include <QFile>
#include <QSaveFile>

#include <vector>

namespace vantel::bench {

namespace {

// ---- The program's side: every use of its interfaces is here. ----

TableViewItemPtr createEntry(const QString& path, const QString& name)
{
    return TableViewItem::initForSpotlightApp(path, name);
}

// An entry list like a stored one: some entries carry the user's tags,
// comments and marks.
QVariantList storedEntryList(int count)
{
    QVariantList list;
    list.reserve(count);
    for (int i = 0; i < count; ++i) {
        auto entry = createEntry(QStringLiteral("/bench/applications/app-%1.desktop").arg(i), applicationName(i));
        if (i % 4 == 0)
            entry->setTags({QStringLiteral("Group %1").arg(i % 20)});
        if (i % 7 == 0)
            entry->setComment(QStringLiteral("Opens the %1 things").arg(i));
        entry->setIsFavorite(i % 11 == 0);
        entry->setIsVisible(i % 13 != 0);
        list.append(QVariant::fromValue(platform::ArchivablePtr(entry)));
    }
    return list;
}

QByteArray saveEntryList(const QVariantList& entries)
{
    return platform::KeyedArchiver::archivedData(QVariant(entries));
}

// The entries read back from the file; -1 when it does not read.
qsizetype loadEntryList(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    platform::KeyedUnarchiver::Options options;
    options.allowedClasses = TableViewItem::archiveClassNames();
    const auto result = platform::KeyedUnarchiver::unarchiveTopLevelObject(file.readAll(), options);
    if (!result.ok())
        return -1;
    qsizetype entries = 0;
    for (const QVariant& element : result.value.toList())
        if (std::dynamic_pointer_cast<TableViewItem>(element.value<platform::ArchivablePtr>()))
            ++entries;
    return entries;
}

// ---- Plain data: a struct of the same strings. ----

struct PlainEntry {
    QString name;
    QString nameLowercased;
    QString path;
    QString pathLowercased;
};

PlainEntry plainEntry(const QString& path, const QString& name)
{
    return {name, name.toLower(), path, path.toLower()};
}

struct Strings {
    QStringList paths;
    QStringList names;
};

Strings strings(int count)
{
    Strings result;
    for (int i = 0; i < count; ++i) {
        result.paths.append(QStringLiteral("/bench/applications/app-%1.desktop").arg(i));
        result.names.append(applicationName(i));
    }
    return result;
}

QString archivePath()
{
    const QString chosen = qEnvironmentVariable("VANTEL_BENCH_ARCHIVE");
    return chosen.isEmpty() ? benchHome() + QStringLiteral("/entries.archive") : chosen;
}

// ---- Benchmarks ----

void createBenchmark(benchmark::State& state)
{
    const int count = int(state.range(0));
    const Strings input = strings(count);
    std::vector<TableViewItemPtr> entries;
    std::vector<PlainEntry> plain;
    runBesideBaseline(
        state,
        [&] {
            for (int i = 0; i < count; ++i)
                entries.push_back(createEntry(input.paths[i], input.names[i]));
        },
        [&] {
            for (int i = 0; i < count; ++i)
                plain.push_back(plainEntry(input.paths[i], input.names[i]));
        },
        [&] {
            entries.clear();
            entries.reserve(std::size_t(count));
            plain.clear();
            plain.reserve(std::size_t(count));
        });
    if (entries.size() != std::size_t(count) || entries.back()->name() != input.names.back())
        state.SkipWithError("the entries do not hold their strings");
    setTarget(state, 5.0);
}

void memoryBenchmark(benchmark::State& state)
{
    const int count = int(state.range(0));
    const Strings input = strings(count); // kept alive: only what the entries add counts
    double entryBytes = 0;
    double plainBytes = 0;
    for (auto _ : state) {
        std::vector<TableViewItemPtr> entries;
        std::vector<PlainEntry> plain;
        std::int64_t before = allocatedBytes();
        state.SetIterationTime(secondsOf([&] {
            entries.reserve(std::size_t(count));
            for (int i = 0; i < count; ++i)
                entries.push_back(createEntry(input.paths[i], input.names[i]));
        }));
        entryBytes = double(allocatedBytes() - before) / count;
        before = allocatedBytes();
        plain.reserve(std::size_t(count));
        for (int i = 0; i < count; ++i)
            plain.push_back(plainEntry(input.paths[i], input.names[i]));
        plainBytes = double(allocatedBytes() - before) / count;
    }
    if (entryBytes <= 0 || plainBytes <= 0) {
        // A replaced allocator (the sanitizers') keeps no malloc statistics.
        state.SkipWithError("the allocator reports no statistics");
        return;
    }
    state.counters["bytes_per_entry"] = entryBytes;
    state.counters["baseline_bytes_per_entry"] = plainBytes;
    state.counters["ratio"] = entryBytes / plainBytes;
    setTarget(state, 1.5);
}

void archiveSaveBenchmark(benchmark::State& state)
{
    const QVariantList entries = storedEntryList(int(state.range(0)));
    QByteArray data;
    for (auto _ : state) {
        data = saveEntryList(entries);
        benchmark::DoNotOptimize(data.constData());
    }
    // The file that the load and plistlib read.
    QSaveFile file(archivePath());
    if (data.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit())
        state.SkipWithError("the entry list was not saved");
    state.counters["bytes"] = double(data.size());
}

void archiveLoadBenchmark(benchmark::State& state)
{
    const int count = int(state.range(0));
    // Written afresh (the same bytes the save writes), so a file of another
    // size from an earlier run is never read.
    QSaveFile file(archivePath());
    if (!file.open(QIODevice::WriteOnly) || file.write(saveEntryList(storedEntryList(count))) <= 0 || !file.commit()) {
        state.SkipWithError("the entry list was not saved");
        return;
    }
    qsizetype loaded = 0;
    for (auto _ : state)
        loaded = loadEntryList(archivePath());
    if (loaded != count)
        state.SkipWithError("the entry list did not read back whole");
}

// The first load of the process, as the program's start makes it: the
// reader and the entries' classes have not run yet. archive_vs_plistlib.py
// runs it alone in fresh processes over the file the other two left; run
// with the others it times a warm load.
void archiveFirstLoadBenchmark(benchmark::State& state)
{
    const int count = int(state.range(0));
    if (!QFile::exists(archivePath())) {
        QSaveFile file(archivePath());
        if (!file.open(QIODevice::WriteOnly) || file.write(saveEntryList(storedEntryList(count))) <= 0
            || !file.commit()) {
            state.SkipWithError("the entry list was not saved");
            return;
        }
    }
    qsizetype loaded = 0;
    for (auto _ : state)
        state.SetIterationTime(secondsOf([&] { loaded = loadEntryList(archivePath()); }));
    if (loaded != count)
        state.SkipWithError("the entry list did not read back whole");
}

const bool registered = [] {
    const bool small = smallRun();
    auto* create = benchmark::RegisterBenchmark("create", createBenchmark);
    create->Arg(sized(100000))->UseManualTime()->Unit(benchmark::kMillisecond);
    if (small)
        create->Iterations(1);
    // One measurement: the allocator's count does not vary between runs.
    benchmark::RegisterBenchmark("memory", memoryBenchmark)
        ->Arg(sized(100000))
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
    for (auto* job : {benchmark::RegisterBenchmark("archive_save", archiveSaveBenchmark),
                      benchmark::RegisterBenchmark("archive_load", archiveLoadBenchmark)}) {
        job->Arg(sized(10000))->Unit(benchmark::kMillisecond);
        if (small)
            job->Iterations(1);
    }
    benchmark::RegisterBenchmark("archive_first_load", archiveFirstLoadBenchmark)
        ->Arg(sized(10000))
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
    return true;
}();

} // namespace

} // namespace vantel::bench
