#pragma once

#include <QString>

#include <optional>

namespace vantel {

// The desktop file that offers "Open with Vantel" in the file managers' lists
// of applications: $XDG_DATA_HOME/applications/net.tarnwick.vantel.desktop,
// whose Exec= is the running program with %F. It claims no MIME type: GIO
// ranks a claim from the user's folder above every system handler, so any
// claim made Vantel the default opener of that type (folders, text files).
// Written through the safe write, and only when its content changed, so a
// launch does not touch the file (nor wake the desktop's watchers) when
// nothing moved.
class ApplicationDesktopFile {
public:
    static QString fileName() { return QStringLiteral(VANTEL_BUNDLE_ID ".desktop"); }
    // In the user's XDG data folder.
    static QString defaultPath();

    // The file's text for a program at `executablePath`; nullopt when the
    // path can't be written into an Exec= key (a control character).
    static std::optional<QString> contents(const QString& executablePath);

    enum class Outcome { written, unchanged, failed };
    static Outcome install(const QString& executablePath, const QString& path = defaultPath());
};

} // namespace vantel
