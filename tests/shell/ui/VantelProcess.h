#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <chrono>

namespace vantel::test {

// The built program in a child process with a home of its own (XDG folders
// inside `home`), debug logging switched on in its settings so that its log
// lines show on stderr.
class VantelProcess {
public:
    explicit VantelProcess(const QString& home);
    ~VantelProcess();

    static QString executable();
    // Writes the settings file the child reads, with debugLogging on.
    static void prepareHome(const QString& home);
    static QProcessEnvironment environment(const QString& home);

    void start(const QStringList& arguments = {});
    // Reads stderr until the text shows or the time is up.
    bool waitForOutput(const QByteArray& text, std::chrono::milliseconds timeout = std::chrono::seconds(20));
    bool waitForFinished(std::chrono::milliseconds timeout = std::chrono::seconds(20));
    void signal(int number);

    QProcess& process() { return process_; }
    QByteArray output();
    // stderr lines that are log lines, without their prefix.
    QStringList logMessages();

private:
    QString home_;
    QProcess process_;
    QByteArray output_;
};

} // namespace vantel::test
