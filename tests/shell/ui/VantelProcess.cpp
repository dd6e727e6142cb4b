#include "VantelProcess.h"

#include "platform/UserDefaults.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>

#include <csignal>

#include <sys/stat.h>
#include <unistd.h>

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
        process_.waitForFinished(int(longWait.count()));
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
    platform::UserDefaults defaults(settingsPath(home));
    defaults.setBool(true, QStringLiteral("debugLogging"));
    defaults.synchronize();
}

QString VantelProcess::settingsPath(const QString& home)
{
    return home + QStringLiteral("/config/Vantel/net.tarnwick.vantel.plist");
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

void VantelProcess::runUnprivileged()
{
    runUnprivileged(process_, home_);
}

void VantelProcess::runUnprivileged(QProcess& process, const QString& home)
{
    if (::geteuid() != 0)
        return;
    ::chmod(QFile::encodeName(testHome()).constData(), 0755);
    QProcess chown;
    chown.start(QStringLiteral("chown"), {QStringLiteral("-R"), QStringLiteral("65534:65534"), home});
    chown.waitForFinished(int(longWait.count()));
    process.setChildProcessModifier([] {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(126);
    });
}

void VantelProcess::start(const QStringList& arguments)
{
    output_.clear();
    process_.start(program_, arguments);
    process_.waitForStarted(int(longWait.count()));
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
    // Without an event loop the pipe is read only while waiting on it.
    if (process_.state() == QProcess::Running)
        process_.waitForReadyRead(10);
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

qsizetype VantelProcess::logCount(const QString& pattern)
{
    waitForOutput("\x01", std::chrono::milliseconds(20));
    return logMessages().filter(QRegularExpression(pattern)).size();
}

bool VantelProcess::waitForLog(const QString& pattern, qsizetype count, std::chrono::milliseconds timeout)
{
    const QRegularExpression line(pattern);
    return poll([&] { return logMessages().filter(line).size() >= count; }, timeout);
}

QString keptCopyOf(const QString& file)
{
    const QFileInfo info(file);
    QStringList copies = info.dir().entryList({info.fileName() + QStringLiteral(".session-*")}, QDir::Files);
    copies.removeAll(info.fileName() + QStringLiteral(".session-note"));
    return copies.size() == 1 ? info.absolutePath() + u'/' + copies.first() : QString();
}

void putInPlace(const QString& file, const std::function<void(const QString&)>& write)
{
    const QString beside = file + QStringLiteral(".incoming");
    write(beside);
    ASSERT_TRUE(QFile::remove(file));
    ASSERT_TRUE(QFile::rename(beside, file));
}

bool poll(const std::function<bool()>& condition, std::chrono::milliseconds timeout)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeout.count())
            return false;
        QThread::msleep(50);
    }
    return true;
}

TrayDesktop::~TrayDesktop()
{
    for (QProcess* process : {&windowManager_, &trayer_, &xvfb_}) {
        if (process->state() != QProcess::NotRunning) {
            process->terminate();
            if (!process->waitForFinished(int(longWait.count()))) {
                process->kill();
                process->waitForFinished(int(longWait.count()));
            }
        }
    }
}

bool TrayDesktop::startWindowManager(QString* why)
{
    // The tests' XDG folders are throw-away ones: openbox needs the system's
    // to find its configuration and theme, or it ends at once.
    QProcessEnvironment env = environment();
    env.insert(QStringLiteral("XDG_CONFIG_DIRS"), QStringLiteral("/etc/xdg"));
    env.insert(QStringLiteral("XDG_DATA_DIRS"), QStringLiteral("/usr/local/share:/usr/share"));
    windowManager_.setProcessEnvironment(env);
    windowManager_.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
    if (!windowManager_.waitForStarted(int(longWait.count()))) {
        *why = QStringLiteral("openbox did not start");
        return false;
    }
    if (windowManager_.waitForFinished(1000)) {
        *why = QStringLiteral("openbox ended: ") + QString::fromUtf8(windowManager_.readAllStandardError());
        return false;
    }
    return true;
}

bool TrayDesktop::start(QString* why, bool withTray)
{
    for (const char* tool : {"Xvfb", "trayer", "xdotool", "xwininfo", "import"}) {
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty()) {
            *why = QStringLiteral("%1 is not installed").arg(QLatin1String(tool));
            return false;
        }
    }
    // -displayfd picks a free display: other tests run X servers too.
    xvfb_.start(QStringLiteral("Xvfb"),
                {"-displayfd", "1", "-noreset", "-nolisten", "tcp", "-screen", "0", "1280x800x24"});
    QByteArray number;
    const bool ready = xvfb_.waitForStarted(int(longWait.count())) && poll([&] {
        xvfb_.waitForReadyRead(50);
        number += xvfb_.readAllStandardOutput();
        return number.contains('\n') || xvfb_.state() == QProcess::NotRunning;
    });
    if (!ready || !number.contains('\n')) {
        *why = QStringLiteral("Xvfb did not start");
        return false;
    }
    display_ = QStringLiteral(":") + QString::fromLatin1(number).trimmed();
    return !withTray || startTray(why);
}

bool TrayDesktop::startTray(QString* why)
{
    trayer_.setProcessEnvironment(environment());
    trayer_.start(QStringLiteral("trayer"), {"--edge", "top", "--align", "right", "--widthtype", "request",
                                             "--height", "28", "--transparent", "true", "--alpha", "0",
                                             "--tint", "0x31363b"});
    if (!trayer_.waitForStarted(int(longWait.count()))) {
        *why = QStringLiteral("trayer did not start");
        return false;
    }
    // The tray is there once its panel is mapped (it then owns the tray selection).
    if (!poll([this] { return trayFrame().isValid(); })) {
        *why = QStringLiteral("trayer showed no panel");
        return false;
    }
    return true;
}

