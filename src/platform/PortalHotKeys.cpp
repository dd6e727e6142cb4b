#include "platform/PortalHotKeys.h"

#include "platform/DBusSignature.h"
#include "platform/KeyCodes.h"
#include "platform/Log.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QObject>
#include <QRegularExpression>
#include <QSet>
#include <QTimer>

#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <vector>

namespace {

// One element of the portal's a(sa{sv}) shortcut lists.
struct PortalShortcut {
    QString id;
    QVariantMap properties;
};

QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcut& shortcut)
{
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, PortalShortcut& shortcut)
{
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

} // namespace

Q_DECLARE_METATYPE(PortalShortcut)

namespace vantel::platform {

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString shortcutsInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString requestInterface = QStringLiteral("org.freedesktop.portal.Request");
const QString sessionInterface = QStringLiteral("org.freedesktop.portal.Session");

// Responses on paths no request waits for yet, kept while a reply is out.
constexpr std::size_t earlyResponsesKept = 16;

bool isObjectPath(const QString& path)
{
    static const QRegularExpression valid(QStringLiteral("^(/[A-Za-z0-9_]+)+$"));
    return valid.match(path).hasMatch();
}

// The session a CreateSession answer names: an object path, which older
// portals send as a string.
QString sessionPath(const QVariant& handle)
{
    const QString type = DBusSignature::of(handle);
    const QString path = type == QLatin1String("o") ? handle.value<QDBusObjectPath>().path()
        : type == QLatin1String("s")                 ? handle.toString()
                                                     : QString();
    return isObjectPath(path) ? path : QString();
}

// The types of the portal's answers and signals: only one of these is read.
struct PortalTypes {
    const DBusSignature activated{hotkeysLog(), QStringLiteral("The desktop portal's Activated signal"),
                                  QStringLiteral("osta{sv}")};
    const DBusSignature activationToken{hotkeysLog(), QStringLiteral("The desktop portal's activation token"),
                                        QStringLiteral("s")};
    const DBusSignature response{hotkeysLog(), QStringLiteral("The desktop portal's Response signal"),
                                 QStringLiteral("ua{sv}")};
    const DBusSignature closed{hotkeysLog(), QStringLiteral("The desktop portal's Closed signal of a session"),
                               QStringLiteral("a{sv}")};
    const DBusSignature request{hotkeysLog(), QStringLiteral("The desktop portal's answer to a request"),
                                QStringLiteral("o")};
    const DBusSignature shortcuts{hotkeysLog(), QStringLiteral("The desktop portal's list of shortcuts"),
                                  QStringLiteral("a(sa{sv})")};
    const DBusSignature triggerDescription{
        hotkeysLog(), QStringLiteral("A trigger description in the desktop portal's list of shortcuts"),
        QStringLiteral("s")};
};

// The trigger description of each shortcut a ListShortcuts answer lists, by
// id; none, with the reason in `why`, when the answer is not of the
// interface's types.
std::optional<std::map<QString, QString>> listedTriggers(const PortalTypes& types, const QVariantMap& results,
                                                         QString& why)
{
    const QVariant list = results.value(QStringLiteral("shortcuts"));
    if (!types.shortcuts.accepts(list)) {
        why = QStringLiteral("the desktop's list of shortcuts is of type %1").arg(DBusSignature::of(list));
        return std::nullopt;
    }
    std::map<QString, QString> triggers;
    for (const PortalShortcut& shortcut : qdbus_cast<QList<PortalShortcut>>(list)) {
        const QVariant description = shortcut.properties.value(QStringLiteral("trigger_description"));
        if (description.isValid() && !types.triggerDescription.accepts(description)) {
            why = QStringLiteral("the desktop's list of shortcuts gives a trigger description of type %1")
                      .arg(DBusSignature::of(description));
            return std::nullopt;
        }
        triggers[shortcut.id] = description.toString();
    }
    return triggers;
}

// Keysyms of the US layout by evdev code: under Wayland no client reads the
// desktop's layouts, and stored combinations name US keys when in doubt.
xkb_keysym_t usKeysym(int evdevCode)
{
    struct Keymap {
        xkb_context* context = nullptr;
        xkb_keymap* keymap = nullptr;
        xkb_state* state = nullptr;
        Keymap()
        {
            context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
            if (!context)
                return;
            const xkb_rule_names names{"evdev", "pc105", "us", "", ""};
            keymap = xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
            if (keymap)
                state = xkb_state_new(keymap);
        }
    };
    static const Keymap us;
    if (!us.state)
        return XKB_KEY_NoSymbol;
    return xkb_state_key_get_one_sym(us.state, static_cast<xkb_keycode_t>(evdevCode + KeyCodes::xkbKeycodeOffset));
}

QString keysymName(xkb_keysym_t keysym)
{
    char name[64];
    if (keysym == XKB_KEY_NoSymbol || xkb_keysym_get_name(keysym, name, sizeof name) <= 0)
        return {};
    return QString::fromLatin1(name);
}

QString canonicalModifier(const QString& word)
{
    const QString upper = word.trimmed().toUpper();
    if (upper == QLatin1String("CTRL") || upper == QLatin1String("CONTROL") || upper == QLatin1String("CTL")
        || upper == QLatin1String("PRIMARY"))
        return QStringLiteral("CTRL");
    if (upper == QLatin1String("ALT") || upper == QLatin1String("MOD1") || upper == QLatin1String("OPTION"))
        return QStringLiteral("ALT");
    if (upper == QLatin1String("SHIFT"))
        return QStringLiteral("SHIFT");
    if (upper == QLatin1String("LOGO") || upper == QLatin1String("SUPER") || upper == QLatin1String("META")
        || upper == QLatin1String("WIN") || upper == QLatin1String("WINDOWS") || upper == QLatin1String("MOD4"))
        return QStringLiteral("LOGO");
    return {};
}

struct Parsed {
    QSet<QString> modifiers;
    QString key;
    bool readable = false;
};

// "CTRL+ALT+k", "Ctrl+Alt+K" or "<Control><Alt>k".
Parsed parseTrigger(const QString& text)
{
    Parsed parsed;
    QStringList modifiers;
    QString key;
    const QString trimmed = text.trimmed();
    if (trimmed.startsWith(QLatin1Char('<'))) {
        static const QRegularExpression bracket(QStringLiteral("^<([^>]+)>"));
        QString rest = trimmed;
        for (auto match = bracket.match(rest); match.hasMatch(); match = bracket.match(rest)) {
            modifiers.append(match.captured(1));
            rest = rest.mid(match.capturedLength());
        }
        key = rest.trimmed();
    } else {
        QStringList parts = trimmed.split(QLatin1Char('+'));
        // "Ctrl++" is Ctrl with the plus key.
        if (trimmed.endsWith(QLatin1String("++"))) {
            parts.removeLast();
            parts.last() = QStringLiteral("+");
        }
        key = parts.takeLast().trimmed();
        modifiers = parts;
    }
    for (const QString& word : modifiers) {
        const QString modifier = canonicalModifier(word);
        if (modifier.isEmpty())
            return parsed;
        parsed.modifiers.insert(modifier);
    }
    parsed.key = key;
    parsed.readable = !key.isEmpty();
    return parsed;
}

bool sameKey(const QString& described, const QString& ours)
{
    if (described.compare(ours, Qt::CaseInsensitive) == 0)
        return true;
    const xkb_keysym_t ourSym = xkb_keysym_from_name(ours.toLatin1().constData(), XKB_KEYSYM_NO_FLAGS);
    if (ourSym == XKB_KEY_NoSymbol)
        return false;
    const QByteArray describedName = described.toUtf8();
    const xkb_keysym_t describedSym = xkb_keysym_from_name(describedName.constData(), XKB_KEYSYM_CASE_INSENSITIVE);
    if (describedSym != XKB_KEY_NoSymbol && xkb_keysym_to_lower(describedSym) == xkb_keysym_to_lower(ourSym))
        return true;
    char text[16];
    if (xkb_keysym_to_utf8(ourSym, text, sizeof text) > 1)
        return described.compare(QString::fromUtf8(text), Qt::CaseInsensitive) == 0;
    return false;
}

class PortalBackend final : public QObject, public GlobalHotKeys {
    Q_OBJECT

public:
    PortalBackend(QDBusConnection bus, std::chrono::milliseconds bindingTimeLimit)
        : bus_(std::move(bus))
    {
        qDBusRegisterMetaType<PortalShortcut>();
        qDBusRegisterMetaType<QList<PortalShortcut>>();
        // The slots take the whole message and check its types themselves,
        // so they hear signals of every signature.
        if (!bus_.connect(portalService, portalPath, shortcutsInterface, QStringLiteral("Activated"), this,
                          SLOT(activated(QDBusMessage))))
            VLOG(hotkeysLog(), LogType::Error, "The desktop portal's Activated signal can't be heard");
        // Every Response of the portal, on whatever path: one that comes
        // before the reply naming its path is kept until the reply.
        if (!bus_.connect(portalService, QString(), requestInterface, QStringLiteral("Response"), this,
                          SLOT(response(QDBusMessage))))
            VLOG(hotkeysLog(), LogType::Error, "The desktop portal's Response signal can't be heard");
        bindingTimer_.setSingleShot(true);
        bindingTimer_.setInterval(bindingTimeLimit);
        connect(&bindingTimer_, &QTimer::timeout, this, &PortalBackend::bindingTimedOut);
    }

