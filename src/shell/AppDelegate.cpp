#include "shell/AppDelegate.h"

#include "access/LaunchAllEntriesOfTag.h"
#include "access/SandboxFileAccess.h"
#include "access/SecurityScopedURLManager.h"
#include "access/URLManager.h"
#include "config/ExportImportManager.h"
#include "config/StoreStoredLists.h"
#include "datastore/DataStorage.h"
#include "datastore/OpenApplicationsManager.h"
#include "datastore/TagManager.h"
#include "graphics/IconCache.h"
#include "hotkeys/HotKeyManager.h"
#include "model/Logger.h"
#include "model/PathUtilities.h"
#include "platform/Bundle.h"
#include "platform/DialogProvider.h"
#include "platform/ExitDialogProvider.h"
#include "platform/ExitHook.h"
#include "platform/FocusLoss.h"
#include "platform/LaunchHistory.h"
#include "platform/LoadAlerts.h"
#include "platform/Log.h"
#include "platform/MountTableWatcher.h"
#include "platform/ProcessActivity.h"
#include "platform/UnixSignals.h"
#include "platform/UserDefaults.h"
#include "platform/WorkspaceEvents.h"
#include "shell/OpenWithRegistration.h"
#include "model/MainViewController.h"
#include "shell/ServiceManager.h"
#include "shell/ShellMainViewServices.h"
#include "shell/ShellWindowRequests.h"
#include "shell/StatusBarItem.h"
#include "shell/VantelManager.h"
#include "shell/VantelWindowEnum.h"
#include "shell/WindowManagerCalls.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QGuiApplication>
#include <QUrl>
#include <QVariantMap>

