#include "platform/ApplicationUnits.h"

#include "platform/Log.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>

#include <algorithm>

namespace vantel::platform {

namespace {

const QString managerService = QStringLiteral("org.freedesktop.systemd1");
const QString managerPath = QStringLiteral("/org/freedesktop/systemd1");
const QString managerInterface = QStringLiteral("org.freedesktop.systemd1.Manager");
const QString unitInterface = QStringLiteral("org.freedesktop.systemd1.Unit");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString activeState = QStringLiteral("ActiveState");

const LogCategory& unitsLog()
{
    static const LogCategory category("applicationUnits");
    return category;
}

// systemd writes a byte it won't have in a unit name as "\xNN".
QString unescapeUnitName(const QString& text)
{
    QByteArray bytes;
    const QByteArray utf8 = text.toUtf8();
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        if (utf8[i] == '\\' && i + 3 < utf8.size() && utf8[i + 1] == 'x') {
            bool ok = false;
            const int value = utf8.mid(i + 2, 2).toInt(&ok, 16);
            if (ok) {
                bytes.append(char(value));
                i += 3;
                continue;
            }
        }
        bytes.append(utf8[i]);
    }
    return QString::fromUtf8(bytes);
}

// The random part a launcher adds: a number or a string of hex digits, never a name.
bool isRandomPart(QStringView text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_';
    });
}

bool isRunningState(const QString& activeState)
{
    return activeState == u"active" || activeState == u"activating" || activeState == u"reloading";
}

} // namespace

QStringList ApplicationUnits::desktopIdCandidates(const QString& unitName)
{
    static const QString prefix = QStringLiteral("app-");
    if (!unitName.startsWith(prefix))
        return {};
    QString middle;
    if (unitName.endsWith(QStringLiteral(".scope"))) {
        // "<launcher>-<desktop id>-<random>"
        const QString body = unitName.mid(prefix.size(), unitName.size() - prefix.size() - 6);
        const qsizetype random = body.lastIndexOf(u'-');
        if (random <= 0 || !isRandomPart(QStringView(body).mid(random + 1)))
            return {};
        middle = body.left(random);
    } else if (unitName.endsWith(QStringLiteral(".service"))) {
        // "<launcher>-<desktop id>@<random>"
        const QString body = unitName.mid(prefix.size(), unitName.size() - prefix.size() - 8);
        const qsizetype random = body.indexOf(u'@');
        if (random <= 0 || !isRandomPart(QStringView(body).mid(random + 1)))
            return {};
        middle = body.left(random);
    } else {
        return {};
    }
    // The launcher has no '-' of its own and may be left out; an unescaped
    // '-' inside the ID makes the split uncertain, so both readings are tried.
    QStringList ids;
    const qsizetype dash = middle.indexOf(u'-');
    if (dash > 0 && dash < middle.size() - 1)
        ids << middle.mid(dash + 1);
    ids << middle;
    QStringList candidates;
    for (const QString& id : std::as_const(ids)) {
        const QString unescaped = unescapeUnitName(id);
        if (!unescaped.isEmpty() && !unescaped.contains(u'/'))
            candidates << unescaped + QStringLiteral(".desktop");
    }
    candidates.removeDuplicates();
    return candidates;
}

ApplicationUnits::ApplicationUnits(QDBusConnection bus, Changed changed)
    : bus_(std::move(bus))
    , changed_(std::move(changed))
    // a(ssssssouso): name, description, load, active and sub state, followed
    // unit, unit path, job id, type and path.
    , listReply_(unitsLog(), QStringLiteral("The systemd user manager's answer to ListUnits"),
                 QStringLiteral("a(ssssssouso)"))
    , unitSignal_(unitsLog(), QStringLiteral("A UnitNew or UnitRemoved signal of the systemd user manager"),
                  QStringLiteral("so"))
    , propertiesSignal_(unitsLog(), QStringLiteral("A PropertiesChanged signal of a systemd unit"),
                        QStringLiteral("sa{sv}as"))
    , stateReply_(unitsLog(), QStringLiteral("The systemd user manager's answer to a unit's ActiveState"),
                  QStringLiteral("v"))
    , stateValue_(unitsLog(), QStringLiteral("A systemd unit's ActiveState"), QStringLiteral("s"))
{
    if (!bus_.isConnected())
        return;
    // Heard first, then subscribed and listed: nothing starts unseen between.
    // The slots take the whole message and check its types themselves.
    const bool connected = bus_.connect(managerService, managerPath, managerInterface, QStringLiteral("UnitNew"),
                                        this, SLOT(unitNew(QDBusMessage)))
        && bus_.connect(managerService, managerPath, managerInterface, QStringLiteral("UnitRemoved"), this,
                        SLOT(unitRemoved(QDBusMessage)))
        && bus_.connect(managerService, QString(), propertiesInterface, QStringLiteral("PropertiesChanged"), this,
                        SLOT(propertiesChanged(QDBusMessage)));
    if (!connected) {
        VLOG(unitsLog(), LogType::Error, "The systemd user manager's unit signals can't be heard");
        return;
    }
    // Without a subscriber the manager sends no signals.
    bus_.asyncCall(QDBusMessage::createMethodCall(managerService, managerPath, managerInterface,
                                                  QStringLiteral("Subscribe")));
    listUnits();
}

