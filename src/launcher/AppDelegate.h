#pragma once

#include "platform/LogCategory.h"

#include <QString>

#include <functional>
#include <optional>

namespace vantel::VantelLauncher {

// The application's bundle identifier, a constant of the launcher.
inline const QString mainAppIdentifier = QStringLiteral("net.tarnwick.vantel");

// The launcher's log ("general"); its lines are written without a switch.
const platform::LogCategory& log();

// The login-item program: run at log-in, it opens the application unless it
// already runs, and quits. Everything it does happens once, on the main
// thread; it never waits for the application and never retries. What it asks
// of the system is in an Environment so that tests can stand in for it.
class AppDelegate {
public:
    struct Environment {
        // The launcher bundle (…/Vantel.app/Contents/Library/LoginItems/VantelLauncher.app).
        QString ownBundlePath;
        // Whether the application already runs.
        std::function<bool()> mainApplicationRuns;
        // Starts the application (a bundle, or the installed program) at the
        // path, detached; false when it could not be started.
        std::function<bool(const QString& applicationPath)> launchApplication;
        // Ends the program's event loop with the exit code.
        std::function<void(int exitCode)> terminate;
        // The prefix of an installed launcher (<prefix>/libexec/vantel/vantel-launcher);
        // empty for one in a bundle.
        QString installPrefix;
    };

    // The running launcher: its own bundle or install prefix, the
    // application's single-instance socket, the application started
    // detached, the Qt event loop.
    static Environment systemEnvironment();

    explicit AppDelegate(Environment environment = systemEnvironment());

    void applicationDidFinishLaunching();
    void applicationWillTerminate();

    void launchMainApplication();
    void quitLauncher();

    // The fourth ancestor of the launcher bundle: its path split at "/"
    // without empty pieces, less the last four, joined below "/". None when
    // the path has fewer than four pieces.
    static std::optional<QString> mainApplicationPath(const QString& ownBundlePath);
    // The application an installed launcher starts: the program of its own
    // prefix, <prefix>/bin/vantel.
    static QString installedApplicationPath(const QString& installPrefix);

    // 0 when the application runs or was started, 1 when it could not be.
    int exitCode() const { return exitCode_; }

private:
    Environment environment_;
    int exitCode_ = 0;
};

} // namespace vantel::VantelLauncher
