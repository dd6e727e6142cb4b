// What the user waits for while typing: the main view's search filter as the
// store applies it per keystroke (also the first one after the catalogue
// changed), and a full rebuild of the store's lists, unchanged and after a
// change, each beside the same work done on plain data.
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

// The bare loop's names: lower-cased once and laid end to end in one buffer,
// so the loop reads memory in order as a search index would.
struct PackedNames {
    QString text;
    std::vector<qsizetype> starts; // one more than names: the end

    explicit PackedNames(const std::vector<PlainEntry>& entries)
    {
        starts.reserve(entries.size() + 1);
        for (const PlainEntry& entry : entries) {
            starts.push_back(text.size());
            text += entry.nameLowercased;
        }
        starts.push_back(text.size());
    }

    std::size_t count() const { return starts.size() - 1; }

    void search(QStringView needle, std::vector<int>& matches) const
    {
        matches.clear();
        const QStringView all(text);
        for (std::size_t i = 0; i + 1 < starts.size(); ++i)
            if (all.sliced(starts[i], starts[i + 1] - starts[i]).contains(needle))
                matches.push_back(int(i));
        benchmark::DoNotOptimize(matches.data());
    }
};

// The store shows every match but the hidden entries (every twentieth from 1).
bool sameResult(DataStorage& store, const std::vector<int>& matches)
{
    qsizetype hidden = 0;
    for (int i : matches)
        hidden += i % 20 == 1 ? 1 : 0;
    return shownCount(store) == qsizetype(matches.size()) - hidden;
}

void searchBenchmark(benchmark::State& state, const QString& text)
{
    const int count = int(state.range(0));
    const auto store = storeWith(count);
    const PackedNames names(plainEntries(count));
    const QString needle = text.toLower();
    std::vector<int> matches;

    runBesideBaseline(
        state, [&] { typeSearchText(*store, text); }, [&] { names.search(needle, matches); },
        [&] { clearSearch(*store); });

    if (!sameResult(*store, matches))
        state.SkipWithError("the search showed another number of entries than the loop found");
    state.counters["shown"] = double(shownCount(*store));
    if (count >= 100000)
        setTarget(state, 3.0);
    else
        state.counters["target_s"] = 0.001; // under a millisecond per keystroke
}

// The first keystroke after one entry of the catalogue changed, beside a
// steady keystroke: the same text typed into a second store with the same
// entries that did not change.
void firstKeystrokeBenchmark(benchmark::State& state)
{
    const int count = int(state.range(0));
    const auto changed = storeWith(count);
    const auto steady = storeWith(count);
    const QString text = QStringLiteral("t");
    typeSearchText(*changed, text);
    typeSearchText(*steady, text);
    const TableViewItemPtr renamed = changed->allData()->snapshot().at(count / 2);
    const QString originalName = renamed->name();
    int round = 0;

    runBesideBaseline(
        state, [&] { typeSearchText(*changed, text); }, [&] { typeSearchText(*steady, text); },
        [&] {
            // Both stores show their whole list again, so neither keystroke
            // narrows an earlier result; then one entry of the first is
            // renamed. Entries count their changes together, so the second
            // store learns of the rename too: it shows its list again after
            // it, so that its keystroke is a steady one.
            clearSearch(*changed);
            renamed->setName(++round % 2 ? QStringLiteral("Tool renamed %1").arg(round) : originalName);
            clearSearch(*steady);
        });

    if (shownCount(*changed) != shownCount(*steady))
        state.SkipWithError("the two stores showed another number of entries");
    setTarget(state, 3.0);
}

// The same rebuild on plain data: the recount, the main list (shown entries
// by name) and the configuration list (every entry by name), sorted anew.
void plainRebuild(const std::vector<PlainEntry>& plain)
{
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
    const auto byName = [](const PlainEntry* a, const PlainEntry* b) { return a->nameLowercased < b->nameLowercased; };
    std::stable_sort(shown.begin(), shown.end(), byName);
    std::stable_sort(all.begin(), all.end(), byName);
    benchmark::DoNotOptimize(useCount.size());
    benchmark::DoNotOptimize(shown.data());
    benchmark::DoNotOptimize(all.data());
}

// `changed`: before each rebuild one entry is renamed, one added and one
// removed, in the store and in the plain data alike; otherwise nothing
// changes between rebuilds.
void rebuildBenchmark(benchmark::State& state, bool changed)
{
    const int count = int(state.range(0));
    const auto store = storeWith(count);
    std::vector<PlainEntry> plain = plainEntries(count);
    rebuild(*store); // the first rebuild creates the tags; later ones recount them
    int next = count;

    const auto change = [&] {
        // Rename one entry.
        const qsizetype at = qsizetype(next % count);
        const TableViewItemPtr renamed = store->allData()->snapshot().at(at);
        const QString name = applicationName(next * 7);
        renamed->setName(name);
        plain[std::size_t(at)].name = name;
        plain[std::size_t(at)].nameLowercased = renamed->nameLowercased();
        // Add one and remove another.
        const TableViewItemPtr added = discoveredApplication(next);
        store->addToAllData(added);
        plain.push_back({added->name(), added->nameLowercased(), added->path(), added->tags(), added->isVisible(),
                         true});
        const qsizetype removedAt = (at + count / 2) % store->allData()->count();
        const QString removedPath = store->allData()->snapshot().at(removedAt)->path();
        store->removeFromAllData(removedPath);
        plain.erase(std::find_if(plain.begin(), plain.end(),
                                 [&](const PlainEntry& entry) { return entry.path == removedPath; }));
        ++next;
    };

    runBesideBaseline(
        state, [&] { rebuild(*store); }, [&] { plainRebuild(plain); },
        [&] {
            if (changed)
                change();
        });

    if (configCount(*store) != qsizetype(plain.size()))
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
    auto* first = benchmark::RegisterBenchmark("first_keystroke", firstKeystrokeBenchmark);
    for (int size : searchSizes)
        first->Arg(size);
    first->UseManualTime()->Unit(benchmark::kMillisecond);
    for (const bool changed : {false, true}) {
        auto* rebuildJob = benchmark::RegisterBenchmark(
            changed ? "rebuild_changed" : "rebuild",
            [changed](benchmark::State& state) { rebuildBenchmark(state, changed); });
        rebuildJob->Arg(sized(10000));
        if (!smallRun())
            rebuildJob->Arg(100000);
        rebuildJob->UseManualTime()->Unit(benchmark::kMillisecond);
        if (smallRun())
            rebuildJob->Iterations(1);
    }
    if (smallRun())
        first->Iterations(1);
    return true;
}();

} // namespace

} // namespace vantel::bench
