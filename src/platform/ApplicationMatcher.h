#pragma once

#include "platform/DesktopEntryIndex.h"
#include "platform/RunningApplications.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace vantel::platform {

// What /proc tells of one process.
struct ProcessInfo {
    qint64 pid = 0;
    QString executable;          // /proc/<pid>/exe, empty when unreadable
    QStringList arguments;       // /proc/<pid>/cmdline
    QString launchedDesktopFile; // GIO_LAUNCHED_DESKTOP_FILE when it names this very process
};

// One managed top-level window of the X11 window list.
struct WindowInfo {
    qint64 pid = 0; // its _NET_WM_PID, else its client's as the X server knows it; 0 when neither says
    QString instanceName;
    QString className;
    bool normal = true; // a normal window shown in the task bar
    quint32 window = 0; // the X11 window
};

// Matches processes and windows to desktop entries.
class ApplicationMatcher {
public:
    explicit ApplicationMatcher(const QList<IndexedApplication>& applications);

    // `unitDesktopIds`: for each application unit the desktop started, the
    // desktop IDs it may stand for, the likeliest first (ApplicationUnits).
    QList<RunningApplication> match(const QList<ProcessInfo>& processes, const QList<WindowInfo>& windows,
                                    const QList<QStringList>& unitDesktopIds = {}) const;
    // The normal windows, in the given order, that `match` would count for
    // the entry at `desktopFile`; none when it is not one of the entries.
    QList<WindowInfo> windowsOf(const QString& desktopFile, const QList<ProcessInfo>& processes,
                                const QList<WindowInfo>& windows) const;

    // The file a process of this entry runs: the Exec program resolved
    // through PATH and its links, or for a shell, interpreter or `env`
    // wrapper the script it is given. Empty when nothing tells the entry's
    // processes apart (e.g. "sh -c ...").
    static QString programKey(const DesktopEntry& entry);
    // The files a process runs: its executable, and its program or script
    // argument when named by an absolute path.
    static QStringList processKeys(const ProcessInfo& process);

    // Every process of /proc that has a command line (kernel threads have none).
    static QList<ProcessInfo> readProcesses(const QString& procRoot = QStringLiteral("/proc"));

private:
    QList<int> matchProcess(const ProcessInfo& process) const;
    // Windows are matched by class, then desktop ID, then by their process.
    QList<int> matchWindow(const WindowInfo& window, const QHash<qint64, QList<int>>& byPid) const;

    // What a match reports of an application; the entries stay with the index.
    struct Known {
        QString path;
        QString desktopId;
        bool noDisplay = false;
    };
    QList<Known> applications_;
    QHash<QString, QList<int>> byProgram_;      // canonical program -> applications
    QHash<QString, int> byPath_;                // desktop file -> application
    QHash<QString, QList<int>> byWindowClass_;  // StartupWMClass -> applications
    QHash<QString, QList<int>> byIdStem_;       // lower-case desktop ID, ".desktop" included
};

} // namespace vantel::platform
