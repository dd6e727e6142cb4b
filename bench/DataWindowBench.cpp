// What the user waits for in the data window: the window opening on the
// whole catalogue up to its first screen, and a keystroke in its search
// field up to the repainted list, each beside the configuration filter alone;
// and what one changed entry costs the open list, beside a whole repaint.
#include "BenchSupport.h"
#include "support/AcceptingHotKeys.h"

#include "config/Configuration.h"
#include "datastore/DataStorage.h"
#include "hotkeys/HotKeyCenter.h"
#include "hotkeys/HotKeyManager.h"
#include "model/TableViewItem.h"
#include "platform/GlobalHotKeys.h"
#include "settings/ui/ConfigSearchField.h"
#include "settings/ui/ConfigSplitViewController.h"
#include "settings/ui/ConfigTableViewModel.h"
#include "settings/ui/ConfigViewControllerContent.h"
#include "settings/ui/ConfigWindowController.h"
#include "shell/AppDelegate.h"

#include <QApplication>
#include <QPaintEvent>
#include <QRegion>
#include <QTableView>

#include <set>

#include <chrono>
#include <memory>

namespace vantel::bench {

namespace {

struct Catalogue {
    std::unique_ptr<DataStorage> store = std::make_unique<DataStorage>();
    test::AcceptingHotKeys backend;
    std::unique_ptr<HotKeyCenter> center = std::make_unique<HotKeyCenter>(backend);
    std::unique_ptr<HotKeyManager> manager;
    settingsui::ConfigWindowServices services;

    explicit Catalogue(int count)
    {
        Configuration& config = AppDelegate::shared().config();
        manager = std::make_unique<HotKeyManager>(*store, config, *center);
        // No save of the shared settings from a benchmark.
        services = {store.get(), manager.get(), center.get(), nullptr};
        store->allData()->appendContentsOf(catalogueEntries(count));
    }
};

// What the list's viewport paints: the area and the rows it touches.
class PaintProbe : public QObject {
public:
    explicit PaintProbe(QTableView& table)
        : table_(table)
    {
        table_.viewport()->installEventFilter(this);
    }
    ~PaintProbe() override { table_.viewport()->removeEventFilter(this); }

    void reset()
    {
        paints = 0;
        rows.clear();
    }
    int paints = 0;
    std::set<int> rows;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == table_.viewport() && event->type() == QEvent::Paint) {
            ++paints;
            for (const QRect& rect : static_cast<QPaintEvent*>(event)->region()) {
                const int first = table_.rowAt(rect.top());
                const int last = table_.rowAt(rect.bottom());
                for (int row = std::max(0, first); row <= (last < 0 ? first : last); ++row)
                    rows.insert(row);
            }
        }
        return false;
    }

private:
    QTableView& table_;
};

// Runs posted events, the window's paint among them, until none are left.
// The benchmark runs outside any event loop, where objects deleted later
// would pile up in the queue that every later call walks: they go too, as
// the program's loop would delete them.
void flushEvents()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

bool widgetApplication(benchmark::State& state)
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance()))
        return true;
    state.SkipWithError("needs a widget application");
    return false;
}

void dataWindowOpenBenchmark(benchmark::State& state)
{
    if (!widgetApplication(state))
        return;
    Catalogue catalogue(int(state.range(0)));
    Catalogue bare(int(state.range(0)));
    std::unique_ptr<settingsui::ConfigWindowController> window;
    std::unique_ptr<PaintProbe> probe;
    int rows = 0;
    bool painted = true;
    // The first open in the process also loads styles, fonts and icons.
    double firstOpen = -1;
    runBesideBaseline(
        state,
        [&] {
            const auto started = std::chrono::steady_clock::now();
            window = std::make_unique<settingsui::ConfigWindowController>(catalogue.services);
            QTableView* table = window->splitViewController()->configContentController()->dataTableView();
            probe = std::make_unique<PaintProbe>(*table);
            window->showWindow(false);
            // Up to the first screen painted, as the window system asks for it.
            flushEvents();
            rows = table->model()->rowCount();
            painted = painted && probe->paints > 0 && !probe->rows.empty();
            if (firstOpen < 0)
                firstOpen = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        },
        [&] { bare.store->filterConfigData().applyFilter(); },
        [&] {
            probe.reset();
            if (window)
                window->close();
            window.reset();
            QCoreApplication::processEvents();
        });
    if (!painted)
        state.SkipWithError("the list was not painted");
    else if (rows != int(catalogue.store->allData()->count()))
        state.SkipWithError("the window shows another number of rows than the catalogue");
    state.counters["rows"] = double(rows);
    state.counters["first_s"] = firstOpen;
    state.counters["target_s"] = 0.150;
}

