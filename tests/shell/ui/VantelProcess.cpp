#include "VantelProcess.h"

#include "platform/UserDefaults.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>

#include <csignal>

namespace vantel::test {

VantelProcess::VantelProcess(const QString& home)
    : home_(home)
{
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.setReadChannel(QProcess::StandardError);
    process_.setProcessEnvironment(environment(home));
}

VantelProcess::~VantelProcess()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

QString VantelProcess::executable()
{
    return QStringLiteral(VANTEL_BUNDLE_DIR "/MacOS/Vantel");
}

void VantelProcess::prepareHome(const QString& home)
{
    for (const char* sub : {"config/Vantel", "data", "cache", "state", "runtime", "system-data", "system-config"})
        QDir().mkpath(home + QLatin1Char('/') + QLatin1String(sub));
    QFile::setPermissions(home + QStringLiteral("/runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    platform::UserDefaults defaults(home + QStringLiteral("/config/Vantel/net.tarnwick.vantel.plist"));
    defaults.setBool(true, QStringLiteral("debugLogging"));
    defaults.synchronize();
}

QProcessEnvironment VantelProcess::environment(const QString& home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/cache"));
    env.insert(QStringLiteral("XDG_STATE_HOME"), home + QStringLiteral("/state"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home + QStringLiteral("/runtime"));
    env.insert(QStringLiteral("XDG_DATA_DIRS"), home + QStringLiteral("/system-data"));
    env.insert(QStringLiteral("XDG_CONFIG_DIRS"), home + QStringLiteral("/system-config"));
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // No session bus of the user's: the child must not reach the real desktop.
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=") + home + QStringLiteral("/no-bus"));
    env.remove(QStringLiteral("VANTEL_TEST_HOME"));
    return env;
}

void VantelProcess::start(const QStringList& arguments)
{
    output_.clear();
    process_.start(executable(), arguments);
    process_.waitForStarted(10000);
}

bool VantelProcess::waitForOutput(const QByteArray& text, std::chrono::milliseconds timeout)
{
    QElapsedTimer clock;
    clock.start();
    while (!output_.contains(text)) {
        if (clock.elapsed() > timeout.count())
            return false;
        if (process_.state() == QProcess::NotRunning) {
            output_ += process_.readAllStandardError();
            return output_.contains(text);
        }
        process_.waitForReadyRead(100);
        output_ += process_.readAllStandardError();
    }
    return true;
}

bool VantelProcess::waitForFinished(std::chrono::milliseconds timeout)
{
    const bool finished = process_.waitForFinished(int(timeout.count()));
    output_ += process_.readAllStandardError();
    return finished;
}

void VantelProcess::signal(int number)
{
    ::kill(static_cast<pid_t>(process_.processId()), number);
}

QByteArray VantelProcess::output()
{
    output_ += process_.readAllStandardError();
    return output_;
}

QStringList VantelProcess::logMessages()
{
    // "net.tarnwick.vantel[category] <type>: message"
    static const QRegularExpression prefix(QStringLiteral("^net\\.tarnwick\\.vantel\\[[^\\]]*\\] <[^>]*>: "));
    QStringList messages;
    for (const QByteArray& line : output().split('\n')) {
        QString text = QString::fromUtf8(line);
        if (text.contains(prefix))
            messages << text.remove(prefix);
    }
    return messages;
}

} // namespace vantel::test
