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

// Elements of lists of the wrong type: (ss) and (sai).
struct StringPair {
    QString first;
    QString second;
};

QDBusArgument& operator<<(QDBusArgument& argument, const StringPair& pair)
{
    argument.beginStructure();
    argument << pair.first << pair.second;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, StringPair& pair)
{
    argument.beginStructure();
    argument >> pair.first >> pair.second;
    argument.endStructure();
    return argument;
}

struct StringInts {
    QString first;
    QList<int> second;
};

QDBusArgument& operator<<(QDBusArgument& argument, const StringInts& element)
{
    argument.beginStructure();
    argument << element.first << element.second;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, StringInts& element)
{
    argument.beginStructure();
    argument >> element.first >> element.second;
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
Q_DECLARE_METATYPE(StringPair)
Q_DECLARE_METATYPE(StringInts)

namespace vantel::test {

FakePortal::FakePortal(QDBusConnection bus)
    : bus_(std::move(bus))
{
    qDBusRegisterMetaType<ListedShortcut>();
    qDBusRegisterMetaType<QList<ListedShortcut>>();
    qDBusRegisterMetaType<StringPair>();
    qDBusRegisterMetaType<QList<StringPair>>();
    qDBusRegisterMetaType<StringInts>();
    qDBusRegisterMetaType<QList<StringInts>>();
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

void FakePortal::activateWith(const QVariantList& arguments)
{
    QDBusMessage signal = QDBusMessage::createSignal(portalPath, shortcutsInterface, QStringLiteral("Activated"));
    signal.setArguments(arguments);
    bus_.send(signal);
}

void FakePortal::releaseBinding()
{
    holdBinding = false;
    heldRequest_.clear();
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

QVariant FakePortal::listed(const QList<Shortcut>& shortcuts) const
{
    if (listSignature == QLatin1String("a(ss)") || listSignature == QLatin1String("(ss)")) {
        QList<StringPair> pairs;
        for (const Shortcut& shortcut : shortcuts)
            pairs.append({shortcut.id, triggerDescription(shortcut)});
        if (listSignature == QLatin1String("(ss)"))
            return QVariant::fromValue(pairs.value(0));
        return QVariant::fromValue(pairs);
    }
    if (listSignature == QLatin1String("a(sai)")) {
        QList<StringInts> elements;
        for (const Shortcut& shortcut : shortcuts)
            elements.append({shortcut.id, {37, 64, 45}});
        return QVariant::fromValue(elements);
    }
    if (listSignature == QLatin1String("a{sv}")) {
        QVariantMap map;
        for (const Shortcut& shortcut : shortcuts)
            map.insert(shortcut.id, triggerDescription(shortcut));
        return map;
    }
    QList<ListedShortcut> result;
    for (const Shortcut& shortcut : shortcuts)
        result.append({shortcut.id,
                       {{QStringLiteral("description"), shortcut.description},
                        {QStringLiteral("trigger_description"),
                         listedTrigger.isValid() ? listedTrigger : QVariant(triggerDescription(shortcut))}}});
    return QVariant::fromValue(result);
}

QString FakePortal::requestFor(const QDBusMessage& message, const QVariantMap& options)
{
    if (respondElsewhere == Elsewhere::no)
        return requestPath(message, options);
    return portalPath + QStringLiteral("/request/elsewhere/%1").arg(++elsewhereRequests_);
}

void FakePortal::answer(const QDBusMessage& message, const QDBusConnection& connection, const QString& request,
                        uint code, const QVariantMap& results)
{
    if (respondElsewhere == Elsewhere::beforeReply)
        respond(request, code, results);
    connection.send(message.createReply(QVariant::fromValue(QDBusObjectPath(request))));
    if (respondElsewhere != Elsewhere::beforeReply)
        respond(request, code, results);
}

void FakePortal::respond(const QString& path, uint code, const QVariantMap& results)
{
    QDBusMessage signal
        = QDBusMessage::createSignal(path, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
    if (responseArguments.isEmpty())
        signal << code << results;
    else
        signal.setArguments(responseArguments);
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
    if (message.interface() == QLatin1String("org.freedesktop.portal.Request") && member == QLatin1String("Close")) {
        // A closed request is never answered.
        requestsClosed.append(message.path());
        if (message.path() == heldRequest_) {
            held_ = {};
            heldRequest_.clear();
        }
        return connection.send(message.createReply());
    }
    if (message.interface() != shortcutsInterface)
        return false;

    if (member == QLatin1String("CreateSession")) {
        const QVariantMap options = qdbus_cast<QVariantMap>(arguments.value(0));
        const QString request = requestFor(message, options);
        const QString session = portalPath + QStringLiteral("/session/") + senderElement(message) + QLatin1Char('/')
            + options.value(QStringLiteral("session_handle_token")).toString();
        ++sessionsCreated;
        sessions.insert(session, {});
        lastSession = session;
        answer(message, connection, request, 0,
               {{QStringLiteral("session_handle"),
                 sessionHandle.isValid() ? sessionHandle : QVariant::fromValue(QDBusObjectPath(session))}});
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
        const QString request = requestFor(message, options);
        auto bind = [this, session, asked]() -> std::pair<uint, QVariantMap> {
            if (declineBinding)
                return {1, {}};
            if (sessions.contains(session))
                sessions[session] = asked;
            if (onBound)
                onBound(asked);
            return {0, {{QStringLiteral("shortcuts"), listed(asked)}}};
        };
        if (holdBinding) {
            connection.send(message.createReply(QVariant::fromValue(QDBusObjectPath(request))));
            heldRequest_ = request;
            held_ = [this, request, bind] {
                const auto [code, results] = bind();
                respond(request, code, results);
            };
        } else {
            const auto [code, results] = bind();
            answer(message, connection, request, code, results);
        }
        return true;
    }
    if (member == QLatin1String("ListShortcuts")) {
        const QString session = arguments.value(0).value<QDBusObjectPath>().path();
        const QVariantMap options = qdbus_cast<QVariantMap>(arguments.value(1));
        const QString request = requestFor(message, options);
        QList<Shortcut> kept;
        for (const Shortcut& shortcut : sessions.value(session))
            if (!refused.contains(shortcut.id))
                kept.append(shortcut);
        answer(message, connection, request, 0, {{QStringLiteral("shortcuts"), listed(kept)}});
        return true;
    }
    return false;
}

} // namespace vantel::test
