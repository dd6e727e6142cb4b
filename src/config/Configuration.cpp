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

std::optional<KeyCombo> Configuration::globalKeyCombo() const
{
    return readLocked(globalKeyCombo_);
}

void Configuration::setGlobalKeyCombo(const std::optional<KeyCombo>& combo)
{
    exchangeLocked(globalKeyCombo_, combo);
}

bool Configuration::sidebarCategoriesShow(SidebarCategory category) const
{
    return sidebarCategoriesShow_[static_cast<std::size_t>(category)].load();
}

void Configuration::setSidebarCategoriesShow(SidebarCategory category, bool on)
{
    sidebarCategoriesShow_[static_cast<std::size_t>(category)].store(on);
}

std::optional<KeyCombo> Configuration::globalKeyComboCategories(SidebarCategory category) const
{
    return readLocked(globalKeyComboCategories_[static_cast<std::size_t>(category)]);
}

void Configuration::setGlobalKeyComboCategories(SidebarCategory category, const std::optional<KeyCombo>& combo)
{
    exchangeLocked(globalKeyComboCategories_[static_cast<std::size_t>(category)], combo);
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
