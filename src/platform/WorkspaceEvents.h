#pragma once

#include "platform/DBusSignature.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QHash>
#include <QObject>
#include <QString>

namespace vantel::platform {

// Posts volume and sleep events on the workspace notification centre, on the
// main thread. The object of a volume notification is a QVariantMap with the
// mount point under "NSDevicePath".
class WorkspaceEvents : public QObject {
    Q_OBJECT
public:
    static const QString didMountNotification;       // "NSWorkspaceDidMountNotification"
    static const QString didUnmountNotification;     // "NSWorkspaceDidUnmountNotification"
    static const QString didRenameVolumeNotification; // "NSWorkspaceDidRenameVolumeNotification"
    static const QString willSleepNotification;      // "NSWorkspaceWillSleepNotification"
    static const QString devicePathKey;              // "NSDevicePath"

    // Starts the shared watcher on the main thread (GIO volume monitor and
    // logind on the system bus). Calling it again does nothing.
    static void start();

    // A watcher on the given bus for logind's PrepareForSleep; tests pass a
    // private bus. With watchVolumes the GIO volume monitor is attached too.
    WorkspaceEvents(const QDBusConnection& logindBus, bool watchVolumes, QObject* parent = nullptr);
    ~WorkspaceEvents() override;

    bool isWatchingSleep() const { return sleepConnected_; }
    bool isWatchingVolumes() const { return monitor_ != nullptr; }

    // What the volume monitor reports; a changed mount posts a rename only
    // when its name really changed.
    void mountAdded(const QString& rootPath, const QString& name);
    void mountRemoved(const QString& rootPath);
    void mountChanged(const QString& rootPath, const QString& name);

private slots:
    void prepareForSleep(const QDBusMessage& message);

private:
    void attachVolumeMonitor();
    void postVolume(const QString& notification, const QString& rootPath);

    QDBusConnection bus_;
    const DBusSignature sleepSignal_;
    bool sleepConnected_ = false;
    void* monitor_ = nullptr; // GVolumeMonitor*
    QList<unsigned long> handlers_;
    QHash<QString, QString> mountNames_;
};

} // namespace vantel::platform