    ~PortalBackend() override
    {
        bus_.disconnect(portalService, portalPath, shortcutsInterface, QStringLiteral("Activated"), this,
                        SLOT(activated(QDBusMessage)));
        bus_.disconnect(portalService, QString(), requestInterface, QStringLiteral("Response"), this,
                        SLOT(response(QDBusMessage)));
        closeRequests();
        closeSession();
    }

    bool isSupported() const override { return failure_.isEmpty(); }
    QString unsupportedReason() const override { return failure_; }

    Result registerHotKey(int macKeyCode, std::uint32_t carbonModifiers) override
    {
        return registerHotKey(macKeyCode, carbonModifiers, Label{});
    }

    Result registerHotKey(int macKeyCode, std::uint32_t carbonModifiers, const Label& label) override
    {
        if (!failure_.isEmpty()) {
            if (!loggedFailure_ && Log::debugLogging()) {
                loggedFailure_ = true;
                VLOG(hotkeysLog(), LogType::Error, "Global hotkeys are not supported: %{public}@", failure_);
            }
            return {Status::unsupported};
        }
        const QString keys = PortalHotKeys::trigger(macKeyCode, carbonModifiers);
        if (keys.isEmpty())
            return {Status::invalid};
        for (const auto& [id, shortcut] : shortcuts_)
            if (shortcut.trigger == keys)
                return {Status::taken};
        const std::uint32_t id = nextId_++;
        const QString name = label.identifier.isEmpty() ? QStringLiteral("hotkey-%1").arg(id) : label.identifier;
        shortcuts_.emplace(id, Shortcut{name, label.description.isEmpty() ? name : label.description, keys});
        scheduleBinding();
        return {Status::registered, id};
    }

