// What the user waits for in the data window: the window opening on the
// whole catalogue up to its first screen, and a keystroke in its search
// field up to the repainted list, each beside the configuration filter alone.
#include "BenchSupport.h"

#include "config/Configuration.h"
#include "datastore/DataStorage.h"
#include "hotkeys/HotKeyCenter.h"
#include "hotkeys/HotKeyManager.h"
#include "model/TableViewItem.h"
#include "platform/GlobalHotKeys.h"
#include "settings/ui/ConfigSearchField.h"
#include "settings/ui/ConfigSplitViewController.h"
#include "settings/ui/ConfigViewControllerContent.h"
#include "settings/ui/ConfigWindowController.h"
#include "shell/AppDelegate.h"

#include <QApplication>
#include <QTableView>

#include <memory>

namespace vantel::bench {

namespace {

class NoHotKeys : public platform::GlobalHotKeys {
public:
    bool isSupported() const override { return true; }
    QString unsupportedReason() const override { return {}; }
    Result registerHotKey(int, std::uint32_t) override { return {Status::registered, ++next_}; }
    void unregisterHotKey(std::uint32_t) override {}

private:
    std::uint32_t next_ = 0;
};

struct Catalogue {
    std::unique_ptr<DataStorage> store = std::make_unique<DataStorage>();
    NoHotKeys backend;
    std::unique_ptr<HotKeyCenter> center = std::make_unique<HotKeyCenter>(backend);
    std::unique_ptr<HotKeyManager> manager;
    settingsui::ConfigWindowServices services;

    explicit Catalogue(int count)
    {
        Configuration& config = AppDelegate::shared().config();
        manager = std::make_unique<HotKeyManager>(*store, config, *center);
        // No save of the shared settings from a benchmark.
        services = {store.get(), manager.get(), center.get(), nullptr};
        QList<TableViewItemPtr> entries;
        entries.reserve(count);
        for (int i = 0; i < count; ++i) {
            auto entry = TableViewItem::initForSpotlightApp(
                QStringLiteral("/bench/applications/app-%1.desktop").arg(i), applicationName(i));
            // Found by discovery, as a catalogue's are: the rebuild keeps them.
            entry->setIsFoundBySpotlight(true);
            if (i % 10 == 0)
                entry->setTags({QStringLiteral("Group %1").arg(i % 20)});
            if (i % 7 == 0)
                entry->setComment(QStringLiteral("Used for %1").arg(applicationName(i + 1)));
            entries.append(entry);
        }
        store->allData()->appendContentsOf(std::move(entries));
    }
};

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
    int rows = 0;
    runBesideBaseline(
        state,
        [&] {
            window = std::make_unique<settingsui::ConfigWindowController>(catalogue.services);
            window->showWindow(false);
            QTableView* table = window->splitViewController()->configContentController()->dataTableView();
            table->viewport()->repaint();
            rows = table->model()->rowCount();
        },
        [&] { bare.store->filterConfigData().applyFilter(); },
        [&] {
            if (window)
                window->close();
            window.reset();
            QCoreApplication::processEvents();
        });
    if (rows != int(catalogue.store->allData()->count()))
        state.SkipWithError("the window shows another number of rows than the catalogue");
    state.counters["rows"] = double(rows);
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
    QCoreApplication::processEvents();
    QTableView* table = window.splitViewController()->configContentController()->dataTableView();
    // Each step changes the text: one letter more, then back.
    bool longer = true;
    bool bareLonger = true;
    runBesideBaseline(
        state,
        [&] {
            window.searchField()->setText(longer ? QStringLiteral("ab") : QStringLiteral("a"));
            table->viewport()->repaint();
            longer = !longer;
        },
        [&] {
            DataStorageFilterConfigData& filter = bare.store->filterConfigData();
            filter.configTableViewSearchString = bareLonger ? QStringLiteral("ab") : QStringLiteral("a");
            filter.applyFilter();
            bareLonger = !bareLonger;
        });
    state.counters["rows"] = double(table->model()->rowCount());
    state.counters["target_s"] = 0.016;
    window.close();
}

const bool registered = [] {
    auto* open = benchmark::RegisterBenchmark("datawindow_open", dataWindowOpenBenchmark);
    open->Arg(sized(10000))->UseManualTime()->Unit(benchmark::kMillisecond);
    auto* keystroke = benchmark::RegisterBenchmark("datawindow_keystroke", dataWindowKeystrokeBenchmark);
    keystroke->Arg(sized(10000))->UseManualTime()->Unit(benchmark::kMillisecond);
    if (smallRun()) {
        open->Iterations(1);
        keystroke->Iterations(1);
    }
    return true;
}();

} // namespace

} // namespace vantel::bench
