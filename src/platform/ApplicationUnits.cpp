#include "platform/ApplicationUnits.h"

#include "platform/Log.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>

#include <algorithm>

namespace vantel::platform {

namespace {

const QString managerService = QStringLiteral("org.freedesktop.systemd1");
const QString managerPath = QStringLiteral("/org/freedesktop/systemd1");
const QString managerInterface = QStringLiteral("org.freedesktop.systemd1.Manager");

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

ApplicationUnits::ApplicationUnits(QDBusConnection bus, std::function<void()> changed)
    : bus_(std::move(bus))
    , changed_(std::move(changed))
{
    if (!bus_.isConnected())
        return;
    qRegisterMetaType<QDBusObjectPath>();
    // Heard first, then subscribed and listed: nothing starts unseen between.
    connected_ = bus_.connect(managerService, managerPath, managerInterface, QStringLiteral("UnitNew"), this,
                              SLOT(unitNew(QString, QDBusObjectPath)))
        && bus_.connect(managerService, managerPath, managerInterface, QStringLiteral("UnitRemoved"), this,
                        SLOT(unitRemoved(QString, QDBusObjectPath)));
    if (!connected_) {
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
    if (!connected_)
        return;
    bus_.disconnect(managerService, managerPath, managerInterface, QStringLiteral("UnitNew"), this,
                    SLOT(unitNew(QString, QDBusObjectPath)));
    bus_.disconnect(managerService, managerPath, managerInterface, QStringLiteral("UnitRemoved"), this,
                    SLOT(unitRemoved(QString, QDBusObjectPath)));
}

QList<QStringList> ApplicationUnits::desktopIds() const
{
    const std::lock_guard lock(mutex_);
    QList<QStringList> ids;
    ids.reserve(units_.size());
    for (const QString& unit : units_)
        ids << desktopIdCandidates(unit);
    return ids;
}

void ApplicationUnits::listUnits()
{
    const QDBusPendingCall call = bus_.asyncCall(
        QDBusMessage::createMethodCall(managerService, managerPath, managerInterface, QStringLiteral("ListUnits")));
    auto* watcher = new QDBusPendingCallWatcher(call, this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* finished) {
        finished->deleteLater();
        const QDBusMessage reply = finished->reply();
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
            VLOG(unitsLog(), LogType::Info, "No systemd user manager lists the running applications: %{public}@",
                 reply.errorMessage());
            return;
        }
        // a(ssssssouso): name, description, load, active and sub state,
        // followed unit, unit path, job id, type and path.
        const QDBusArgument rows = reply.arguments().first().value<QDBusArgument>();
        if (rows.currentType() != QDBusArgument::ArrayType) {
            VLOG(unitsLog(), LogType::Error, "The systemd user manager's unit list is not the one expected");
            return;
        }
        QStringList running;
        rows.beginArray();
        while (!rows.atEnd()) {
            QString name, description, loadState, activeState, subState, following, jobType;
            QDBusObjectPath unitPath, jobPath;
            uint jobId = 0;
            rows.beginStructure();
            rows >> name >> description >> loadState >> activeState >> subState >> following >> unitPath >> jobId
                >> jobType >> jobPath;
            rows.endStructure();
            if (isRunningState(activeState) && !desktopIdCandidates(name).isEmpty())
                running << name;
        }
        rows.endArray();
        listed_ = true;
        insert(running);
    });
}

void ApplicationUnits::insert(const QStringList& names)
{
    bool grew = false;
    {
        const std::lock_guard lock(mutex_);
        for (const QString& name : names) {
            if (!units_.contains(name)) {
                units_.insert(name);
                grew = true;
            }
        }
    }
    if (grew && changed_)
        changed_();
}

void ApplicationUnits::unitNew(const QString& name, const QDBusObjectPath&)
{
    if (!desktopIdCandidates(name).isEmpty())
        insert({name});
}

void ApplicationUnits::unitRemoved(const QString& name, const QDBusObjectPath&)
{
    bool removed = false;
    {
        const std::lock_guard lock(mutex_);
        removed = units_.remove(name);
    }
    if (removed && changed_)
        changed_();
}

} // namespace vantel::platform
