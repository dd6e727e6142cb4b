#include "platform/ExitDialogProvider.h"

#include "platform/DBusSignature.h"
#include "platform/Log.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantMap>

namespace vantel::platform {

namespace {

const QString notificationsService = QStringLiteral("org.freedesktop.Notifications");

} // namespace

AlertResponse ExitDialogProvider::runAlert(const AlertRequest& request)
{
    const bool told = notify(request.messageText, request.informativeText);
    Log::write(Log::defaultHandle(), LogType::Error,
               QStringLiteral("On the way out: %{public}@ - %{public}@ (%{public}@)"),
               {request.messageText, request.informativeText,
                told ? QStringLiteral("told by a desktop notification")
                     : QStringLiteral("no notification service took it")});
    return {};
}

OpenPanelResponse ExitDialogProvider::runOpenPanel(const OpenPanelRequest& request)
{
    Log::write(Log::defaultHandle(), LogType::Error,
               QStringLiteral("On the way out: open panel not shown: %{public}@"),
               {request.message});
    return {};
}

SavePanelResponse ExitDialogProvider::runSavePanel(const SavePanelRequest& request)
{
    Log::write(Log::defaultHandle(), LogType::Error,
               QStringLiteral("On the way out: save panel not shown: %{public}@"),
               {request.message});
    return {};
}

bool ExitDialogProvider::notify(const QString& summary, const QString& body)
{
    // Without an address libdbus would try to start a bus through the
    // display, which may be what just went away.
    if (serviceGaveUp_ || (!bus_ && qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")))
        return false;
    QDBusConnection bus = bus_ ? *bus_ : QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        serviceGaveUp_ = true;
        return false;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(notificationsService, QStringLiteral("/org/freedesktop/Notifications"),
                                                       notificationsService, QStringLiteral("Notify"));
    // app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout (-1: the server's)
    call << QStringLiteral("Vantel") << uint(0) << QStringLiteral("net.tarnwick.vantel") << summary << body
         << QStringList() << QVariantMap{{QStringLiteral("desktop-entry"), QStringLiteral("net.tarnwick.vantel")}}
         << int(-1);
    call.setAutoStartService(false);
    static const DBusSignature notified(Log::defaultHandle(),
                                        QStringLiteral("The notification server's answer to Notify"), QStringLiteral("u"));
    const QDBusMessage reply = bus.call(call, QDBus::Block, notifyTimeoutMilliseconds);
    if (notified.accepts(reply))
        return true;
    serviceGaveUp_ = true;
    return false;
}

} // namespace vantel::platform