void dataWindowKeystrokeBenchmark(benchmark::State& state)
{
    if (!widgetApplication(state))
        return;
    Catalogue catalogue(int(state.range(0)));
    Catalogue bare(int(state.range(0)));
    settingsui::ConfigWindowController window(catalogue.services);
    window.showWindow(false);
    flushEvents();
    QTableView* table = window.splitViewController()->configContentController()->dataTableView();
    PaintProbe probe(*table);
    // Each step changes the text: one letter more, then back.
    bool longer = true;
    bool bareLonger = true;
    std::set<int> counts;
    bool painted = true;
    runBesideBaseline(
        state,
        [&] {
            probe.reset();
            window.searchField()->setText(longer ? QStringLiteral("ab") : QStringLiteral("a"));
            flushEvents();
            painted = painted && probe.paints > 0;
            counts.insert(table->model()->rowCount());
            longer = !longer;
        },
        [&] {
            DataStorageFilterConfigData& filter = bare.store->filterConfigData();
            filter.configTableViewSearchString = bareLonger ? QStringLiteral("ab") : QStringLiteral("a");
            filter.applyFilter();
            bareLonger = !bareLonger;
        });
    if (!painted)
        state.SkipWithError("a keystroke did not repaint the list");
    else if (state.iterations() > 1 && counts.size() < 2)
        state.SkipWithError("the two searches listed the same number of rows");
    state.counters["rows"] = double(catalogue.store->allData()->count());
    state.counters["target_s"] = 0.016;
    window.close();
}

// One entry's comment changed while the list shows: the time up to the
// repainted row, beside a repaint of every visible row, and the rows painted.
void dataWindowEntryChangedBenchmark(benchmark::State& state)
{
    if (!widgetApplication(state))
        return;
    Catalogue catalogue(int(state.range(0)));
    settingsui::ConfigWindowController window(catalogue.services);
    window.showWindow(false);
    flushEvents();
    QTableView* table = window.splitViewController()->configContentController()->dataTableView();
    // A row in the middle of the first screen.
    const int row = 3;
    const TableViewItemPtr entry =
        static_cast<settingsui::ConfigTableViewModel*>(table->model())->entryAt(row);
    if (!entry) {
        state.SkipWithError("the list shows no entries");
        return;
    }
    PaintProbe probe(*table);
    std::set<int> painted;
    int paints = 0;
    int visible = 0;
    bool odd = false;
    runBesideBaseline(
        state,
        [&] {
            probe.reset();
            entry->setComment(odd ? QStringLiteral("Edited once more") : QStringLiteral("Edited"));
            odd = !odd;
            flushEvents();
            painted.insert(probe.rows.begin(), probe.rows.end());
            paints += probe.paints;
        },
        [&] {
            probe.reset();
            table->viewport()->repaint();
            visible = int(probe.rows.size());
        });
    if (paints == 0)
        state.SkipWithError("the changed entry was not repainted");
    state.counters["rows_repainted"] = double(painted.size());
    state.counters["rows_visible"] = double(visible);
    state.counters["target_rows"] = 1;
    state.counters["target_s"] = 0.016;
    window.close();
}

const bool registered = [] {
    auto* open = benchmark::RegisterBenchmark("datawindow_open", dataWindowOpenBenchmark);
    open->Arg(sized(10000))->UseManualTime()->Unit(benchmark::kMillisecond);
    auto* keystroke = benchmark::RegisterBenchmark("datawindow_keystroke", dataWindowKeystrokeBenchmark);
    keystroke->Arg(sized(10000))->UseManualTime()->Unit(benchmark::kMillisecond);
    auto* changed = benchmark::RegisterBenchmark("datawindow_entry_changed", dataWindowEntryChangedBenchmark);
    changed->Arg(sized(10000))->UseManualTime()->Unit(benchmark::kMillisecond);
    if (smallRun()) {
        open->Iterations(1);
        keystroke->Iterations(1);
        changed->Iterations(1);
    }
    return true;
}();

} // namespace

} // namespace vantel::bench
