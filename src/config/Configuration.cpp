#include "config/Configuration.h"

#include "model/IconTagChangedNotifyObject.h"
#include "model/L10n.h"
#include "model/Logger.h"
#include "model/TableViewItemChangedNotifyObject.h"
#include "platform/Log.h"
#include "platform/MetadataQuery.h"
#include "platform/Timer.h"
#include "platform/UserDefaults.h"

namespace vantel {

namespace {

std::optional<QString> entryChangeReasonText(TableViewItemChangeReason reason)
{
    switch (reason) {
    case TableViewItemChangeReason::tagChanged:
        return QStringLiteral("TableViewItem: Tag changed");
    case TableViewItemChangeReason::commentChanged:
        return QStringLiteral("TableViewItem: Comment changed");
    case TableViewItemChangeReason::visibilityChanged:
        return QStringLiteral("TableViewItem: Visibility changed");
    case TableViewItemChangeReason::colorChanged:
        return QStringLiteral("TableViewItem: Color changed");
    case TableViewItemChangeReason::hotkeyChanged:
        return QStringLiteral("TableViewItem: Hotkey changed");
    case TableViewItemChangeReason::favoriteChanged:
        return QStringLiteral("TableViewItem: Favorite changed");
    case TableViewItemChangeReason::pathChanged:
    case TableViewItemChangeReason::nameChanged:
        break;
    }
    return std::nullopt;
}

std::optional<QString> tagChangeReasonText(IconTagChangeReason reason)
{
    switch (reason) {
    case IconTagChangeReason::colorChanged:
        return QStringLiteral("Tag: Color changed");
    case IconTagChangeReason::hotkeyChanged:
        return QStringLiteral("Tag: Hotkey changed");
    case IconTagChangeReason::symbolChanged:
        return QStringLiteral("Tag: Symbol changed");
    case IconTagChangeReason::visibilityChanged:
    case IconTagChangeReason::nameChanged:
        break;
    }
    return std::nullopt;
}

} // namespace

Configuration& Configuration::shared()
{
    static Configuration* const instance = new Configuration();
    return *instance;
}

Configuration::Configuration()
    : Configuration(platform::UserDefaults::standard())
{
}

Configuration::Configuration(platform::UserDefaults& defaults)
    : defaults_(defaults)
    , launchedBefore_(defaults.boolForKey(QStringLiteral("launchedBefore")))
{
    platform::Log::setDebugLogging(false);
    availableWindowStyles_ = {{L10n::text(QStringLiteral("mainWindowStyle_Popup")), 0},
                              {L10n::text(QStringLiteral("mainWindowStyle_Window")), 1}};
    availableClickTypes_ = {{L10n::text(QStringLiteral("mainWindowLaunch_withDoubleClick")), 0},
                            {L10n::text(QStringLiteral("mainWindowLaunch_withSingleClick")), 1}};
    availableMenubarIcons_ = {QStringLiteral("statusbar-1"), QStringLiteral("statusbar-2"),
                              QStringLiteral("statusbar-3"), QStringLiteral("statusbar-4")};
    registerObservers();
}

Configuration::~Configuration()
{
    for (auto& observer : observers_)
        observer.reset();
    std::shared_ptr<platform::Timer> timer;
    {
        std::lock_guard lock(mutex_);
        timer = std::move(saveConfigTimer_);
    }
    if (timer)
        timer->invalidate();
}

QString Configuration::keyForHotkeySlot(HotkeySlot slot)
{
    static const std::array<QString, hotkeySlotCount> keys{
        QStringLiteral("globalKeyCombo"),
        QStringLiteral("globalKeyComboCategoriesShowFiles"),
        QStringLiteral("globalKeyComboCategoriesShowFolders"),
        QStringLiteral("globalKeyComboCategoriesShowURLs"),
        QStringLiteral("globalKeyComboCategoriesShowRecentApplications"),
        QStringLiteral("globalKeyComboCategoriesShowActiveApplications"),
        QStringLiteral("globalKeyComboCategoriesShowFavorites"),
        QStringLiteral("globalKeyComboCategoriesShowShortcuts"),
    };
    return keys[std::size_t(slot)];
}

void Configuration::setDebugLogging(bool on)
{
    debugLogging_.store(on, std::memory_order_relaxed);
    platform::Log::setDebugLogging(on);
}

std::optional<KeyCombo> Configuration::keyCombo(HotkeySlot slot) const
{
    return readLocked(keyCombos_[std::size_t(slot)]);
}

void Configuration::setKeyCombo(HotkeySlot slot, const std::optional<KeyCombo>& combo)
{
    exchangeLocked(keyCombos_[std::size_t(slot)], combo);
}

QString Configuration::alternateFolderBrowser() const
{
    return readLocked(alternateFolderBrowser_);
}

void Configuration::setAlternateFolderBrowser(const QString& path)
{
    exchangeLocked(alternateFolderBrowser_, path);
}

QString Configuration::menubarIcon() const
{
    return readLocked(menubarIcon_);
}

void Configuration::setMenubarIcon(const QString& name)
{
    exchangeLocked(menubarIcon_, name);
}

QStringList Configuration::customSpotlightSearchScope() const
{
    return readLocked(customSpotlightSearchScope_);
}

void Configuration::setCustomSpotlightSearchScope(const QStringList& paths)
{
    exchangeLocked(customSpotlightSearchScope_, paths);
}

namespace {

Configuration::HotkeySlot slotOfCategory(Configuration::SidebarCategory category)
{
    using C = Configuration::SidebarCategory;
    using S = Configuration::HotkeySlot;
    switch (category) {
    case C::files: return S::categoriesShowFiles;
    case C::folders: return S::categoriesShowFolders;
    case C::urls: return S::categoriesShowURLs;
    case C::recentApplications: return S::categoriesShowRecentApplications;
    case C::activeApplications: return S::categoriesShowActiveApplications;
    case C::favorites: return S::categoriesShowFavorites;
    case C::shortcuts: return S::categoriesShowShortcuts;
    }
    return S::categoriesShowFiles;
}

} // namespace

template <class Self>
auto& Configuration::sidebarCategoryShowField(Self& self, SidebarCategory category)
{
    switch (category) {
    case SidebarCategory::files: return self.sidebarCategoriesShowFiles_;
    case SidebarCategory::folders: return self.sidebarCategoriesShowFolders_;
    case SidebarCategory::urls: return self.sidebarCategoriesShowURLs_;
    case SidebarCategory::recentApplications: return self.sidebarCategoriesShowRecentApplications_;
    case SidebarCategory::activeApplications: return self.sidebarCategoriesShowActiveApplications_;
    case SidebarCategory::favorites: return self.sidebarCategoriesShowFavorites_;
    case SidebarCategory::shortcuts: return self.sidebarCategoriesShowShortcuts_;
    }
    return self.sidebarCategoriesShowFiles_;
}

bool Configuration::sidebarCategoriesShow(SidebarCategory category) const
{
    return sidebarCategoryShowField(*this, category).load();
}

void Configuration::setSidebarCategoriesShow(SidebarCategory category, bool on)
{
    sidebarCategoryShowField(*this, category).store(on);
}

std::optional<KeyCombo> Configuration::globalKeyComboCategories(SidebarCategory category) const
{
    return keyCombo(slotOfCategory(category));
}

void Configuration::setGlobalKeyComboCategories(SidebarCategory category, const std::optional<KeyCombo>& combo)
{
    setKeyCombo(slotOfCategory(category), combo);
}

QStringList Configuration::spotlightDefaultSearchScope() const
{
    std::call_once(spotlightDefaultSearchScopeOnce_, [this] {
        VLOG(Logger::config(), platform::LogType::Default, "spotlightDefaultSearchScope:");
        QStringList result;
        for (const QString& path : platform::MetadataQuery::defaultSearchScopes()) {
            VLOG(Logger::config(), platform::LogType::Default, "   checking path: %{public}@", path);
            if (path.isEmpty() || result.contains(path))
                continue;
            VLOG(Logger::config(), platform::LogType::Default, "   validated and added path: %{public}@", path);
            result.append(path);
        }
        spotlightDefaultSearchScope_ = result;
    });
    return spotlightDefaultSearchScope_;
}

// ---- Debounced save ----

void Configuration::registerObservers()
{
    auto& center = platform::NotificationCenter::defaultCenter();
    observers_[0] = center.addObserver(QStringLiteral("tableViewItemChanged"), [this](const platform::Notification& n) {
        const auto* object = std::any_cast<TableViewItemChangedNotifyObject>(&n.object);
        if (!object || !object->reason)
            return;
        if (const auto reason = entryChangeReasonText(*object->reason))
            scheduleSaveConfig(*reason);
    });
    observers_[1] = center.addObserver(QStringLiteral("iconTagChanged"), [this](const platform::Notification& n) {
        const auto* object = std::any_cast<IconTagChangedNotifyObject>(&n.object);
        if (!object || !object->reason)
            return;
        if (const auto reason = tagChangeReasonText(*object->reason))
            scheduleSaveConfig(*reason);
    });
    observers_[2] = center.addObserver(QStringLiteral("datastorageFilesystemObjectAddedOrModified"),
                                       [this](const platform::Notification&) {
                                           scheduleSaveConfig(QStringLiteral("datastorageFilesystemObject: AddedOrModified"));
                                       });
    observers_[3] = center.addObserver(QStringLiteral("datastorageURLAddedOrModified"), [this](const platform::Notification&) {
        scheduleSaveConfig(QStringLiteral("datastorageURL: AddedOrModified"));
    });
}

void Configuration::scheduleSaveConfig(const QString& reason)
{
    // The timer lives on the main thread whoever posted the change, so a
    // change made on a worker is saved as well.
    auto timer = platform::Timer::scheduled(saveConfigInterval_, false, [this] { saveConfigWithTimer(); });
    std::shared_ptr<platform::Timer> previous;
    {
        std::lock_guard lock(mutex_);
        saveConfigTimerReason_ = reason;
        previous = std::exchange(saveConfigTimer_, timer);
    }
    if (previous)
        previous->invalidate();
}

void Configuration::saveConfigWithTimer()
{
    QString reason;
    {
        std::lock_guard lock(mutex_);
        reason = std::exchange(saveConfigTimerReason_, QString());
        saveConfigTimer_.reset();
    }
    VLOG(Logger::config(), platform::LogType::Default, "saveConfig with Timer. Last Trigger: %{public}@", reason);
    saveConfig(false);
}

bool Configuration::saveConfigPending() const
{
    std::lock_guard lock(mutex_);
    return saveConfigTimer_ && saveConfigTimer_->isValid();
}

QString Configuration::saveConfigTimerReason() const
{
    return readLocked(saveConfigTimerReason_);
}

void Configuration::saveConfigNow()
{
    std::shared_ptr<platform::Timer> timer;
    {
        std::lock_guard lock(mutex_);
        timer = saveConfigTimer_;
    }
    if (timer)
        timer->invalidate();
    saveConfigWithTimer();
}

void Configuration::setSaveInProgressLogged(bool on)
{
    saveInProgress_.store(on);
    VLOG(Logger::config(), platform::LogType::Default, "saveInProgress: %{public}@",
         on ? QStringLiteral("true") : QStringLiteral("false"));
}

} // namespace vantel
