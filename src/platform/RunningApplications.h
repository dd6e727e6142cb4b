#pragma once

#include <QDBusConnection>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <chrono>
#include <memory>
#include <optional>

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
    // When it was launched, as far as known: the start of its earliest
    // process. For one that appeared while the list was followed and whose
    // processes' starts can't be read, when it was first seen; none for such
    // a one already running at the first look, which may have run for days.
    std::optional<QDateTime> launchDate;

    bool operator==(const RunningApplication&) const = default;
};

// Which desktop entries are running. Every process of /proc is matched to the
// entries of the application folders: by GIO_LAUNCHED_DESKTOP_FILE when the
// launcher left it, by its executable (or, for scripts, the script it runs)
// against the entry's Exec program resolved through PATH; where an X11 display
// is reachable the window list (_NET_CLIENT_LIST) adds windows matched by
// WM_CLASS to StartupWMClass or the desktop ID; where the desktop starts
// applications in systemd units (GNOME, KDE, also under Wayland, where no
// window list exists) each such unit adds its entry by desktop ID.
//
// A tray program runs all day, so nothing is polled: the list is taken again
// on a worker only when something says it changed: the window manager's
// list of windows, a process of a running application ending (a pidfd per
// process), a unit of an application started or removed, a launch this
// program made (applicationLaunched), or a desktop
// file changed in the application folders (one inotify watch per folder,
// after which only the changed files are read again). A process that starts
// outside this program and shows no window is seen at the next such event.
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
        // Zero: no polling, events alone (see above). Tests poll.
        std::chrono::milliseconds interval{0};
        // Consult the X11 window list when $DISPLAY names a reachable display.
        bool useWindowList = true;
        // Follow the applications the desktop starts in systemd units
        // (ApplicationUnits) on this bus; none: the session bus, when
        // $DBUS_SESSION_BUS_ADDRESS names one.
        bool useApplicationUnits = true;
        std::optional<QDBusConnection> applicationUnitsBus = std::nullopt;
    };

    RunningApplications();
    explicit RunningApplications(Options options);
    ~RunningApplications();
    RunningApplications(const RunningApplications&) = delete;
    RunningApplications& operator=(const RunningApplications&) = delete;

    // The process-wide instance, started on first use. Main thread.
    static RunningApplications& shared();

    // Takes the first snapshot at once, on the calling thread (the main
    // thread), without posting, then follows the events. Starting twice does
    // nothing.
    void start();
    // The same, but the first snapshot is taken on the worker and announced
    // as launches, so that the caller does not wait for the application
    // folders to be read.
    void startInBackground();
    void stop();
    bool isStarted() const;
    // Takes the list again now.
    void refresh();

    // A launch made by this program: every started instance takes its list
    // again shortly after, and once more when a slow start may have shown
    // its process or window. From any thread.
    static void applicationLaunched();

    // The latest snapshot, sorted by bundle path. From any thread.
    QList<RunningApplication> runningApplications() const;
    // The bundle paths of the regular ones.
    QStringList regularApplicationPaths() const;

    // The application at `bundlePath` as the latest list of a started
    // instance holds it; none when none lists it, or off the main thread.
    // What a launch announcement carries no room for: when it was launched.
    static std::optional<RunningApplication> listedApplication(const QString& bundlePath);

private:
    struct State;
    std::shared_ptr<State> state_;
};

} // namespace vantel::platform
