#pragma once

#include "support/TestSupport.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>

namespace vantel::test {

// An Xvfb of the test's own on a free display, ended with the object.
// `name()` is empty when Xvfb is missing or did not come up.
class PrivateXServer {
public:
    PrivateXServer()
    {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty())
            return;
        int number = 90 + int(QCoreApplication::applicationPid() % 100);
        while (QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(number)))
            ++number;
        server_.start(xvfb, {QStringLiteral(":%1").arg(number), QStringLiteral("-noreset"), QStringLiteral("-nolisten"),
                             QStringLiteral("tcp")});
        if (!server_.waitForStarted(int(longWait.count())))
            return;
        if (!waitUntil([&] { return QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number)); }))
            return;
        name_ = ":" + QByteArray::number(number);
    }
    ~PrivateXServer()
    {
        if (server_.state() != QProcess::NotRunning) {
            server_.terminate();
            server_.waitForFinished(int(longWait.count()));
        }
    }
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;

    QByteArray name() const { return name_; }

private:
    QProcess server_;
    QByteArray name_;
};

} // namespace vantel::test
