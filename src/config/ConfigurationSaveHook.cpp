#include "config/ConfigurationSaveHook.h"

#include "config/Configuration.h"
#include "model/Logger.h"
#include "platform/UnixSignals.h"

#include <QGuiApplication>
#include <QSessionManager>

namespace vantel {

ConfigurationSaveHook::ConfigurationSaveHook(Configuration& config, platform::UnixSignals* unixSignals,
                                             QGuiApplication* application)
    : context_(std::make_unique<QObject>())
{
    Configuration* target = &config;
    if (unixSignals) {
        // Emitted before the quit is asked for, so the save ends before the event loop does.
        QObject::connect(unixSignals, &platform::UnixSignals::quitRequested, context_.get(), [target](int signalNumber) {
            VLOG(Logger::config(), platform::LogType::Default, "saveConfig on signal %{public}@",
                 QString::number(signalNumber));
            target->saveConfigNow();
        });
    }
    if (application) {
        QObject::connect(application, &QGuiApplication::commitDataRequest, context_.get(), [target](QSessionManager&) {
            VLOG(Logger::config(), platform::LogType::Default, "saveConfig at the end of the session");
            target->saveConfigNow();
        });
    }
}

ConfigurationSaveHook::~ConfigurationSaveHook() = default;

} // namespace vantel