QProcessEnvironment TrayDesktop::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display_);
    return env;
}

void TrayDesktop::attach(VantelProcess& vantel, const QString& home) const
{
    QProcessEnvironment env = VantelProcess::environment(home);
    env.insert(QStringLiteral("DISPLAY"), display_);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    vantel.process().setProcessEnvironment(env);
}

QByteArray TrayDesktop::run(const QString& program, const QStringList& arguments) const
{
    QProcess process;
    process.setProcessEnvironment(environment());
    process.start(program, arguments);
    process.waitForFinished(int(longWait.count()));
    return process.readAllStandardOutput();
}

void TrayDesktop::click(const QPoint& at, int button) const
{
    run(QStringLiteral("xdotool"), {"mousemove", QString::number(at.x()), QString::number(at.y()), "click",
                                    QString::number(button)});
}

void TrayDesktop::keys(const QStringList& sequence, std::chrono::milliseconds between) const
{
    run(QStringLiteral("xdotool"),
        QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QString::number(between.count())} + sequence);
}

void TrayDesktop::type(const QString& text) const
{
    run(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"), text});
}

void TrayDesktop::focus(const QString& titlePattern) const
{
    run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                                    titlePattern, QStringLiteral("windowfocus"), QStringLiteral("--sync")});
}

QImage TrayDesktop::screenshot(const QString& name) const
{
    const QString path = outputFolder() + QLatin1Char('/') + name;
    QFile::remove(path);
    run(QStringLiteral("import"), {"-window", "root", path});
    return QImage(path);
}

void TrayDesktop::stopServer()
{
    xvfb_.terminate();
    xvfb_.waitForFinished(int(longWait.count()));
}

QRect TrayDesktop::frameOf(const QByteArray& window) const
{
    // "Absolute upper-left X:  1010" ... "Width: 24"
    const QString info = QString::fromUtf8(run(QStringLiteral("xwininfo"), {"-id", QString::fromLatin1(window)}));
    const auto field = [&info](const QString& name) {
        static const QString pattern = QStringLiteral("^\\s*%1:\\s*(-?\\d+)\\s*$");
        const QRegularExpression expression(pattern.arg(QRegularExpression::escape(name)),
                                            QRegularExpression::MultilineOption);
        const QRegularExpressionMatch match = expression.match(info);
        return match.hasMatch() ? std::optional<int>(match.captured(1).toInt()) : std::nullopt;
    };
    const auto x = field(QStringLiteral("Absolute upper-left X"));
    const auto y = field(QStringLiteral("Absolute upper-left Y"));
    const auto width = field(QStringLiteral("Width"));
    const auto height = field(QStringLiteral("Height"));
    const bool viewable = info.contains(QStringLiteral("Map State: IsViewable"));
    if (!x || !y || !width || !height || !viewable)
        return QRect();
    return QRect(*x, *y, *width, *height);
}

QRect TrayDesktop::decoratedFrameOf(const QByteArray& window) const
{
    // "_NET_FRAME_EXTENTS(CARDINAL) = 1, 1, 20, 1": left, right, top, bottom.
    const QByteArray extents = run(QStringLiteral("xprop"), {"-id", QString::fromLatin1(window), "_NET_FRAME_EXTENTS"});
    const QList<QByteArray> sides = extents.mid(extents.indexOf('=') + 1).split(',');
    const QRect frame = frameOf(window);
    if (sides.size() != 4 || !frame.isValid())
        return frame;
    return frame.adjusted(-sides[0].trimmed().toInt(), -sides[2].trimmed().toInt(), sides[1].trimmed().toInt(),
                          sides[3].trimmed().toInt());
}

QList<QRect> TrayDesktop::visibleWindows(qint64 pid) const
{
    QList<QRect> frames;
    const QByteArray ids = run(QStringLiteral("xdotool"), {"search", "--onlyvisible", "--pid", QString::number(pid)});
    for (const QByteArray& id : ids.split('\n')) {
        if (id.trimmed().isEmpty())
            continue;
        const QRect frame = frameOf(id.trimmed());
        if (frame.isValid())
            frames << frame;
    }
    return frames;
}

std::optional<QRect> TrayDesktop::windowNamed(const QString& titlePattern) const
{
    const QByteArray ids = run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                                           QStringLiteral("--name"), titlePattern});
    for (const QByteArray& id : ids.split('\n')) {
        if (id.trimmed().isEmpty())
            continue;
        const QRect frame = frameOf(id.trimmed());
        if (frame.isValid())
            return frame;
    }
    return std::nullopt;
}

std::optional<QRect> TrayDesktop::waitForWindow(const QString& titlePattern) const
{
    std::optional<QRect> frame;
    poll([&] { return (frame = windowNamed(titlePattern)).has_value(); });
    return frame;
}

bool TrayDesktop::waitForNoWindow(const QString& titlePattern) const
{
    return poll([&] { return !windowNamed(titlePattern).has_value(); });
}

std::optional<QRect> TrayDesktop::trayIcon(qint64 pid) const
{
    const QRect tray = trayFrame();
    for (const QRect& frame : visibleWindows(pid)) {
        if (tray.contains(frame))
            return frame;
    }
    return std::nullopt;
}

QRect TrayDesktop::trayFrame() const
{
    const QList<QRect> frames = visibleWindows(trayer_.processId());
    QRect widest;
    for (const QRect& frame : frames) {
        if (frame.width() > widest.width())
            widest = frame;
    }
    return widest;
}

} // namespace vantel::test
