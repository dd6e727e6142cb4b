#pragma once

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QList>
#include <QMap>
#include <QSet>
#include <QString>

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

    // What happened: every binding in order, and the live sessions.
    QList<QList<Shortcut>> bindings;
    QMap<QString, QList<Shortcut>> sessions;
    int sessionsCreated = 0;
    int sessionsClosed = 0;
    QString lastSession;
    // Called after each successful binding.
    std::function<void(const QList<Shortcut>&)> onBound;

    // The desktop saw the shortcut's keys pressed (newer portals hand an
    // activation token with it).
    void activate(const QString& id) { activate(lastSession, id); }
    void activate(const QString& session, const QString& id, const QString& activationToken = {});

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    void respond(const QString& requestPath, uint code, const QVariantMap& results);
    QString triggerDescription(const Shortcut& shortcut) const;

    QDBusConnection bus_;
    bool registered_ = false;
    std::function<void()> held_;
};

} // namespace vantel::test
