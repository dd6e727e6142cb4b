#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QThread>
#include <QUuid>

namespace vantel::test {

QString testHome()
{
    return qEnvironmentVariable("VANTEL_TEST_HOME");
}

QString makeTempDir(const QString& name)
{
    const QString path = testHome() + QStringLiteral("/") + name + QStringLiteral("-")
        + QUuid::createUuid().toString(QUuid::WithoutBraces).left(8);
    QDir().mkpath(path);
    return path;
}

bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeout.count())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

void spinEventLoop(std::chrono::milliseconds duration)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < duration.count()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
}

} // namespace vantel::test
