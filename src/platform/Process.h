#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <chrono>

namespace vantel::platform {

// Runs a program to its end and hands back what it wrote. Blocks the calling
// thread, which may be any thread; needs no event loop.
class Process {
public:
    struct Result {
        bool launched = false;      // false: the program could not be started (see errorDescription)
        int exitStatus = -1;        // the exit code, or the signal number when `crashed`
        bool crashed = false;       // ended by a signal (also when killed after the timeout)
        bool timedOut = false;
        QByteArray standardOutput;
        QByteArray standardError;
        QString errorDescription;   // empty when the program ran and exited by itself
    };

    // Both pipes are read to the end concurrently, so large outputs never
    // stall the child. With a non-negative timeout the child (and the process
    // group it leads) is killed when the time is up. Standard input is empty.
    static Result run(const QString& executable, const QStringList& arguments,
                      std::chrono::milliseconds timeout = std::chrono::milliseconds(-1));
};

} // namespace vantel::platform