namespace vantel {

namespace {

const platform::LogCategory& general()
{
    return Logger::general();
}

} // namespace

AppDelegate& AppDelegate::shared()
{
    // Created once, on first use, and never released.
    static AppDelegate* const instance = new AppDelegate();
    return *instance;
}

AppDelegate::AppDelegate()
    : context_(std::make_unique<QObject>())
{
    // Every log line is gated by the stored debugLogging setting; it is known
    // before the configuration is loaded, so the first steps of the launch
    // are logged too.
    platform::Log::setDebugLogging(config_.defaults().boolForKey(QStringLiteral("debugLogging")));
    // The lower layers reach what lies above them only through their seams.
    StoredLists::setShared(std::make_shared<StoreStoredLists>());
    LaunchAllEntriesOfTag::setAllDataSource([] { return DataStorage::shared().allData(); });
    MainViewServices::setShared(std::make_shared<ShellMainViewServices>());
    WindowRequests::setShared(std::make_shared<ShellWindowRequests>());
}

void AppDelegate::attachApplication(QGuiApplication* application)
{
    if (!application)
        return;
    QObject::connect(application, &QGuiApplication::applicationStateChanged, context_.get(),
                     [this](Qt::ApplicationState state) {
                         if (state == Qt::ApplicationActive) {
                             applicationWillBecomeActive();
                             applicationDidBecomeActive();
                         } else if (applicationIsActive_) {
                             platform::whenFocusLossHolds(context_.get(), [this] {
                                 if (!applicationIsActive_)
                                     return;
                                 applicationWillResignActive();
                                 applicationDidResignActive();
                             });
                         }
                     });
}

void AppDelegate::applicationDidFinishLaunching()
{
    if (launched_)
        return;
    launched_ = true;
    VLOG(general(), platform::LogType::Default, "-> applicationDidFinishLaunching");
    // A quit from inside an alert of the launch has run the termination
    // already. A quit signal waits for the event loop, which the launch holds
    // up; the work that may take long (the search scopes) gives up on it, and
    // the launch ends after the configuration is loaded whole: the
    // termination then saves what was loaded, and only that.
    const auto quitting = [this] {
        if (!terminated_ && !platform::UnixSignals::quitPending())
            return false;
        VLOG(general(), platform::LogType::Default, "Launch ended early: the program quits");
        return true;
    };

    // 1. The application's appearance: Qt follows the desktop's style and
    // palette unless told otherwise, so there is nothing to clear.

    // 2. The shared instances, in their order.
    SecurityScopedURLManager::shared();
    SandboxFileAccess::shared();
    DataStorage::shared();
    IconCache::shared();
    TagManager::shared();
    OpenApplicationsManager::shared();
    URLManager::shared();
    VLOG(general(), platform::LogType::Default, "Shared instances created");
    if (terminated_)
        return;
    sharedInstancesCreated_ = true;

    // 3. Access to the root folder, when the user once granted it.
    const auto store = SandboxFileAccess::shared().persistanceBookmarkStorage();
    if (store && store->hasRootBookmark()) {
        const auto access = SandboxFileAccess::shared().hasAccess(QUrl::fromLocalFile(QStringLiteral("/")),
                                                                  Permissions::bookmark());
        if (access.granted && access.bookmarkData) {
            securityScopedRootURLID_ = SecurityScopedURLManager::shared().beginAccess(
                access.bookmarkData, UsedSecurityScopedURLSource::applicationDelegate);
            VLOG(general(), platform::LogType::Default, "Access to the root folder begun: %{public}@",
                 securityScopedRootURLID_);
        }
    }

    // The desktop file that makes file managers offer "Open with Vantel"
    // (the Linux side of the Services provider, step 9) is written before
    // the configuration's load, whose reload of the stored entries starts
    // discovery: written later, it (and the user's application folder it may
    // make) would come into a search scope during the first search and have
    // every scope searched a second time.
    OpenWithRegistration::registerRunningProgram();

    // 4. The configuration.
    config_.loadConfig();
    VLOG(general(), platform::LogType::Default, "Configuration loaded");
    if (quitting())
        return;

    // 5. The manager's main window controller.
    WindowManagerCalls::createMainWindowController();
    VLOG(general(), platform::LogType::Default, "Main window controller created");

    // 6. The hotkey manager.
    HotKeyManager::shared();
    VLOG(general(), platform::LogType::Default, "HotKeyManager created");

    // 7. The status-bar button.
    if (statusBarItem_ && statusBarItem_->hasButton()) {
        VLOG(general(), platform::LogType::Default, "Initializing StatusBarButton");
        setMenubarIcon(config_.menubarIcon(), menubarIconSize, statusBarItem_.get());
        statusBarItem_->setUpButton();
    }

    // 8. The first-run assistant.
    if (!config_.launchedBefore()) {
        VLOG(general(), platform::LogType::Default, "First run: opening the first-run assistant");
        VantelWindowEnum::openWindow(false, VantelWindowEnum::firstRun);
    }

    // 9. The Services provider (its desktop file is written above).
    serviceManager_ = std::make_unique<ServiceManager>();
    VLOG(general(), platform::LogType::Default, "Services provider installed");

    // 10. Observers, then the watchers that feed them.
    platform::NotificationCenter& center = platform::NotificationCenter::defaultCenter();
    platform::NotificationCenter& workspace = platform::NotificationCenter::workspaceCenter();
    observers_.push_back(center.addObserver(QStringLiteral("menubarIconChanged"),
                                            [this](const platform::Notification& n) { menubarIconChangedWith(n); }));
    for (const QString& name : {platform::WorkspaceEvents::didMountNotification,
                                platform::WorkspaceEvents::didUnmountNotification,
                                platform::WorkspaceEvents::didRenameVolumeNotification}) {
        observers_.push_back(
            workspace.addObserver(name, [this](const platform::Notification& n) { volumeChangeDetected(n); }));
    }
    observers_.push_back(workspace.addObserver(platform::WorkspaceEvents::willSleepNotification,
                                               [this](const platform::Notification& n) { willSleepDetected(n); }));
    mountTableWatcher_ = new platform::MountTableWatcher(QStringLiteral("/proc/self/mountinfo"), context_.get());
    sleepWatcher_ = new platform::WorkspaceEvents(QDBusConnection::systemBus(), false, context_.get());
    VLOG(general(), platform::LogType::Default, "Observers registered");

    // 11. The data proxies; no discovery starts once the termination ran.
    if (quitting())
        return;
    DataStorage::shared().setEnableDataProxies(true);
    VLOG(general(), platform::LogType::Default, "Data proxies enabled");
    // Their search scopes may be many: a quit meanwhile cut them short.
    if (quitting())
        return;

    // 12. The first rebuild.
    DataStorage::shared().rebuildData(DataStorageRebuildReason::datastorageInitialize);

    // 13. The hotkeys, kind by kind.
    HotKeyManager::shared().registerAllHotKeys();
    VLOG(general(), platform::LogType::Default, "Hotkeys registered");

    // 14. The process activity.
    const QString reason = QStringLiteral("Prevent App Nap to preserve responsiveness");
    VLOG(general(), platform::LogType::Default, "Begin activity: %{public}@", reason);
    activity_ = platform::ProcessActivity::begin(activityOptions, reason);

    // Qt ends the process with exit() when the display goes away: the last
    // save then runs from there.
    platform::ExitHook::install([this] { saveBeforeExit(); });

    // What loading found (a damaged file kept aside, a file refused) is told
    // now, once the sequence has returned: no modal alert ran inside it.
    platform::LoadAlerts::launchEnded();
    VLOG(general(), platform::LogType::Default, "<- applicationDidFinishLaunching");
}

void AppDelegate::applicationWillTerminate()
{
    if (terminated_)
        return;
    terminated_ = true;
    platform::ExitHook::disarm();
    // From here no alert waits for an answer: a failed write is logged and
    // told by a notification, and the program ends.
    platform::DialogProvider::setShared(std::make_shared<platform::ExitDialogProvider>());
    VLOG(general(), platform::LogType::Default, "-> applicationWillTerminate");

    // 1. and 2. Everything at once, unused tags cleaned up, and the bookmark
    // store. A quit during the launch's load finds defaults, not the user's
    // settings, and nothing is written over them; a launch that ended before
    // its first rebuild has not told used tags from unused ones, and keeps
    // them all.
    saveState(true);

    // 3. A new versioned backup, after the old ones are pruned. The data
    // proxies stay off from here: no discovery starts while quitting.
    if (config_.configLoaded()) {
        DataStorage::shared().setEnableDataProxies(false);
        ExportVersionedBackup& backup = ExportImportManager::shared().exportVersionedBackup();
        backup.removeOldBackupFiles(backup.listBackupFiles());
        const std::optional<QString> written = backup.createBackup();
        VLOG(general(), platform::LogType::Default, "Versioned backup: %{public}@",
             written.value_or(QStringLiteral("none written")));
    }

    // 4. The process activity.
    if (activity_) {
        VLOG(general(), platform::LogType::Default, "End activity: %{public}@", activity_->reason());
        activity_->end();
        activity_.reset();
    }

    // 5. The root folder's access (an empty identifier changes nothing).
    if (sharedInstancesCreated_)
        SecurityScopedURLManager::shared().endAccess(securityScopedRootURLID_);
    VLOG(general(), platform::LogType::Default, "<- applicationWillTerminate");
}

void AppDelegate::checkpoint()
{
    VLOG(general(), platform::LogType::Default, "-> checkpoint");
    if (!terminated_)
        saveState(false);
    VLOG(general(), platform::LogType::Default, "<- checkpoint");
}

void AppDelegate::saveBeforeExit()
{
    if (terminated_)
        return;
    terminated_ = true;
    // There is no display to show an alert on: failures go to the log and
    // the desktop's notifications.
    platform::DialogProvider::setShared(std::make_shared<platform::ExitDialogProvider>());
    VLOG(general(), platform::LogType::Default, "-> saveBeforeExit");
    saveState(false);
    VLOG(general(), platform::LogType::Default, "<- saveBeforeExit");
}

void AppDelegate::saveState(bool removeUnusedTags)
{
    if (!config_.configLoaded()) {
        VLOG(general(), platform::LogType::Default, "Nothing saved: the configuration was not loaded yet");
        return;
    }
    // Open panes store what they show: closing them would have, and the way
    // out may close no window (the display lost, a checkpoint).
    platform::NotificationCenter::defaultCenter().post(QString::fromLatin1(Configuration::willSaveForExitNotification));
    // The checkpoint's save also stands for the pending timed one.
    if (removeUnusedTags)
        config_.saveConfig(true);
    else
        config_.saveConfigNow();
    VLOG(general(), platform::LogType::Default, "Configuration saved");
    if (!sharedInstancesCreated_)
        return;
    // The launches of the last moments, for the recent applications after a restart.
    platform::LaunchHistory::shared().synchronize();
    if (const auto store = SandboxFileAccess::shared().persistanceBookmarkStorage())
        store->saveBookmarks();
    VLOG(general(), platform::LogType::Default, "Bookmarks saved");
}

void AppDelegate::applicationWillResignActive()
{
    platform::NotificationCenter::defaultCenter().post(QStringLiteral("applicationWillResignActive"));
}

void AppDelegate::applicationDidResignActive()
{
    platform::NotificationCenter::defaultCenter().post(QStringLiteral("applicationDidResignActive"));
    if (!applicationIsActive_)
        return;
    applicationIsActive_ = false;
    WindowManagerCalls::applicationLostFocus();
}

void AppDelegate::applicationWillBecomeActive()
{
    platform::NotificationCenter::defaultCenter().post(QStringLiteral("applicationWillBecomeActive"));
}

void AppDelegate::applicationDidBecomeActive()
{
    platform::NotificationCenter::defaultCenter().post(QStringLiteral("applicationDidBecomeActive"));
    applicationIsActive_ = true;
}

bool AppDelegate::openFilesInMainView(const QStringList& paths)
{
    VantelManager::shared().mainWindowShow();
    const std::shared_ptr<MainViewController> controller = VantelManager::shared().viewControllerMain();
    if (!controller) {
        VLOG(general(), platform::LogType::Error, "!! Error - openFilesInMainView: the main view does not exist");
        return false;
    }
    controller->serviceManagerValues.clear();
    controller->serviceManagerValuesChanged();
    for (const QString& path : paths) {
        // An unreadable path is as good as a missing one.
        if (path.isEmpty() || !isReachablePath(path))
            continue;
        controller->serviceManagerValues.append(QUrl::fromLocalFile(path));
        controller->serviceManagerValuesChanged();
    }
    VLOG(general(), platform::LogType::Default, "openFilesInMainView: %{public}@ of %{public}@ files waiting",
         QString::number(controller->serviceManagerValues.size()), QString::number(paths.size()));
    return !controller->serviceManagerValues.isEmpty();
}

bool AppDelegate::openFileInMainView(const QString& path)
{
    return openFilesInMainView(QStringList{path});
}

void AppDelegate::switchMainWindow()
{
    VLOG(general(), platform::LogType::Default, "switchMainWindow in AppDelegate executed");
    VantelManager::shared().switchMainWindow();
}

void AppDelegate::showMainWindow()
{
    VLOG(general(), platform::LogType::Default, "showMainWindow in AppDelegate executed");
    VantelManager::shared().mainWindowShow();
}

void AppDelegate::setMenubarIcon(const QString& name, int size, StatusBarItem* item)
{
    if (!item)
        return;
    std::optional<QIcon> image = platform::Bundle::main().imageNamed(name);
    if (!image)
        image = platform::Bundle::main().imageNamed(config_.defaultMenubarIcon);
    // A tray asks the icon for the size it draws at; giving it one pixmap of
    // the size (and its double for HiDPI) fixes the picture at size points.
    if (image) {
        QIcon sized;
        for (int scale : {1, 2})
            sized.addPixmap(image->pixmap(QSize(size, size) * scale));
        image = sized;
    }
    item->setImage(image);
}

void AppDelegate::menubarIconChangedWith(const platform::Notification&)
{
    VLOG(general(), platform::LogType::Default, "Observer menubarIconChanged was called");
    if (statusBarItem_ && statusBarItem_->hasButton())
        setMenubarIcon(config_.menubarIcon(), menubarIconSize, statusBarItem_.get());
}

void AppDelegate::volumeChangeDetected(const platform::Notification& notification)
{
    const QVariantMap* info = std::any_cast<QVariantMap>(&notification.object);
    if (!info)
        return;
    const QVariant value = info->value(platform::WorkspaceEvents::devicePathKey);
    if (value.typeId() != QMetaType::QString)
        return;
    const QString devicePath = value.toString().toLower();
    if (devicePath.isEmpty())
        return;
    // Snapshot volumes of backups are never catalogue sources.
    if (devicePath.contains(QStringLiteral("/.timemachine"))
        || devicePath.contains(QStringLiteral("/com.apple.timemachine.localsnapshots")))
        return;

    const bool referenced = DataStorage::shared()
                                .allData()
                                ->firstItem([&devicePath](const TableViewItemPtr& item) {
                                    return item && item->pathLowercased().startsWith(devicePath);
                                })
                                .has_value();
    if (!referenced) {
        VLOG(general(), platform::LogType::Default,
             "Observer volumeChangeDetected for %{public}@ was triggered but no entries in AllData refer to this "
             "volume. No need to update the database!",
             value.toString());
        return;
    }
    VLOG(general(), platform::LogType::Default,
         "Observer volumeChangeDetected for %{public}@ was triggered and entries in AllData refer to this volume. We "
         "now update the database.",
         value.toString());
    DataStorage::shared().rebuildData(DataStorageRebuildReason::volumechangeDetected);
}

void AppDelegate::willSleepDetected(const platform::Notification&)
{
    VLOG(general(), platform::LogType::Default, "Observer willSleepDetected was called");
    WindowManagerCalls::closeWindows();
}

} // namespace vantel
