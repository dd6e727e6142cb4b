#pragma once

#include "config/Configuration.h"
#include "platform/NotificationCenter.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class QGuiApplication;

namespace vantel {

namespace platform {
class MountTableWatcher;
class ProcessActivity;
class WorkspaceEvents;
} // namespace platform
class ServiceManager;
class StatusBarItem;

// The application delegate: hands out the one Configuration (config(), the
// settings' own shared instance), owns the status-bar item and the process
// activity for the life of the process, and runs the launch and termination
// sequences in their fixed order. The configuration may be read from any
// thread; everything else here runs on the main thread.
//
// The launch sequence runs once, from the event loop's first turn; the
// termination sequence runs once, whether the program quits from its menu,
// on SIGTERM, SIGINT or SIGHUP, or when the session ends. A quit that comes
// while the launch still runs (from inside one of its dialogs, or a signal,
// to which a long list of search scopes gives way) ends the launch there and
// saves nothing that was not loaded whole. A session checkpoint saves and
// changes nothing else; losing the display saves through the exit hook.
class AppDelegate {
public:
    static AppDelegate& shared();

    Configuration& config() { return config_; }

    // Set by the program before the event loop starts; may stay unset (tests).
    void setStatusBarItem(std::shared_ptr<StatusBarItem> item) { statusBarItem_ = std::move(item); }
    const std::shared_ptr<StatusBarItem>& statusBarItem() const { return statusBarItem_; }

    // Follows the application's activation changes from now on.
    void attachApplication(QGuiApplication* application);

    void applicationDidFinishLaunching();
    // Later calls do nothing.
    void applicationWillTerminate();
    // The session manager's checkpoint (commitDataRequest): the settings and
    // the bookmark store are saved at once; nothing ends. Nothing is saved
    // before the configuration was loaded nor after the termination.
    void checkpoint();
    // The last save when the process ends without the termination sequence
    // (the display lost): settings and bookmarks, without alerts.
    void saveBeforeExit();
    bool hasLaunched() const { return launched_; }
    bool hasTerminated() const { return terminated_; }

    void applicationWillResignActive();
    void applicationDidResignActive();
    void applicationWillBecomeActive();
    void applicationDidBecomeActive();
    bool applicationIsActive() const { return applicationIsActive_; }

    // Shows the main view and makes the reachable paths its waiting files
    // (the previous ones are dropped); true when any are waiting afterwards.
    bool openFilesInMainView(const QStringList& paths);
    bool openFileInMainView(const QString& path);

    void switchMainWindow();
    void showMainWindow();

    // The status item's image: the named image, else the default one, at
    // size by size points; none when both are missing.
    void setMenubarIcon(const QString& name, int size, StatusBarItem* item);

    // The observers' handlers.
    void menubarIconChangedWith(const platform::Notification& notification);
    void volumeChangeDetected(const platform::Notification& notification);
    void willSleepDetected(const platform::Notification& notification);

    // The Services provider installed at launch; none before.
    ServiceManager* serviceManager() const { return serviceManager_.get(); }
    QString securityScopedRootURLID() const { return securityScopedRootURLID_; }
    const std::shared_ptr<platform::ProcessActivity>& activity() const { return activity_; }

    static constexpr int menubarIconSize = 18;
    static constexpr quint64 activityOptions = 0xEFFFFF;

private:
    AppDelegate();

    // The settings' shared instance, taken when the delegate is made.
    Configuration& config_ = Configuration::shared();
    std::shared_ptr<StatusBarItem> statusBarItem_;
    std::shared_ptr<platform::ProcessActivity> activity_;
    QString securityScopedRootURLID_;
    bool applicationIsActive_ = false;

    // Saves the settings and the bookmark store when they were loaded.
    void saveState(bool removeUnusedTags);

    bool launched_ = false;
    bool terminated_ = false;
    // The shared instances of step 2 are whole: using them creates nothing.
    bool sharedInstancesCreated_ = false;
    std::unique_ptr<ServiceManager> serviceManager_;
    std::unique_ptr<QObject> context_;
    platform::MountTableWatcher* mountTableWatcher_ = nullptr;
    platform::WorkspaceEvents* sleepWatcher_ = nullptr;
    std::vector<platform::ObserverToken> observers_;
};

} // namespace vantel