    void unregisterHotKey(std::uint32_t id) override
    {
        if (shortcuts_.erase(id))
            scheduleBinding();
    }

    // The portal binds keys, not taps of a modifier, and no client sees
    // other clients' keys.
    Status registerDoubleTap() override
    {
        if (!loggedDoubleTaps_ && Log::debugLogging()) {
            loggedDoubleTaps_ = true;
            VLOG(hotkeysLog(), LogType::Error,
                 "Double taps of a modifier are not supported: no program sees them under Wayland");
        }
        return Status::unsupported;
    }
    bool seesDoubleTaps() const override { return false; }

private slots:
    void activated(const QDBusMessage& message)
    {
        if (!types_.activated.accepts(message))
            return;
        const QList<QVariant> arguments = message.arguments();
        const QString session = arguments.at(0).value<QDBusObjectPath>().path();
        if (session.isEmpty() || session != session_)
            return;
        const QString shortcutId = arguments.at(1).toString();
        const QVariantMap options = qdbus_cast<QVariantMap>(arguments.at(3));
        for (const auto& [id, shortcut] : shortcuts_) {
            if (shortcut.id != shortcutId)
                continue;
            // Newer portals hand a token with the press: the window it shows
            // (Qt reads it) or the launch it starts comes forward.
            const QVariant token = options.value(QStringLiteral("activation_token"));
            if (token.isValid() && types_.activationToken.accepts(token) && !token.toString().isEmpty())
                qputenv("XDG_ACTIVATION_TOKEN", token.toString().toUtf8());
            firePressed(id);
            return;
        }
    }

