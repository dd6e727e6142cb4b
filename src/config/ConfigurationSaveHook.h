#pragma once

#include <QObject>

#include <memory>

class QGuiApplication;

namespace vantel {

namespace platform {
class UnixSignals;
}
class Configuration;

// Runs the debounced save at once when the process is told to end (SIGTERM,
// SIGINT) and when the session ends (log-out), so neither loses the changes
// of the last two minutes. Either source may be absent. Main thread; the
// hook must not outlive the configuration.
class ConfigurationSaveHook {
public:
    ConfigurationSaveHook(Configuration& config, platform::UnixSignals* unixSignals, QGuiApplication* application);
    ~ConfigurationSaveHook();
    ConfigurationSaveHook(const ConfigurationSaveHook&) = delete;
    ConfigurationSaveHook& operator=(const ConfigurationSaveHook&) = delete;

private:
    // Owns the connections: they end with the hook.
    std::unique_ptr<QObject> context_;
};

} // namespace vantel
