#pragma once

#include <QString>
#include <QStringList>

namespace vantel {

namespace platform {
class Bundle;
}

// Where the file manager's "Open with Vantel" comes from. An installed
// program whose desktop file lies in a data folder the desktop reads leaves
// the user's folder alone: the installed file serves. Any other program (the
// build tree, a prefix the desktop does not read) writes the user's desktop
// file naming itself, as ApplicationDesktopFile does. Runs once at launch, on
// the main thread.
class OpenWithRegistration {
public:
    enum class Source { installedFile, userFile };

    // For `program`, when the desktop reads the data folders `dataFolders`
    // (the user's first, then the system's).
    static Source sourceFor(const platform::Bundle& program, const QStringList& dataFolders);

    // The launch step: decides for the running program and the session's
    // data folders, then writes the user's file or leaves it.
    static Source registerRunningProgram();

    // Removes the user's desktop file at `path` when it holds exactly what
    // Vantel writes for the program it names, so that a copy left by an
    // earlier build-tree run does not hide the installed file. A file the
    // user changed stays. True when it was removed.
    static bool removeOwnUserFile(const QString& path);
};

} // namespace vantel