    void response(const QDBusMessage& message)
    {
        const auto it = requests_.find(message.path());
        if (it != requests_.end()) {
            answer(it, message);
            return;
        }
        if (awaitingReply_.empty())
            return;
        early_.push_back(message);
        if (early_.size() > earlyResponsesKept)
            early_.pop_front();
    }

    void sessionClosed(const QDBusMessage& message)
    {
        if (message.path() != session_ || !types_.closed.accepts(message))
            return;
        session_.clear();
        fail(QStringLiteral("the desktop closed the global shortcuts session"));
    }

private:
    struct Shortcut {
        QString id;
        QString description;
        QString trigger;
        bool operator==(const Shortcut&) const = default;
        bool operator<(const Shortcut& other) const { return id < other.id; }
    };
    using ResponseHandler = std::function<void(uint code, const QVariantMap& results)>;
    struct Request {
        QString method;
        ResponseHandler handler;
    };
    using Bound = std::vector<std::pair<std::uint32_t, Shortcut>>;

    void scheduleBinding()
    {
        dirty_ = true;
        if (scheduled_ || busy_)
            return;
        scheduled_ = true;
        QTimer::singleShot(0, this, [this] {
            scheduled_ = false;
            rebind();
        });
    }

    std::vector<Shortcut> currentSet() const
    {
        std::vector<Shortcut> set;
        for (const auto& entry : shortcuts_)
            set.push_back(entry.second);
        std::sort(set.begin(), set.end());
        return set;
    }

    // A new session for the set as it is now; the old one can't bind again.
    // A set the desktop already holds as asked (a kind of hotkeys registered
    // again unchanged) is left alone, so the desktop does not ask again.
    void rebind()
    {
        if (busy_ || !dirty_ || !failure_.isEmpty())
            return;
        if (!session_.isEmpty() && currentSet() == accepted_) {
            dirty_ = false;
            return;
        }
        closeSession();
        if (shortcuts_.empty()) {
            dirty_ = false;
            return;
        }
        busy_ = true;
        inFlight_.assign(shortcuts_.begin(), shortcuts_.end());
        bindingTimer_.start();
        const QString token = nextToken();
        QVariantMap options{{QStringLiteral("handle_token"), token},
                            {QStringLiteral("session_handle_token"), QStringLiteral("vantel_session_") + token}};
        request(QStringLiteral("CreateSession"), {options}, token, [this](uint code, const QVariantMap& results) {
            const QVariant handle = results.value(QStringLiteral("session_handle"));
            const QString path = sessionPath(handle);
            if (code != 0 || path.isEmpty()) {
                busy_ = false;
                fail(code != 0 ? QStringLiteral("the desktop portal created no global shortcuts session (response %1)")
                                     .arg(code)
                               : QStringLiteral("the desktop portal's session handle is no object path (%1 of type %2)")
                                     .arg(handle.toString(), DBusSignature::of(handle)));
                return;
            }
            session_ = path;
            bus_.connect(portalService, session_, sessionInterface, QStringLiteral("Closed"), this,
                         SLOT(sessionClosed(QDBusMessage)));
            bind();
        });
    }

