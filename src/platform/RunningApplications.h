#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <chrono>
#include <memory>

namespace vantel::platform {

// One application (desktop entry) with at least one running process.
struct RunningApplication {
    QString bundlePath; // the desktop file
    QString desktopId;
    QList<qint64> processIds; // ascending
    // An ordinary application: it has a normal top-level window, or it was
    // found through its processes and its entry is not NoDisplay. Helpers
    // (NoDisplay entries without a window) are listed but not regular.
    bool regular = false;

    bool operator==(const RunningApplication&) const = default;
};

// Which desktop entries are running. Every process of /proc is matched to the
// entries of the application folders: by GIO_LAUNCHED_DESKTOP_FILE when the
// launcher left it, by its executable (or, for scripts, the script it runs)
// against the entry's Exec program resolved through PATH; where an X11 display
// is reachable the window list (_NET_CLIENT_LIST) adds windows matched by
// WM_CLASS to StartupWMClass or the desktop ID. /proc is polled on a worker,
// since inotify does not see it.
//
// A change is posted on the main thread on the workspace notification centre,
// sender this object, object the bundle path (QString): first
// "didTerminateApplication" for each path that has no regular instance left,
// then "didLaunchApplication" for each path that got its first one. A path
// with two instances is terminated only when the last one ends.
class RunningApplications {
public:
    static inline const QString didLaunchApplication = QStringLiteral("didLaunchApplication");
    static inline const QString didTerminateApplication = QStringLiteral("didTerminateApplication");

    struct Options {
        // Empty: the XDG application folders.
        QStringList applicationFolders;
        std::chrono::milliseconds interval{1500};
        // Consult the X11 window list when $DISPLAY names a reachable display.
        bool useWindowList = true;
    };

    RunningApplications();
    explicit RunningApplications(Options options);
    ~RunningApplications();
    RunningApplications(const RunningApplications&) = delete;
    RunningApplications& operator=(const RunningApplications&) = delete;

    // The process-wide instance, started on first use. Main thread.
    static RunningApplications& shared();

    // Takes the first snapshot at once, on the calling thread (the main
    // thread), without posting, then polls. Starting twice does nothing.
    void start();
    void stop();
    bool isStarted() const;
    // Asks for a poll now instead of at the next tick.
    void refresh();

    // The latest snapshot, sorted by bundle path. From any thread.
    QList<RunningApplication> runningApplications() const;
    // The bundle paths of the regular ones.
    QStringList regularApplicationPaths() const;

private:
    struct State;
    std::shared_ptr<State> state_;
};

} // namespace vantel::platform
