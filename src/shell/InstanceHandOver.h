#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace vantel {

namespace platform {
class InstanceLock;
class SingleInstance;
} // namespace platform

// One Vantel per user. The first start listens on the single-instance socket;
// a later start hands its file and folder arguments to it (they become the
// main view's waiting files) or, without arguments, asks it to switch the
// main view, and then ends.
namespace InstanceHandOver {

// What the command line asks for. With an exit code the program prints
// `output` (standard output) and `errors` (standard error) and ends with it;
// without one it runs, or hands `paths` to the running instance.
struct CommandLine {
    std::optional<int> exitCode;
    QString output;
    QString errors;
    QStringList paths;
};

// Reads the program's arguments (the program itself first, Qt's own options
// already taken out): --help and --version print and end; every other
// argument is a file or folder, made absolute against `currentDirectory`,
// and one that does not exist refuses the whole command line, before any
// instance is asked.
CommandLine parseCommandLine(const QStringList& arguments, const QString& currentDirectory);

// The paths among the program's arguments (without the program itself),
// made absolute against `currentDirectory`; file URLs become their paths,
// empty arguments are dropped.
QStringList handedPaths(const QStringList& arguments, const QString& currentDirectory);

// Takes the socket and the lock of the settings, or hands the request to the
// instance that holds the socket. None: this process is the running instance
// now (when the socket can't be had at all, it runs on the lock alone); a
// value: the exit code this process ends with, after the hand-over, or at
// once when another process holds the lock and can't be reached.
std::optional<int> claimOrHandOver(platform::SingleInstance& instance, platform::InstanceLock& lock,
                                   const QStringList& paths);

// For a start that finds no display: it can't be the running instance, so
// it hands `paths` (or a toggle of the main view) to the one that runs, or
// says that it needs a display (`missingDisplay` tells why there is none).
// The exit code this process ends with.
int handOverWithoutDisplay(const QString& socketPath, const QStringList& paths, const QString& missingDisplay);

// Routes the running instance's requests to the delegate: files to the
// Services provider, a toggle to the main view.
void connectRequests(platform::SingleInstance& instance);

} // namespace InstanceHandOver

} // namespace vantel