ApplicationUnits::~ApplicationUnits()
{
    // Every connection is let go, also those made before one failed.
    bus_.disconnect(managerService, managerPath, managerInterface, QStringLiteral("UnitNew"), this,
                    SLOT(unitNew(QDBusMessage)));
    bus_.disconnect(managerService, managerPath, managerInterface, QStringLiteral("UnitRemoved"), this,
                    SLOT(unitRemoved(QDBusMessage)));
    bus_.disconnect(managerService, QString(), propertiesInterface, QStringLiteral("PropertiesChanged"), this,
                    SLOT(propertiesChanged(QDBusMessage)));
}

void ApplicationUnits::listUnits()
{
    const QDBusPendingCall call = bus_.asyncCall(
        QDBusMessage::createMethodCall(managerService, managerPath, managerInterface, QStringLiteral("ListUnits")));
    auto* watcher = new QDBusPendingCallWatcher(call, this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* finished) {
        finished->deleteLater();
        const QDBusMessage reply = finished->reply();
        if (reply.type() != QDBusMessage::ReplyMessage) {
            VLOG(unitsLog(), LogType::Info, "No systemd user manager lists the running applications: %{public}@",
                 reply.errorMessage());
            return;
        }
        if (!listReply_.accepts(reply))
            return;
        const QDBusArgument rows = reply.arguments().constFirst().value<QDBusArgument>();
        rows.beginArray();
        while (!rows.atEnd()) {
            QString name, description, loadState, state, subState, following, jobType;
            QDBusObjectPath unitPath, jobPath;
            uint jobId = 0;
            rows.beginStructure();
            rows >> name >> description >> loadState >> state >> subState >> following >> unitPath >> jobId
                >> jobType >> jobPath;
            rows.endStructure();
            // The list is newer than whatever was heard of the unit before it.
            track(name, unitPath.path());
            setRunning(name, isRunningState(state));
        }
        rows.endArray();
    });
}

bool ApplicationUnits::track(const QString& name, const QString& path)
{
    if (units_.contains(name))
        return false;
    QStringList ids = desktopIdCandidates(name);
    if (ids.isEmpty())
        return false;
    units_.insert(name, {path, std::move(ids), false});
    unitPaths_.insert(path, name);
    return true;
}

// A new unit tells nothing of its state, which moves on by itself: asked
// once, then followed. Answers come in the order the manager sent them, so
// the last one heard is the newest.
void ApplicationUnits::askActiveState(const QString& name, const QString& path)
{
    QDBusMessage get = QDBusMessage::createMethodCall(managerService, path, propertiesInterface, QStringLiteral("Get"));
    get << unitInterface << activeState;
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(get), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, name, path](QDBusPendingCallWatcher* finished) {
        finished->deleteLater();
        const QDBusMessage reply = finished->reply();
        const auto unit = units_.constFind(name);
        if (unit == units_.cend() || unit->path != path || !stateReply_.accepts(reply))
            return;
        const QVariant state = reply.arguments().constFirst().value<QDBusVariant>().variant();
        if (stateValue_.accepts(state))
            setRunning(name, isRunningState(state.toString()));
    });
}

void ApplicationUnits::setRunning(const QString& name, bool running)
{
    const auto unit = units_.find(name);
    if (unit == units_.end() || unit->running == running)
        return;
    unit->running = running;
    if (changed_)
        changed_(name, running ? unit->desktopIds : QStringList());
}

void ApplicationUnits::unitNew(const QDBusMessage& message)
{
    if (!unitSignal_.accepts(message))
        return;
    const QList<QVariant> arguments = message.arguments();
    const QString name = arguments.at(0).toString();
    const QString path = arguments.at(1).value<QDBusObjectPath>().path();
    if (track(name, path))
        askActiveState(name, path);
}

void ApplicationUnits::unitRemoved(const QDBusMessage& message)
{
    if (!unitSignal_.accepts(message))
        return;
    const QString name = message.arguments().constFirst().toString();
    if (!units_.contains(name))
        return;
    setRunning(name, false);
    const QString path = units_.take(name).path;
    if (unitPaths_.value(path) == name)
        unitPaths_.remove(path);
}

void ApplicationUnits::propertiesChanged(const QDBusMessage& message)
{
    const auto unit = unitPaths_.constFind(message.path());
    if (unit == unitPaths_.cend() || !propertiesSignal_.accepts(message))
        return;
    const QString name = *unit;
    const QList<QVariant> arguments = message.arguments();
    if (arguments.at(0).toString() != unitInterface)
        return;
    const QVariantMap changed = qdbus_cast<QVariantMap>(arguments.at(1));
    if (const auto state = changed.constFind(activeState); state != changed.cend()) {
        if (stateValue_.accepts(*state))
            setRunning(name, isRunningState(state->toString()));
    } else if (arguments.at(2).toStringList().contains(activeState)) {
        askActiveState(name, units_.value(name).path);
    }
}

} // namespace vantel::platform
