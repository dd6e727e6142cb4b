// What the user waits for when the main view's list changes: the store's
// refilter, the entry list's reset and the repaint of the rows on screen,
// beside the refilter alone.
#include "BenchSupport.h"

#include "datastore/DataStorage.h"
#include "mainwindow/MainTableView.h"
#include "mainwindow/MainTableViewModel.h"
#include "model/TableViewItem.h"

#include <QApplication>

#include <memory>

namespace vantel::bench {

namespace {

// Discovered applications, every tenth filed under one of twenty tags, with
// a comment, a colour or a hotkey here and there as a catalogue has them.
std::unique_ptr<DataStorage> catalogueOf(int count)
{
    auto store = std::make_unique<DataStorage>();
    QList<TableViewItemPtr> entries = catalogueEntries(count);
    for (int i = 0; i < count; i += 13)
        entries[i]->setColor(platform::Color{0.2, 0.5, 0.8, 1});
    store->allData()->appendContentsOf(std::move(entries));
    return store;
}

// One tag's entries, then all of them: each run changes the list.
void refilter(DataStorage& store, bool narrow)
{
    store.filterCurrentData().filterByTag(narrow ? QStringLiteral("Group 10") : QString());
}

void entryListResetBenchmark(benchmark::State& state)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        state.SkipWithError("needs a widget application");
        return;
    }
    const int count = int(state.range(0));
    const auto store = catalogueOf(count);
    MainTableView view(*store);
    view.resize(620, 640);
    view.show();
    QCoreApplication::processEvents();
    // A second store with the same entries times the refilter alone.
    const auto bare = catalogueOf(count);
    bool narrow = true;
    bool bareNarrow = true;

    runBesideBaseline(
        state,
        [&] {
            refilter(*store, narrow);
            view.currentDataHadChanged();
            view.viewport()->repaint();
            narrow = !narrow;
        },
        [&] {
            refilter(*bare, bareNarrow);
            bareNarrow = !bareNarrow;
        });

    if (view.tableModel().rowCount() != int(store->currentData()->count()))
        state.SkipWithError("the list shows another number of rows than the store");
    state.counters["rows"] = double(view.tableModel().rowCount());
    state.counters["target_s"] = 0.016; // one frame at 60 Hz
}

const bool registered = [] {
    auto* job = benchmark::RegisterBenchmark("entrylist_reset", entryListResetBenchmark);
    job->Arg(sized(10000))->UseManualTime()->Unit(benchmark::kMicrosecond);
    if (smallRun())
        job->Iterations(1);
    return true;
}();

} // namespace

} // namespace vantel::bench