    void bind()
    {
        dirty_ = false;
        QList<PortalShortcut> wanted;
        Bound bound;
        for (const auto& [id, shortcut] : shortcuts_) {
            wanted.append({shortcut.id,
                           {{QStringLiteral("description"), shortcut.description},
                            {QStringLiteral("preferred_trigger"), shortcut.trigger}}});
            bound.emplace_back(id, shortcut);
        }
        inFlight_ = bound;
        const QString token = nextToken();
        const QVariantMap options{{QStringLiteral("handle_token"), token}};
        request(QStringLiteral("BindShortcuts"),
                {QVariant::fromValue(QDBusObjectPath(session_)), QVariant::fromValue(wanted), QString(), options},
                token,
                [this, bound](uint code, const QVariantMap&) {
                    if (code != 0) {
                        judge(bound, nullptr, QStringLiteral("the desktop did not bind the shortcuts"));
                        finish();
                        return;
                    }
                    askWhatWasBound(bound);
                });
    }

    void askWhatWasBound(const Bound& bound)
    {
        const QString token = nextToken();
        const QVariantMap options{{QStringLiteral("handle_token"), token}};
        request(QStringLiteral("ListShortcuts"), {QVariant::fromValue(QDBusObjectPath(session_)), options}, token,
                [this, bound](uint code, const QVariantMap& results) {
                    QString why = QStringLiteral("the desktop gave no list of the shortcuts (response %1)").arg(code);
                    const auto triggers = code == 0 ? listedTriggers(types_, results, why) : std::nullopt;
                    if (!triggers)
                        VLOG(hotkeysLog(), LogType::Error,
                             "The desktop portal's ListShortcuts answer is not read: %{public}@", why);
                    judge(bound, triggers ? &*triggers : nullptr, triggers ? QString() : why);
                    finish();
                });
    }

    // Reports as taken every bound hotkey the desktop did not put on its
    // keys (all of them without triggers), and keeps what it holds as asked
    // (also of hotkeys unregistered meanwhile) in accepted_.
    void judge(const Bound& bound, const std::map<QString, QString>* triggers, const QString& why)
    {
        accepted_.clear();
        for (const auto& [id, shortcut] : bound) {
            QString reason = why;
            if (triggers) {
                const auto listed = triggers->find(shortcut.id);
                if (listed == triggers->end() || listed->second.trimmed().isEmpty())
                    reason = QStringLiteral("the desktop left it without keys");
                else if (PortalHotKeys::describesOtherKeys(listed->second, shortcut.trigger))
                    reason = QStringLiteral("the desktop bound it to %1").arg(listed->second);
            }
            if (reason.isEmpty()) {
                accepted_.push_back(shortcut);
                continue;
            }
            const auto it = shortcuts_.find(id);
            if (it == shortcuts_.end())
                continue;
            VLOG(hotkeysLog(), LogType::Error, "!! Error - hotkey %{public}@ (%{public}@) is taken: %{public}@",
                 shortcut.id, shortcut.trigger, reason);
            shortcuts_.erase(it);
            fireTaken(id);
        }
        std::sort(accepted_.begin(), accepted_.end());
    }

    void finish()
    {
        bindingTimer_.stop();
        inFlight_.clear();
        busy_ = false;
        if (dirty_)
            scheduleBinding();
    }

    // A desktop that does not answer (or answers where nothing listens)
    // keeps no hotkey waiting: its question is withdrawn, the session closed
    // and what it was to bind reported as taken.
    void bindingTimedOut()
    {
        if (!busy_)
            return;
        const QString why = QStringLiteral("the desktop portal did not finish binding within %1 s")
                                .arg(bindingTimer_.interval() / 1000.0);
        VLOG(hotkeysLog(), LogType::Error, "The desktop portal did not finish binding the global shortcuts: %{public}@",
             why);
        closeRequests();
        closeSession();
        const Bound inFlight = std::exchange(inFlight_, {});
        judge(inFlight, nullptr, why);
        finish();
    }

