#pragma once

#include <benchmark/benchmark.h>

#include "model/TableViewItem.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <chrono>
#include <cstdint>
#include <functional>

namespace vantel::bench {

// BENCH_SMALL=1 (set by CI) registers each job once, at a small size, for
// one iteration: the suite keeps building and running, numbers aside.
bool smallRun();
// The size a job runs at: `full`, or the small size under BENCH_SMALL.
int sized(int full);

// The throw-away home that BenchMain created for this process.
QString benchHome();

// The folders that GLib was pointed at through XDG_DATA_DIRS before its first
// use (it reads the variable once per process); each holds applications/.
QStringList gioDataDirs();

// An application name from a fixed word list: the same index always gives
// the same name, so runs and baselines see the same strings.
QString applicationName(int index);

// `count` discovered applications as the catalogue holds them: every tenth
// filed under one of twenty tags, every seventh with a comment.
QList<TableViewItemPtr> catalogueEntries(int count);

// `count` desktop files spread over the folders (made when missing), written
// once and kept for the process: a folder that holds files is left as it is.
void writeApplicationFiles(const QStringList& folders, int count);

// Runs the main event loop until `done` answers true or the time is up.
bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

// The inotify watches this process holds now, over all its inotify
// descriptors ("inotify wd:" lines of /proc/self/fdinfo).
int inotifyWatchCount();

// Bytes the allocator hands out right now (malloc statistics).
std::int64_t allocatedBytes();

// Seconds `work` takes on a steady clock.
double secondsOf(const std::function<void()>& work);

// One job beside its baseline: every iteration runs the job (whose time is
// the benchmark's) and then the baseline on the same input, and the counters
// carry the baseline's mean time and the ratio of the totals. `prepare`
// runs untimed before each job.
void runBesideBaseline(benchmark::State& state, const std::function<void()>& job,
                       const std::function<void()>& baseline, const std::function<void()>& prepare = {});

// The target shown in the table: the ratio must stay at or below `ratio`.
void setTarget(benchmark::State& state, double ratio);

} // namespace vantel::bench
