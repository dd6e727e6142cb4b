#pragma once

#include <QString>

namespace vantel {

// The desktop file that makes file managers offer "Open with Vantel" for any
// file or folder: $XDG_DATA_HOME/applications/net.tarnwick.vantel.desktop,
// whose Exec= is the running program with %F. Written atomically, and only
// when its content changed, so a launch does not touch the file (nor wake
// the desktop's watchers) when nothing moved.
class ApplicationDesktopFile {
public:
    static QString fileName() { return QStringLiteral("net.tarnwick.vantel.desktop"); }
    // In the user's XDG data folder.
    static QString defaultPath();

    // The file's text for a program at `executablePath`.
    static QString contents(const QString& executablePath);
    // The executable quoted for an Exec= key (desktop entry rules: reserved
    // characters in double quotes, `"`, `` ` ``, `$` and `\` escaped, then
    // the string's own backslash escaping).
    static QString quotedExec(const QString& executablePath);

    enum class Outcome { written, unchanged, failed };
    static Outcome install(const QString& executablePath, const QString& path = defaultPath());
};

} // namespace vantel
