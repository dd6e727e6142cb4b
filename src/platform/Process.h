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

    // A program to start and leave running.
    struct Start {
        QString program;          // a path, or a name looked up in the PATH of `environment`
        QStringList arguments;    // after the program's own name
        QStringList environment;  // "NAME=value": the program's whole environment
        QString workingDirectory; // empty, or one that can't be entered: ours
        // When set, this variable holds the program's own process id.
        QByteArray processIdVariable;
    };

    // Starts the program and returns as soon as its exec went through or
    // failed, never waiting for its end; it runs under an intermediate
    // process that ends at once, so no child is left to reap. Standard input
    // is empty, output and errors are ours, no other descriptor is inherited,
    // signal dispositions and mask start out at their defaults. 0 when the
    // program runs, else the errno of its exec (ENOENT also for a missing
    // interpreter, EACCES, ENOEXEC: a file without "#!" is not handed to a
    // shell) or of the fork.
    static int start(const Start& start);
};

} // namespace vantel::platform
