#pragma once

#include "platform/DBusSignature.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

namespace vantel::platform {

// The applications a desktop started in systemd units of their own, as GNOME
// and KDE do: user units named "app-<launcher>-<desktop id>-<random>.scope" or
// "app-<launcher>-<desktop id>@<random>.service" (the launcher may be left
// out; a '-' in the desktop ID may be escaped as "\x2d"). This is what tells
// of running applications where no X11 window list exists (Wayland).
//
// Nothing is polled: the systemd user manager on the bus is subscribed to
// once, ListUnits gives the units loaded now with their state, UnitNew and
// UnitRemoved tell of units loaded and let go, and the units' ActiveState
// (asked for a new unit, then followed through PropertiesChanged) says which
// of them run: only an active, activating or reloading unit does. Where the
// bus or the manager is missing, none runs. Any process can own the
// manager's name: every answer and signal is read only once its types are
// the interface's (DBusSignature), and one of other types is ignored.
//
// A unit's desktop IDs are worked out once, when it is first seen. Main
// thread only.
class ApplicationUnits : public QObject {
    Q_OBJECT

public:
    // Runs for each unit that starts or stops running, with its name and,
    // while it runs, the desktop IDs ("<id>.desktop") it may stand for, the
    // likeliest first; none once it stopped.
    using Changed = std::function<void(const QString& unit, const QStringList& desktopIds)>;

    ApplicationUnits(QDBusConnection bus, Changed changed);
    ~ApplicationUnits() override;

    // The desktop IDs an application unit's name may stand for; none when the
    // name is no application unit's.
    static QStringList desktopIdCandidates(const QString& unitName);

private slots:
    void unitNew(const QDBusMessage& message);
    void unitRemoved(const QDBusMessage& message);
    void propertiesChanged(const QDBusMessage& message);

private:
    struct Unit {
        QString path;
        QStringList desktopIds;
        bool running = false;
    };

    void listUnits();
    void askActiveState(const QString& name, const QString& path);
    // Files an application unit not known yet; false for any other name.
    bool track(const QString& name, const QString& path);
    void setRunning(const QString& name, bool running);

    QDBusConnection bus_;
    Changed changed_;
    QHash<QString, Unit> units_;       // the application units the manager has loaded, by name
    QHash<QString, QString> unitPaths_; // their names by object path

    const DBusSignature listReply_;
    const DBusSignature unitSignal_;
    const DBusSignature propertiesSignal_;
    const DBusSignature stateReply_;
    const DBusSignature stateValue_;
};

} // namespace vantel::platform
