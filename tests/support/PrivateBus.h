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
        process_.waitForFinished();
    }

    // False when dbus-daemon is missing or gives no address.
    bool start()
    {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty())
            return false;
        process_.start(daemon, {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        if (!process_.waitForStarted() || !waitUntil([&] { return process_.canReadLine(); }))
            return false;
        address_ = QString::fromUtf8(process_.readLine()).trimmed();
        return !address_.isEmpty();
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