    void fail(const QString& reason)
    {
        bindingTimer_.stop();
        closeRequests();
        failure_ = reason;
        VLOG(hotkeysLog(), LogType::Error, "Global hotkeys are not supported: %{public}@", reason);
        loggedFailure_ = true;
        std::vector<std::uint32_t> ids;
        for (const auto& entry : shortcuts_)
            ids.push_back(entry.first);
        shortcuts_.clear();
        for (std::uint32_t id : ids)
            fireTaken(id);
    }

    void closeSession()
    {
        if (session_.isEmpty())
            return;
        bus_.disconnect(portalService, session_, sessionInterface, QStringLiteral("Closed"), this,
                        SLOT(sessionClosed(QDBusMessage)));
        bus_.send(QDBusMessage::createMethodCall(portalService, session_, sessionInterface, QStringLiteral("Close")));
        session_.clear();
        accepted_.clear();
    }

    QString nextToken() { return QStringLiteral("vantel%1").arg(++tokens_); }

    QString requestPath(const QString& token) const
    {
        QString sender = bus_.baseService().mid(1);
        sender.replace(QLatin1Char('.'), QLatin1Char('_'));
        return QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
    }

    // Hands a request its Response, which must be ua{sv} to be read.
    void answer(std::map<QString, Request>::iterator it, const QDBusMessage& message)
    {
        const Request request = std::move(it->second);
        requests_.erase(it);
        if (!types_.response.accepts(message)) {
            VLOG(hotkeysLog(), LogType::Error, "The desktop portal's answer to %{public}@ is not read", request.method);
            request.handler(2, {});
            return;
        }
        const QList<QVariant> arguments = message.arguments();
        request.handler(arguments.at(0).toUInt(), qdbus_cast<QVariantMap>(arguments.at(1)));
    }

    // Waits for the Response on the path the token names, and moves to the
    // one the reply names if the portal picks another; a Response that came
    // there before the reply was kept for it.
    void request(const QString& method, const QList<QVariant>& arguments, const QString& token, ResponseHandler handler)
    {
        const QString expected = requestPath(token);
        requests_[expected] = {method, std::move(handler)};
        awaitingReply_.insert(expected);
        QDBusMessage call = QDBusMessage::createMethodCall(portalService, portalPath, shortcutsInterface, method);
        call.setArguments(arguments);
        auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this,
                [this, expected, method](QDBusPendingCallWatcher* pending) {
            pending->deleteLater();
            awaitingReply_.erase(expected);
            replied(expected, method, pending->reply());
            if (awaitingReply_.empty())
                early_.clear();
        });
    }

    void replied(const QString& expected, const QString& method, const QDBusMessage& reply)
    {
        const auto it = requests_.find(expected);
        if (it == requests_.end())
            return;
        // A reply of another type than o is a refusal too.
        if (!types_.request.accepts(reply)) {
            const Request request = std::move(it->second);
            requests_.erase(it);
            VLOG(hotkeysLog(), LogType::Error, "The desktop portal refused %{public}@: %{public}@", method,
                 reply.type() == QDBusMessage::ErrorMessage ? reply.errorMessage()
                                                            : QStringLiteral("an answer of type ") + reply.signature());
            request.handler(2, {});
            return;
        }
        const QString actual = reply.arguments().constFirst().value<QDBusObjectPath>().path();
        if (actual.isEmpty() || actual == expected || requests_.count(actual))
            return;
        requests_[actual] = std::move(it->second);
        requests_.erase(it);
        const auto early = std::find_if(early_.begin(), early_.end(),
                                        [&](const QDBusMessage& message) { return message.path() == actual; });
        if (early == early_.end())
            return;
        const QDBusMessage message = *early;
        early_.erase(early);
        answer(requests_.find(actual), message);
    }

