// What the user waits for while typing: the main view's search filter as the
// store applies it per keystroke, and a full rebuild of the store's lists,
// each beside the same work done on plain data.
#include "BenchSupport.h"

#include "datastore/DataStorage.h"
#include "model/TableViewItem.h"

#include <QHash>

#include <algorithm>
#include <memory>
#include <vector>

namespace vantel::bench {

namespace {

// ---- The store's side: every use of the store's interface is here. ----

// A discovered application, as the discovery proxy leaves it in the store.
TableViewItemPtr discoveredApplication(int index)
{
    auto entry = TableViewItem::initForSpotlightApp(QStringLiteral("/bench/applications/app-%1.desktop").arg(index),
                                                    applicationName(index));
    entry->setIsFoundBySpotlight(true);
    if (index % 10 == 0)
        entry->setTags({QStringLiteral("Group %1").arg(index % 20)});
    if (index % 20 == 1)
        entry->setIsVisible(false);
    return entry;
}

std::unique_ptr<DataStorage> storeWith(int count)
{
    auto store = std::make_unique<DataStorage>();
    QList<TableViewItemPtr> entries;
    entries.reserve(count);
    for (int i = 0; i < count; ++i)
        entries.append(discoveredApplication(i));
    store->allData()->appendContentsOf(std::move(entries));
    return store;
}

void typeSearchText(DataStorage& store, const QString& text)
{
    store.filterCurrentData().filterBySearchString(text);
}

// The category's list shown again, so that the next text is a first
// keystroke and not narrowed from the result of the same text.
void clearSearch(DataStorage& store)
{
    store.filterCurrentData().applyFilter();
}

qsizetype shownCount(DataStorage& store)
{
    return store.currentData()->count();
}

void rebuild(DataStorage& store)
{
    store.rebuildData(DataStorageRebuildReason::userInitiatedRequest);
}

qsizetype configCount(DataStorage& store)
{
    return store.currentDataConfig()->count();
}

// ---- Plain data: the same strings and flags in a struct. ----

struct PlainEntry {
    QString name;
    QString nameLowercased;
    QString path;
    QStringList tags;
    bool visible = true;
    bool reachable = true;
};

std::vector<PlainEntry> plainEntries(int count)
{
    std::vector<PlainEntry> entries;
    entries.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i) {
        const auto entry = discoveredApplication(i);
        entries.push_back({entry->name(), entry->nameLowercased(), entry->path(), entry->tags(), entry->isVisible(),
                           true});
    }
    return entries;
}

void searchBenchmark(benchmark::State& state, const QString& text)
{
    const int count = int(state.range(0));
    const auto store = storeWith(count);
    std::vector<QString> lowered;
    for (const PlainEntry& entry : plainEntries(count))
        lowered.push_back(entry.nameLowercased);
    const QString needle = text.toLower();
    std::vector<int> matches;

    runBesideBaseline(
        state, [&] { typeSearchText(*store, text); },
        [&] {
            matches.clear();
            for (std::size_t i = 0; i < lowered.size(); ++i)
                if (lowered[i].contains(needle))
                    matches.push_back(int(i));
            benchmark::DoNotOptimize(matches.data());
        },
        [&] { clearSearch(*store); });

    // The bare loop also keeps hidden entries; the store must show the rest.
    qsizetype hidden = 0;
    for (int i : matches)
        hidden += i % 20 == 1 ? 1 : 0;
    if (shownCount(*store) != qsizetype(matches.size()) - hidden)
        state.SkipWithError("the search showed another number of entries than the loop found");
    state.counters["shown"] = double(shownCount(*store));
    if (count >= 100000)
        setTarget(state, 3.0);
    else
        state.counters["target_s"] = 0.001; // under a millisecond per keystroke
}

void rebuildBenchmark(benchmark::State& state)
{
    const int count = int(state.range(0));
    const auto store = storeWith(count);
    const std::vector<PlainEntry> plain = plainEntries(count);
    rebuild(*store); // the first rebuild creates the tags; later ones recount them

    runBesideBaseline(
        state, [&] { rebuild(*store); },
        [&] {
            // The recount, the main list (shown entries by name) and the
            // configuration list (every entry by name).
            QHash<QString, int> useCount;
            std::vector<const PlainEntry*> shown;
            std::vector<const PlainEntry*> all;
            for (const PlainEntry& entry : plain) {
                all.push_back(&entry);
                if (!entry.visible || !entry.reachable)
                    continue;
                shown.push_back(&entry);
                for (const QString& tag : entry.tags)
                    ++useCount[tag];
            }
            const auto byName = [](const PlainEntry* a, const PlainEntry* b) {
                return a->nameLowercased < b->nameLowercased;
            };
            std::stable_sort(shown.begin(), shown.end(), byName);
            std::stable_sort(all.begin(), all.end(), byName);
            benchmark::DoNotOptimize(useCount.size());
            benchmark::DoNotOptimize(shown.data());
            benchmark::DoNotOptimize(all.data());
        });

    if (configCount(*store) != count)
        state.SkipWithError("the rebuild lost entries");
    setTarget(state, 3.0);
}

const bool registered = [] {
    const std::vector<int> searchSizes = smallRun() ? std::vector<int>{sized(10000)} : std::vector<int>{100000, 10000};
    for (const char* text : {"t", "ter"}) {
        auto* benchmark = benchmark::RegisterBenchmark(
            (QStringLiteral("search_") + QLatin1String(text)).toUtf8().constData(),
            [text = QString::fromLatin1(text)](benchmark::State& state) { searchBenchmark(state, text); });
        for (int size : searchSizes)
            benchmark->Arg(size);
        benchmark->UseManualTime()->Unit(benchmark::kMicrosecond);
        if (smallRun())
            benchmark->Iterations(1);
    }
    auto* rebuildJob = benchmark::RegisterBenchmark("rebuild", rebuildBenchmark);
    rebuildJob->Arg(sized(10000))->UseManualTime()->Unit(benchmark::kMillisecond);
    if (smallRun())
        rebuildJob->Iterations(1);
    return true;
}();

} // namespace

} // namespace vantel::bench
