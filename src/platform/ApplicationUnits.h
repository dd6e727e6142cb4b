#pragma once

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <mutex>

namespace vantel::platform {

// The applications a desktop started in systemd units of their own, as GNOME
// and KDE do: user units named "app-<launcher>-<desktop id>-<random>.scope" or
// "app-<launcher>-<desktop id>@<random>.service" (the launcher may be left
// out; a '-' in the desktop ID may be escaped as "\x2d"). This is what tells
// of running applications where no X11 window list exists (Wayland).
//
// Nothing is polled: the systemd user manager on the bus is subscribed to
// once, its UnitNew and UnitRemoved signals keep the set, and ListUnits gives
// the units already running. Where the bus or the manager is missing, the
// set stays empty. Built and told of changes on the main thread; the set may
// be read from any thread.
class ApplicationUnits : public QObject {
    Q_OBJECT

public:
    // `changed` runs on the main thread after each change of the set.
    ApplicationUnits(QDBusConnection bus, std::function<void()> changed);
    ~ApplicationUnits() override;

    // The desktop IDs ("<id>.desktop") each running unit may stand for, the
    // likeliest first. Any thread.
    QList<QStringList> desktopIds() const;
    // The manager answered ListUnits.
    bool isListed() const { return listed_; }

    // The desktop IDs an application unit's name may stand for; none when the
    // name is no application unit's.
    static QStringList desktopIdCandidates(const QString& unitName);

private slots:
    void unitNew(const QString& name, const QDBusObjectPath& path);
    void unitRemoved(const QString& name, const QDBusObjectPath& path);

private:
    void listUnits();
    void insert(const QStringList& names);

    QDBusConnection bus_;
    std::function<void()> changed_;
    bool connected_ = false;
    bool listed_ = false;
    mutable std::mutex mutex_;
    QSet<QString> units_; // the application units' names
};

} // namespace vantel::platform
