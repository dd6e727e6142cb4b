#pragma once

#include "platform/NotificationCenter.h"

#include <QSet>
#include <QString>

#include <memory>
#include <vector>

namespace vantel {

namespace platform {
class RunningApplications;
}

// The desktop entries of the applications that run as ordinary applications.
// Re-announces every change of its source on the default centre, with the
// entry's path as object and this manager as sender: "didTerminateApplication"
// before "didLaunchApplication". A path stays in the set, and is announced
// terminated, only once its last regular instance has ended.
//
// Built and driven on the main thread; openApplications() and
// isApplicationOpen() may be read from any thread.
class OpenApplicationsManager {
public:
    // The program's instance on the shared running-applications source. It
    // answers the entries' launched question and lives as long as the process.
    static OpenApplicationsManager& shared();

    // Starts `source` when it is not running yet. `notificationCenter` is the
    // centre the source posts on.
    explicit OpenApplicationsManager(
        platform::RunningApplications& source,
        platform::NotificationCenter& notificationCenter = platform::NotificationCenter::workspaceCenter());
    ~OpenApplicationsManager();
    OpenApplicationsManager(const OpenApplicationsManager&) = delete;
    OpenApplicationsManager& operator=(const OpenApplicationsManager&) = delete;

    QSet<QString> openApplications() const;
    bool isApplicationOpen(const QString& path) const;

    // Makes the entries' launched state answer from this manager's set. The
    // answer turns false for good once the manager is gone.
    void installRunningApplicationQuery();

private:
    struct OpenSet;

    void collectRunningApplications();
    void observeRunningApplications();
    void applicationsChanged(const QStringList& terminated, const QStringList& launched);

    platform::RunningApplications& source_;
    platform::NotificationCenter& notificationCenter_;
    std::vector<platform::ObserverToken> observers_;
    // Shared with the installed query, which may outlive the manager.
    const std::shared_ptr<OpenSet> openApplications_;
    bool installedQuery_ = false;
};

} // namespace vantel
