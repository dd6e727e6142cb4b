#include "config/Configuration.h"

#include "platform/Log.h"
#include "platform/MetadataQuery.h"
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
    return readLocked(alternateFolderBrowser_);
}

void Configuration::setAlternateFolderBrowser(const QString& path)
{
    exchangeLocked(alternateFolderBrowser_, path);
}

QStringList Configuration::customSpotlightSearchScope() const
{
    return readLocked(customSpotlightSearchScope_);
}

void Configuration::setCustomSpotlightSearchScope(const QStringList& paths)
{
    exchangeLocked(customSpotlightSearchScope_, paths);
}

QStringList Configuration::spotlightDefaultSearchScope() const
{
    std::call_once(spotlightDefaultSearchScopeOnce_, [this] {
        spotlightDefaultSearchScope_ = platform::MetadataQuery::defaultSearchScopes();
        spotlightDefaultSearchScope_.removeDuplicates();
    });
    return spotlightDefaultSearchScope_;
}

} // namespace vantel