    // Withdraws the questions still open, so the desktop stops asking and
    // never answers them.
    void closeRequests()
    {
        for (const auto& entry : requests_)
            bus_.send(QDBusMessage::createMethodCall(portalService, entry.first, requestInterface,
                                                     QStringLiteral("Close")));
        requests_.clear();
        early_.clear();
    }

    QDBusConnection bus_;
    const PortalTypes types_;
    std::map<std::uint32_t, Shortcut> shortcuts_;
    // By the path their Response comes on.
    std::map<QString, Request> requests_;
    // The token's paths of the calls whose reply is not in yet.
    std::set<QString> awaitingReply_;
    std::deque<QDBusMessage> early_;
    QTimer bindingTimer_;
    // What the binding under way is to bind.
    Bound inFlight_;
    QString session_;
    // What the session's desktop holds as asked, by id.
    std::vector<Shortcut> accepted_;
    QString failure_;
    bool loggedFailure_ = false;
    bool loggedDoubleTaps_ = false;
    bool dirty_ = false;
    bool scheduled_ = false;
    bool busy_ = false;
    std::uint32_t nextId_ = 1;
    quint64 tokens_ = 0;
};

} // namespace

namespace PortalHotKeys {

unsigned globalShortcutsVersion(const QDBusConnection& bus, std::chrono::milliseconds timeout)
{
    if (!bus.isConnected())
        return 0;
    QDBusMessage get = QDBusMessage::createMethodCall(portalService, portalPath,
                                                      QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get << shortcutsInterface << QStringLiteral("version");
    static const DBusSignature versionReply(hotkeysLog(), QStringLiteral("The desktop portal's answer to its version"),
                                            QStringLiteral("v"));
    static const DBusSignature versionValue(hotkeysLog(), QStringLiteral("The desktop portal's version"),
                                            QStringLiteral("u"));
    const QDBusMessage reply = bus.call(get, QDBus::Block, static_cast<int>(timeout.count()));
    if (!versionReply.accepts(reply))
        return 0;
    const QVariant version = reply.arguments().constFirst().value<QDBusVariant>().variant();
    return versionValue.accepts(version) ? version.toUInt() : 0;
}

std::unique_ptr<GlobalHotKeys> make(QDBusConnection bus, std::chrono::milliseconds bindingTimeLimit)
{
    return std::make_unique<PortalBackend>(std::move(bus), bindingTimeLimit);
}

QString trigger(int macKeyCode, std::uint32_t carbonModifiers)
{
    if ((carbonModifiers & ~KeyCodes::knownCarbonBits) != 0)
        return {};
    const auto evdev = KeyCodes::evdevCode(macKeyCode);
    if (!evdev)
        return {};
    const QString key = keysymName(usKeysym(*evdev));
    if (key.isEmpty())
        return {};
    QStringList parts;
    if (carbonModifiers & KeyCodes::carbonCommand)
        parts << QStringLiteral("CTRL");
    if (carbonModifiers & KeyCodes::carbonOption)
        parts << QStringLiteral("ALT");
    if (carbonModifiers & KeyCodes::carbonShift)
        parts << QStringLiteral("SHIFT");
    if (carbonModifiers & KeyCodes::carbonControl)
        parts << QStringLiteral("LOGO");
    parts << key;
    return parts.join(QLatin1Char('+'));
}

bool describesOtherKeys(const QString& triggerDescription, const QString& trigger)
{
    const Parsed described = parseTrigger(triggerDescription);
    const Parsed ours = parseTrigger(trigger);
    if (!described.readable || !ours.readable)
        return false;
    return described.modifiers != ours.modifiers || !sameKey(described.key, ours.key);
}

bool isWaylandDesktop(const QString& qtPlatformName)
{
    if (qgetenv("XDG_SESSION_TYPE") == "wayland")
        return true;
    return !qgetenv("WAYLAND_DISPLAY").isEmpty() && qtPlatformName.startsWith(QLatin1String("wayland"));
}

} // namespace PortalHotKeys

} // namespace vantel::platform

#include "PortalHotKeys.moc"
