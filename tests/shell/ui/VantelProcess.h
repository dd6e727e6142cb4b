#pragma once

#include "support/TestSupport.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <QRect>

#include <chrono>
#include <functional>
#include <optional>

namespace vantel::test {

// The built program in a child process with a home of its own (XDG folders
// inside `home`), debug logging switched on in its settings so that its log
// lines show on stderr.
class VantelProcess {
public:
    explicit VantelProcess(const QString& home);
    ~VantelProcess();

    static QString executable();
    // Runs `program` instead of the built one (an installed copy).
    void setProgram(const QString& program) { program_ = program; }
    // Writes the settings file the child reads, with debugLogging on.
    static void prepareHome(const QString& home);
    static QString settingsPath(const QString& home);
    static QProcessEnvironment environment(const QString& home);

    // Where the test runs as root, the child runs as nobody, who owns the
    // home from now on: permissions then stop it as they stop a user.
    void runUnprivileged();
    // The same for any child process of the test.
    static void runUnprivileged(QProcess& process, const QString& home);

    void start(const QStringList& arguments = {});
    // Reads stderr until the text shows or the time is up.
    bool waitForOutput(const QByteArray& text, std::chrono::milliseconds timeout = longWait);
    bool waitForFinished(std::chrono::milliseconds timeout = longWait);
    void signal(int number);

    QProcess& process() { return process_; }
    QByteArray output();
    // stderr lines that are log lines, without their prefix.
    QStringList logMessages();
    // How many log messages match `pattern` now, after reading what is waiting.
    qsizetype logCount(const QString& pattern);
    // Until `count` log messages match `pattern`, or the time is up.
    bool waitForLog(const QString& pattern, qsizetype count = 1, std::chrono::milliseconds timeout = longWait);

private:
    QString home_;
    QString program_ = executable();
    QProcess process_;
    QByteArray output_;
};

// The one copy of `file` that a refused save kept beside it, or none.
QString keptCopyOf(const QString& file);
// `write` makes the file beside `file`, which is then renamed over it, as a
// sync tool does.
void putInPlace(const QString& file, const std::function<void(const QString&)>& write);

// Asks `condition` every 50 ms (it may run X tools) until it holds or the time is up.
bool poll(const std::function<bool()>& condition, std::chrono::milliseconds timeout = longWait);

// A private X server (Xvfb -noreset on a free display) with trayer as the
// tray host, and the X tools to drive and look at it.
class TrayDesktop {
public:
    TrayDesktop() = default;
    TrayDesktop(const TrayDesktop&) = delete;
    TrayDesktop& operator=(const TrayDesktop&) = delete;
    ~TrayDesktop();

    // False, with the reason, where a tool is missing or does not come up.
    // Without `withTray` the desktop has no tray until startTray().
    bool start(QString* why, bool withTray = true);
    bool startTray(QString* why);
    // openbox on this display, still running a second later.
    bool startWindowManager(QString* why);
    QString display() const { return display_; }
    // The system's environment with this display.
    QProcessEnvironment environment() const;
    // Points a Vantel child at this display with the real X platform.
    void attach(VantelProcess& vantel, const QString& home) const;

    // Runs an X tool on this display; its standard output.
    QByteArray run(const QString& program, const QStringList& arguments) const;
    void click(const QPoint& at, int button) const;
    // Keys by xdotool's names, pressed in turn; 12 ms apart is xdotool's own pace.
    void keys(const QStringList& sequence, std::chrono::milliseconds between = std::chrono::milliseconds(12)) const;
    // Types the text, 40 ms a character.
    void type(const QString& text) const;
    // Gives the keyboard to the first visible window whose title matches.
    void focus(const QString& titlePattern) const;
    // The root window as a PNG in the test's output folder.
    QImage screenshot(const QString& name) const;

    // The frames of the mapped windows of a process, by window.
    QList<QRect> visibleWindows(qint64 pid) const;
    // A mapped window's area without the window manager's decoration, by
    // its id as xdotool prints it; empty when it is not mapped.
    QRect frameOf(const QByteArray& window) const;
    // The same with the window manager's decoration around it, as the user
    // sees the window (_NET_FRAME_EXTENTS).
    QRect decoratedFrameOf(const QByteArray& window) const;
    // trayer's panel.
    QRect trayFrame() const;
    // The window of the process that sits in the tray: its status item.
    std::optional<QRect> trayIcon(qint64 pid) const;
    // The frame of a visible window whose title matches the pattern
    // (xdotool's: a POSIX pattern, found anywhere in the title).
    std::optional<QRect> windowNamed(const QString& titlePattern) const;
    // The same, waited for; and the window gone.
    std::optional<QRect> waitForWindow(const QString& titlePattern) const;
    bool waitForNoWindow(const QString& titlePattern) const;
    // Ends the X server, as the end of a session without a session manager
    // does: every client loses its display.
    void stopServer();

private:
    QProcess xvfb_;
    QProcess trayer_;
    QProcess windowManager_;
    QString display_;
};

} // namespace vantel::test
