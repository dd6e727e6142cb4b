#pragma once

#include <QDBusConnection>
#include <QIcon>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <optional>

namespace vantel::platform {

// How an open request should behave. Linux launchers have no direct
// counterpart for every field; they are carried along so callers state
// their intent once and the launcher uses what it can.
struct OpenConfiguration {
    bool activates = true;
    bool createsNewApplicationInstance = false;
    bool promptsUserIfNeeded = true;
    bool forPrinting = false;
};

struct WorkspaceError {
    // The refusals of our own, before any handler was asked, and the causes
    // we tell from its answer, in `errorDomain`.
    enum Code {
        applicationMissing = 1,
        entryNotTrusted = 2,
        notAnApplication = 3,
        invalidURL = 4,
        fileMissing = 5,
        noDefaultApplication = 6,
        entryUnusable = 7,
        // Found after the handler's answer: the entry asks for a terminal, and none was found.
        terminalMissing = 8,
        // The program (or the interpreter it names) failed at its exec; the
        // reason says why.
        programNotStarted = 9,
    };
    static inline const QString errorDomain = QStringLiteral("Workspace");

    QString domain;
    int code = 0;
    // For the log: what was asked and why it failed, in English.
    QString localizedDescription;
    // Why the handler refused, for the user in the user's language (ours
    // for the common causes, else its own message as a detail); empty for a
    // refusal of our own.
    QString reason;
};

// Opening documents, applications and URLs through GIO: desktop entries
// stand in for application bundles, mimeapps.list for the default handlers.
class Workspace {
public:
    // Called once on the main thread with no error when the launch went
    // through, or with the reason it did not.
    using Completion = std::function<void(const std::optional<WorkspaceError>& error)>;

    static Workspace& shared();

    // A file opens in the default application of its content type, a folder
    // in the file manager, a desktop entry of an application launches it, any
    // other URL goes to the default handler of its scheme.
    //
    // With `activates` set and no new instance asked for, an application that
    // already shows a window on the X display has that window brought
    // forward (_NET_ACTIVE_WINDOW) instead of being started again. A launch
    // that should take the focus carries a startup-notification id with the
    // X server's time in DESKTOP_STARTUP_ID.
    void openURL(const QUrl& url, const OpenConfiguration& configuration, Completion completion);

    // Launches the application (a .desktop file, or an executable) with the
    // documents. An empty list launches it alone, or only brings its window
    // forward as openURL does; documents always go through a launch.
    void openURLs(const QList<QUrl>& documents, const QString& applicationPath,
                  const OpenConfiguration& configuration, Completion completion);

    // The .desktop path of the application that would open the URL.
    std::optional<QString> urlForApplicationToOpen(const QUrl& url) const;

    // Shows the items selected in the file manager (FileManager1 over D-Bus);
    // without one, opens the folder that holds the first item.
    void revealInFileViewer(const QStringList& paths);

    // Shows the folder itself in the file manager (or opens it when no
    // FileManager1 service answers). The completion hears whether one of
    // them took it.
    void showFolderInFileViewer(const QString& folderPath, Completion completion = {});

    // The theme icon of a file, folder or application desktop entry; a null
    // icon when the theme has none.
    QIcon iconForFile(const QString& path) const;

    // The bus on which the file manager is asked (main thread only); the
    // session bus until set. Tests point it at a private bus.
    void setFileManagerBus(const QDBusConnection& bus);
    // The bus on which running D-Bus-activatable applications are asked to
    // come forward; the session bus until set (before any open).
    void setApplicationBus(const QDBusConnection& bus);
    QDBusConnection applicationBus() const;

private:
    Workspace() = default;
    void callFileManager(const QString& method, const QStringList& paths, const QString& fallbackFolder,
                         Completion completion = {});

    std::optional<QDBusConnection> fileManagerBus_;
    std::optional<QDBusConnection> applicationBus_;
};

} // namespace vantel::platform
