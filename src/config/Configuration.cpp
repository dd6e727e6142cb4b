#include "config/Configuration.h"

#include "platform/Log.h"
#include "platform/UserDefaults.h"

namespace vantel {

Configuration::Configuration()
    : launchedBefore_(platform::UserDefaults::standard().boolForKey(QStringLiteral("launchedBefore")))
{
    platform::Log::setDebugLogging(false);
}

void Configuration::setDebugLogging(bool on)
{
    debugLogging_.store(on, std::memory_order_relaxed);
    platform::Log::setDebugLogging(on);
}

QString Configuration::alternateFolderBrowser() const
{
    std::lock_guard lock(textMutex_);
    return alternateFolderBrowser_;
}

void Configuration::setAlternateFolderBrowser(const QString& path)
{
    std::lock_guard lock(textMutex_);
    alternateFolderBrowser_ = path;
}

QStringList Configuration::customSpotlightSearchScope() const
{
    std::lock_guard lock(textMutex_);
    return customSpotlightSearchScope_;
}

void Configuration::setCustomSpotlightSearchScope(const QStringList& paths)
{
    std::lock_guard lock(textMutex_);
    customSpotlightSearchScope_ = paths;
}

} // namespace vantel
