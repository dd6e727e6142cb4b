#pragma once

#include <QString>

namespace vantel {

namespace platform {
class Bundle;
}

// The "open at log-in" switch: the login item is an XDG autostart entry,
// $XDG_CONFIG_HOME/autostart/net.tarnwick.vantelLauncher.desktop, whose Exec
// is the launcher of the running program: inside its application bundle, or
// beside an installed program's private files. Nothing is cached: every read
// looks at the file, every write changes it (through the safe write) or
// removes it. A failed write is logged and its reason returned, for a switch
// whose user waits for it; the next read shows the real state.
class AutoLaunchManager {
public:
    // The launcher's bundle identifier, which also names the login item.
    static inline const QString launcherBundleIdentifier = QStringLiteral(VANTEL_BUNDLE_ID "Launcher");

    // On when the entry exists, is an application entry that is neither
    // hidden nor disabled, and its Exec starts an existing launcher
    // executable. Every missing or unreadable piece reads off.
    static bool launchAtLoginEnabled();
    // Registers the launcher of the running program, or removes the login
    // item. Empty on success, else why it failed.
    static QString setLaunchAtLoginEnabled(bool enabled);
    // The same with the launcher executable given.
    static QString setLaunchAtLoginEnabled(bool enabled, const QString& launcherPath);

    static QString loginItemPath();
    // <bundle>/Contents/Library/LoginItems/VantelLauncher.app/Contents/MacOS/VantelLauncher
    static QString launcherExecutablePath(const QString& applicationBundlePath);
    // The launcher that belongs to `program`: the one in its bundle, or the
    // installed one of its prefix.
    static QString launcherExecutablePath(const platform::Bundle& program);

};

} // namespace vantel
