#pragma once

#include "support/TestSupport.h"

#include <QDBusConnection>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

namespace vantel::test {

// A session bus of the test's own (dbus-daemon): fake desktop services on one
// connection, the code under test on another. Its connections close with it.
class PrivateBus {
public:
    ~PrivateBus()
    {
        for (const QString& name : std::as_const(connections_))
            QDBusConnection::disconnectFromBus(name);
        process_.kill();
        process_.waitForFinished(int(longWait.count()));
    }

    // False when dbus-daemon is missing or gives no address.
    bool start()
    {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty())
            return false;
        process_.start(daemon, daemonArguments());
        if (!process_.waitForStarted(int(longWait.count())) || !waitUntil([&] { return process_.canReadLine(); }))
            return false;
        address_ = QString::fromUtf8(process_.readLine()).trimmed();
        return !address_.isEmpty();
    }

    // dbus-daemon's arguments for such a bus. Its socket lies in a folder of
    // the test home, which goes with the test: the session configuration
    // alone leaves one in /tmp on every run.
    static QStringList daemonArguments()
    {
        return {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1"),
                QStringLiteral("--address=unix:dir=") + makeTempDir(QStringLiteral("bus"))};
    }

    // A connection of its own, named uniquely within the process.
    QDBusConnection connect(const QString& name)
    {
        connections_ << name;
        return QDBusConnection::connectToBus(address_, name);
    }

private:
    QProcess process_;
    QString address_;
    QStringList connections_;
};

} // namespace vantel::test
