#include "support/FakePortal.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDateTime>

#include <utility>

namespace {

struct ListedShortcut {
    QString id;
    QVariantMap properties;
};

QDBusArgument& operator<<(QDBusArgument& argument, const ListedShortcut& shortcut)
{
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, ListedShortcut& shortcut)
{
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString shortcutsInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");

QString senderElement(const QDBusMessage& message)
{
    QString sender = message.service().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return sender;
}

QString requestPath(const QDBusMessage& message, const QVariantMap& options)
{
    return portalPath + QStringLiteral("/request/") + senderElement(message) + QLatin1Char('/')
        + options.value(QStringLiteral("handle_token")).toString();
}

} // namespace

Q_DECLARE_METATYPE(ListedShortcut)

namespace vantel::test {

FakePortal::FakePortal(QDBusConnection bus)
    : bus_(std::move(bus))
{
    qDBusRegisterMetaType<ListedShortcut>();
    qDBusRegisterMetaType<QList<ListedShortcut>>();
    registered_ = bus_.registerVirtualObject(portalPath, this, QDBusConnection::SubPath)
        && bus_.registerService(QStringLiteral("org.freedesktop.portal.Desktop"));
}

FakePortal::~FakePortal()
{
    bus_.unregisterService(QStringLiteral("org.freedesktop.portal.Desktop"));
    bus_.unregisterObject(portalPath, QDBusConnection::UnregisterTree);
}

void FakePortal::activate(const QString& session, const QString& id, const QString& activationToken)
{
    QVariantMap options;
    if (!activationToken.isEmpty())
        options.insert(QStringLiteral("activation_token"), activationToken);
    QDBusMessage signal = QDBusMessage::createSignal(portalPath, shortcutsInterface, QStringLiteral("Activated"));
    signal << QVariant::fromValue(QDBusObjectPath(session)) << id
           << static_cast<qulonglong>(QDateTime::currentMSecsSinceEpoch() * 1000) << options;
    bus_.send(signal);
}

void FakePortal::releaseBinding()
{
    holdBinding = false;
    if (auto answer = std::exchange(held_, {}))
        answer();
}

QString FakePortal::introspect(const QString&) const
{
    return QStringLiteral("<interface name=\"org.freedesktop.portal.GlobalShortcuts\">"
                          "<property name=\"version\" type=\"u\" access=\"read\"/></interface>");
}

QString FakePortal::triggerDescription(const Shortcut& shortcut) const
{
    if (refused.contains(shortcut.id))
        return {};
    return rebound.value(shortcut.id, shortcut.trigger);
}

void FakePortal::respond(const QString& path, uint code, const QVariantMap& results)
{
    QDBusMessage signal
        = QDBusMessage::createSignal(path, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
    signal << code << results;
    bus_.send(signal);
}

bool FakePortal::handleMessage(const QDBusMessage& message, const QDBusConnection& connection)
{
    const QList<QVariant> arguments = message.arguments();
    const QString member = message.member();
    if (message.interface() == QLatin1String("org.freedesktop.DBus.Properties") && member == QLatin1String("Get")) {
        if (arguments.value(0).toString() != shortcutsInterface || arguments.value(1).toString() != QLatin1String("version"))
            return connection.send(message.createErrorReply(QDBusError::UnknownProperty, QStringLiteral("no such property")));
        return connection.send(message.createReply(QVariant::fromValue(QDBusVariant(1u))));
    }
    if (message.interface() == QLatin1String("org.freedesktop.portal.Session") && member == QLatin1String("Close")) {
        if (sessions.remove(message.path()))
            ++sessionsClosed;
        return connection.send(message.createReply());
    }
    if (message.interface() != shortcutsInterface)
        return false;

    if (member == QLatin1String("CreateSession")) {
        const QVariantMap options = qdbus_cast<QVariantMap>(arguments.value(0));
        const QString request = requestPath(message, options);
        const QString session = portalPath + QStringLiteral("/session/") + senderElement(message) + QLatin1Char('/')
            + options.value(QStringLiteral("session_handle_token")).toString();
        ++sessionsCreated;
        sessions.insert(session, {});
        lastSession = session;
        connection.send(message.createReply(QVariant::fromValue(QDBusObjectPath(request))));
        respond(request, 0, {{QStringLiteral("session_handle"), QVariant::fromValue(QDBusObjectPath(session))}});
        return true;
    }
    if (member == QLatin1String("BindShortcuts")) {
        const QString session = arguments.value(0).value<QDBusObjectPath>().path();
        const QVariantMap options = qdbus_cast<QVariantMap>(arguments.value(3));
        const auto it = sessions.find(session);
        if (it == sessions.end() || !it->isEmpty())
            return connection.send(message.createErrorReply(QStringLiteral("org.freedesktop.portal.Error.Failed"),
                                                            QStringLiteral("a session binds its shortcuts once")));
        QList<Shortcut> asked;
        for (const ListedShortcut& listed : qdbus_cast<QList<ListedShortcut>>(arguments.value(1)))
            asked.append({listed.id, listed.properties.value(QStringLiteral("description")).toString(),
                          listed.properties.value(QStringLiteral("preferred_trigger")).toString()});
        bindings.append(asked);
        const QString request = requestPath(message, options);
        connection.send(message.createReply(QVariant::fromValue(QDBusObjectPath(request))));
        auto answer = [this, request, session, asked] {
            if (declineBinding) {
                respond(request, 1, {});
                return;
            }
            if (sessions.contains(session))
                sessions[session] = asked;
            QList<ListedShortcut> result;
            for (const Shortcut& shortcut : asked)
                result.append({shortcut.id,
                               {{QStringLiteral("description"), shortcut.description},
                                {QStringLiteral("trigger_description"), triggerDescription(shortcut)}}});
            respond(request, 0, {{QStringLiteral("shortcuts"), QVariant::fromValue(result)}});
            if (onBound)
                onBound(asked);
        };
        if (holdBinding)
            held_ = answer;
        else
            answer();
        return true;
    }
    if (member == QLatin1String("ListShortcuts")) {
        const QString session = arguments.value(0).value<QDBusObjectPath>().path();
        const QVariantMap options = qdbus_cast<QVariantMap>(arguments.value(1));
        const QString request = requestPath(message, options);
        connection.send(message.createReply(QVariant::fromValue(QDBusObjectPath(request))));
        QList<ListedShortcut> result;
        for (const Shortcut& shortcut : sessions.value(session))
            if (!refused.contains(shortcut.id))
                result.append({shortcut.id,
                               {{QStringLiteral("description"), shortcut.description},
                                {QStringLiteral("trigger_description"), triggerDescription(shortcut)}}});
        respond(request, 0, {{QStringLiteral("shortcuts"), QVariant::fromValue(result)}});
        return true;
    }
    return false;
}

} // namespace vantel::test
