#include "platform/WorkspaceEvents.h"

#include "platform/Log.h"
#include "platform/MainQueue.h"
#include "platform/NotificationCenter.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QFile>
#include <QTimer>
#include <QVariantMap>

#pragma push_macro("signals")
#undef signals
#include <gio/gio.h>
#pragma pop_macro("signals")

namespace vantel::platform {

const QString WorkspaceEvents::didMountNotification = QStringLiteral("NSWorkspaceDidMountNotification");
const QString WorkspaceEvents::didUnmountNotification = QStringLiteral("NSWorkspaceDidUnmountNotification");
const QString WorkspaceEvents::didRenameVolumeNotification = QStringLiteral("NSWorkspaceDidRenameVolumeNotification");
const QString WorkspaceEvents::willSleepNotification = QStringLiteral("NSWorkspaceWillSleepNotification");
const QString WorkspaceEvents::devicePathKey = QStringLiteral("NSDevicePath");

namespace {

QString mountRoot(GMount* mount)
{
    GFile* root = g_mount_get_root(mount);
    char* path = root ? g_file_get_path(root) : nullptr;
    const QString result = path ? QFile::decodeName(path) : QString();
    g_free(path);
    if (root)
        g_object_unref(root);
    return result;
}

QString mountName(GMount* mount)
{
    char* name = g_mount_get_name(mount);
    const QString result = name ? QString::fromUtf8(name) : QString();
    g_free(name);
    return result;
}

void onMountAdded(GVolumeMonitor*, GMount* mount, gpointer self)
{
    static_cast<WorkspaceEvents*>(self)->mountAdded(mountRoot(mount), mountName(mount));
}

void onMountRemoved(GVolumeMonitor*, GMount* mount, gpointer self)
{
    static_cast<WorkspaceEvents*>(self)->mountRemoved(mountRoot(mount));
}

void onMountChanged(GVolumeMonitor*, GMount* mount, gpointer self)
{
    static_cast<WorkspaceEvents*>(self)->mountChanged(mountRoot(mount), mountName(mount));
}

} // namespace

void WorkspaceEvents::start()
{
    MainQueue::sync([] {
        static WorkspaceEvents* shared = nullptr;
        if (!shared)
            shared = new WorkspaceEvents(QDBusConnection::systemBus(), true, QCoreApplication::instance());
    });
}

WorkspaceEvents::WorkspaceEvents(const QDBusConnection& logindBus, bool watchVolumes, QObject* parent)
    : QObject(parent)
    , bus_(logindBus)
    , sleepSignal_(Log::defaultHandle(), QStringLiteral("logind's PrepareForSleep signal"), QStringLiteral("b"))
{
    if (bus_.isConnected()) {
        sleepConnected_ = bus_.connect(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                                       QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"),
                                       this, SLOT(prepareForSleep(QDBusMessage)));
    }
    if (!sleepConnected_)
        VLOG(Log::defaultHandle(), LogType::Info, "WorkspaceEvents: logind is not reachable, no sleep notifications");
    if (watchVolumes)
        attachVolumeMonitor();
}

WorkspaceEvents::~WorkspaceEvents()
{
    if (sleepConnected_) {
        bus_.disconnect(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"),
                        this, SLOT(prepareForSleep(QDBusMessage)));
    }
    if (monitor_) {
        for (unsigned long handler : handlers_)
            g_signal_handler_disconnect(monitor_, handler);
        g_object_unref(monitor_);
    }
}

void WorkspaceEvents::attachVolumeMonitor()
{
    GVolumeMonitor* monitor = g_volume_monitor_get();
    if (!monitor)
        return;
    monitor_ = monitor;
    GList* mounts = g_volume_monitor_get_mounts(monitor);
    for (GList* item = mounts; item; item = item->next) {
        auto* mount = G_MOUNT(item->data);
        mountNames_.insert(mountRoot(mount), mountName(mount));
        g_object_unref(mount);
    }
    g_list_free(mounts);
    handlers_ << g_signal_connect(monitor, "mount-added", G_CALLBACK(onMountAdded), this)
              << g_signal_connect(monitor, "mount-removed", G_CALLBACK(onMountRemoved), this)
              << g_signal_connect(monitor, "mount-changed", G_CALLBACK(onMountChanged), this);

    // The monitor reports through GLib's default main context. Qt's own loop
    // runs that context unless Qt was built or started without GLib; then
    // it gets a turn on a timer.
    auto* dispatcher = QAbstractEventDispatcher::instance(thread());
    if (!dispatcher || !QByteArray(dispatcher->metaObject()->className()).contains("Glib")) {
        auto* timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [] {
            while (g_main_context_iteration(nullptr, FALSE)) {
            }
        });
        timer->start(500);
    }
}

void WorkspaceEvents::postVolume(const QString& notification, const QString& rootPath)
{
    if (rootPath.isEmpty())
        return;
    VLOG(Log::defaultHandle(), LogType::Default, "Workspace: %{public}@", notification + QStringLiteral(" ") + rootPath);
    NotificationCenter::workspaceCenter().post(notification, QVariantMap{{devicePathKey, rootPath}}, this);
}

void WorkspaceEvents::mountAdded(const QString& rootPath, const QString& name)
{
    mountNames_.insert(rootPath, name);
    postVolume(didMountNotification, rootPath);
}

void WorkspaceEvents::mountRemoved(const QString& rootPath)
{
    mountNames_.remove(rootPath);
    postVolume(didUnmountNotification, rootPath);
}

void WorkspaceEvents::mountChanged(const QString& rootPath, const QString& name)
{
    const auto known = mountNames_.constFind(rootPath);
    const bool renamed = known != mountNames_.constEnd() && known.value() != name;
    mountNames_.insert(rootPath, name);
    if (renamed)
        postVolume(didRenameVolumeNotification, rootPath);
}

void WorkspaceEvents::prepareForSleep(const QDBusMessage& message)
{
    // The same signal announces the wake-up with false.
    if (!sleepSignal_.accepts(message) || !message.arguments().constFirst().toBool())
        return;
    VLOG(Log::defaultHandle(), LogType::Default, "Workspace: %{public}@", willSleepNotification);
    NotificationCenter::workspaceCenter().post(willSleepNotification, {}, this);
}

} // namespace vantel::platform
