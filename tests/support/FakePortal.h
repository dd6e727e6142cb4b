#pragma once

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QList>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>

namespace vantel::test {

// A desktop portal of our own with GlobalShortcuts version 1 on a bus: it
// creates sessions with the Request/Response handshake, binds a session's
// shortcuts once (a second BindShortcuts on a session is an error, as the
// interface says), lists them, closes sessions and emits Activated. What it
// binds, refuses or moves to other keys is set by the test.
class FakePortal final : public QDBusVirtualObject {
public:
    struct Shortcut {
        QString id;
        QString description;
        QString trigger; // what was asked for
    };

    // Takes the portal's name and object path on the connection.
    explicit FakePortal(QDBusConnection bus);
    ~FakePortal() override;
    bool isRegistered() const { return registered_; }

    // Knobs: ids left without keys, ids put on other keys (the trigger
    // description the desktop gives), and a user who declines the binding.
    QSet<QString> refused;
    QMap<QString, QString> rebound;
    bool declineBinding = false;
    // Holds the answer to BindShortcuts until released, as a desktop that
    // asks its user does.
    bool holdBinding = false;
    void releaseBinding();
    // Answers of the wrong type, as any process owning the portal's name can
    // give: the listed shortcuts with this signature in place of a(sa{sv})
    // ("a(ss)", "a(sai)", "(ss)" or "a{sv}"), this value as every listed
    // trigger description, this value as the session handle, and Responses
    // with these arguments in place of ua{sv}.
    QString listSignature;
    QVariant listedTrigger;
    QVariant sessionHandle;
    QVariantList responseArguments;
    // Answers on another request path than the caller's token names (as
    // older portals do), with the Response sent before or after the reply.
    enum class Elsewhere { no, beforeReply, afterReply };
    Elsewhere respondElsewhere = Elsewhere::no;

    // What happened: every binding in order, and the live sessions.
    QList<QList<Shortcut>> bindings;
    QMap<QString, QList<Shortcut>> sessions;
    int sessionsCreated = 0;
    int sessionsClosed = 0;
    QStringList requestsClosed;
    QString lastSession;
    // Called after each successful binding.
    std::function<void(const QList<Shortcut>&)> onBound;

    // The desktop saw the shortcut's keys pressed (newer portals hand an
    // activation token with it).
    void activate(const QString& id) { activate(lastSession, id); }
    void activate(const QString& session, const QString& id, const QString& activationToken = {});
    // Activated with these arguments, whatever their types.
    void activateWith(const QVariantList& arguments);

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    QString requestFor(const QDBusMessage& message, const QVariantMap& options);
    void answer(const QDBusMessage& message, const QDBusConnection& connection, const QString& request, uint code,
                const QVariantMap& results);
    void respond(const QString& requestPath, uint code, const QVariantMap& results);
    QVariant listed(const QList<Shortcut>& shortcuts) const;
    QString triggerDescription(const Shortcut& shortcut) const;

    QDBusConnection bus_;
    bool registered_ = false;
    std::function<void()> held_;
    QString heldRequest_;
    int elsewhereRequests_ = 0;
};

} // namespace vantel::test
