#include "BenchSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QThread>

#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <array>

namespace vantel::bench {

bool smallRun()
{
    static const bool small = qEnvironmentVariableIntValue("BENCH_SMALL") != 0;
    return small;
}

int sized(int full)
{
    return smallRun() ? std::min(full, 1000) : full;
}

QString benchHome()
{
    return qEnvironmentVariable("VANTEL_BENCH_HOME");
}

QStringList gioDataDirs()
{
    QStringList dirs;
    for (int i = 1; i <= 5; ++i)
        dirs.append(benchHome() + QStringLiteral("/gio-data/%1").arg(i));
    return dirs;
}

QString applicationName(int index)
{
    // Words of real launcher catalogues, so that one letter matches most
    // names and three letters a few.
    static const std::array<const char*, 24> first{
        "Text", "Photo", "Music", "Video", "Disk", "System", "Network", "Power", "Font", "Image",
        "Mail", "Chat", "Code", "Map", "Game", "Office", "Print", "Scan", "Web", "Cloud",
        "Sound", "Clock", "Note", "File"};
    static const std::array<const char*, 20> second{
        "Editor", "Viewer", "Player", "Manager", "Monitor", "Settings", "Terminal", "Browser", "Recorder", "Reader",
        "Writer", "Converter", "Center", "Tool", "Studio", "Launcher", "Client", "Mixer", "Tracker", "Organizer"};
    const auto i = std::size_t(index);
    return QStringLiteral("%1 %2 %3")
        .arg(QLatin1String(first[i % first.size()]), QLatin1String(second[(i / first.size()) % second.size()]))
        .arg(index);
}

QList<TableViewItemPtr> catalogueEntries(int count)
{
    QList<TableViewItemPtr> entries;
    entries.reserve(count);
    for (int i = 0; i < count; ++i) {
        auto entry = TableViewItem::initForSpotlightApp(QStringLiteral("/bench/applications/app-%1.desktop").arg(i),
                                                        applicationName(i));
        // Found by discovery, as a catalogue's are: the rebuild keeps them.
        entry->setIsFoundBySpotlight(true);
        if (i % 10 == 0)
            entry->setTags({QStringLiteral("Group %1").arg(i % 20)});
        if (i % 7 == 0)
            entry->setComment(QStringLiteral("Used for %1").arg(applicationName(i + 1)));
        entries.append(entry);
    }
    return entries;
}

void writeApplicationFiles(const QStringList& folders, int count)
{
    for (const QString& folder : folders)
        QDir().mkpath(folder);
    if (folders.isEmpty() || !QDir(folders.first()).isEmpty())
        return;
    for (int i = 0; i < count; ++i) {
        const QString path = folders[i % folders.size()] + QStringLiteral("/app-%1.desktop").arg(i);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot write %s", qPrintable(path));
        const QByteArray name = applicationName(i).toUtf8();
        file.write("[Desktop Entry]\nType=Application\nName=" + name + "\nName[de]=" + name
                   + "\nComment=Bench application\nExec=true %U\nIcon=application-x-executable\n"
                     "Categories=Utility;\nTerminal=false\n");
    }
}

bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (!done())
            QThread::usleep(200);
    }
    return true;
}

int inotifyWatchCount()
{
    int watches = 0;
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString& fd : fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        // The raw link: an inotify descriptor reads "anon_inode:inotify".
        char target[64] = {};
        const QByteArray link = QFile::encodeName(fds.filePath(fd));
        const ssize_t length = ::readlink(link.constData(), target, sizeof target - 1);
        if (length <= 0 || QByteArray(target, length) != "anon_inode:inotify")
            continue;
        QFile info(QStringLiteral("/proc/self/fdinfo/") + fd);
        if (!info.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& line : info.readAll().split('\n'))
            if (line.startsWith("inotify wd:"))
                ++watches;
    }
    return watches;
}

std::int64_t allocatedBytes()
{
    const struct mallinfo2 info = mallinfo2();
    return std::int64_t(info.uordblks + info.hblkhd);
}

double secondsOf(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void runBesideBaseline(benchmark::State& state, const std::function<void()>& job,
                       const std::function<void()>& baseline, const std::function<void()>& prepare)
{
    double jobTotal = 0;
    double baselineTotal = 0;
    for (auto _ : state) {
        if (prepare)
            prepare();
        const double jobSeconds = secondsOf(job);
        baselineTotal += secondsOf(baseline);
        jobTotal += jobSeconds;
        state.SetIterationTime(jobSeconds);
    }
    if (state.iterations() == 0 || baselineTotal <= 0)
        return;
    state.counters["baseline_s"] = baselineTotal / double(state.iterations());
    state.counters["ratio"] = jobTotal / baselineTotal;
}

void setTarget(benchmark::State& state, double ratio)
{
    state.counters["target_ratio"] = ratio;
}

} // namespace vantel::bench
