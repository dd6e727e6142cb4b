#include "hotkeys/HotKeyManager.h"

#include "config/Configuration.h"
#include "datastore/DataStorage.h"
#include "datastore/HotkeyCharacters.h"
#include "datastore/TagManager.h"
#include "hotkeys/HotKeyActions.h"
#include "hotkeys/HotKeyCenter.h"
#include "hotkeys/Keymap.h"
#include "model/IconTagChangedNotifyObject.h"
#include "model/L10n.h"
#include "model/Logger.h"
#include "model/TableViewItemChangedNotifyObject.h"
#include "platform/MainQueue.h"

namespace vantel {

using platform::LogType;
using Category = Configuration::SidebarCategory;

namespace {

struct CategoryRow {
    Category category;
    const char* caseName;
    int selectionType;
    const QString& (*title)();
};

// In the order they are registered.
constexpr CategoryRow categories[] = {
    {Category::files, "allFiles", 1, &L10n::All_Files},
    {Category::folders, "allFolders", 2, &L10n::All_Folders},
    {Category::urls, "allURLs", 4, &L10n::All_URLs},
    {Category::recentApplications, "lastUsedApplications", 6, &L10n::lastUsedApplications},
    {Category::activeApplications, "openApplications", 7, &L10n::openApplications},
    {Category::favorites, "allFavorites", 3, &L10n::All_Favorites},
    {Category::shortcuts, "shortcuts", 5, &L10n::Shortcuts},
};

// The hotkey overview's heading and row, in one line.
QString overviewWording(const QString& heading, const QString& row)
{
    return heading + QStringLiteral(": ") + row;
}

QString typeDescription(std::optional<HotKeyType> type)
{
    if (!type)
        return QStringLiteral("nil");
    return QStringLiteral("Optional(Vantel.HotKeyType.%1)").arg(HotKeyTypeInfo::rawValue(*type));
}

QString describe(const HotKeyPtr& hotKey)
{
    return hotKey->keyCombo().displayString() + QStringLiteral(" -> ") + hotKey->identifier();
}

} // namespace

HotKeyManager& HotKeyManager::shared()
{
    static HotKeyManager* const instance
        = new HotKeyManager(DataStorage::shared(), Configuration::shared(), HotKeyCenter::shared());
    return *instance;
}

HotKeyManager::HotKeyManager(DataStorage& storage, Configuration& configuration, HotKeyCenter& center)
    : storage_(storage)
    , configuration_(configuration)
    , center_(center)
{
    // The configuration list sorts hotkeys by what they type in the selected
    // layout; the layout service lives on the main thread.
    setHotkeyCharactersProvider([](const KeyCombo& combo) {
        return platform::MainQueue::isMainThread() ? combo.characters() : usLayoutCharacters(combo);
    });
    auto& notifications = platform::NotificationCenter::defaultCenter();
    const auto handler = [this](const platform::Notification& notification) { itemChanged(notification); };
    tableViewItemChanged_ = notifications.addObserver(QStringLiteral("tableViewItemChanged"), handler);
    iconTagChanged_ = notifications.addObserver(QStringLiteral("iconTagChanged"), handler);
    validateTagHotkeyNeeded_ = notifications.addObserver(QStringLiteral("validateTagHotkeyNeeded"), handler);
    // An import replaced entries, tags and settings at once: the old hotkeys
    // must not fire on, the imported ones must.
    importDataFinished_ = notifications.addObserver(
        QStringLiteral("importDataFinished"), [this](const platform::Notification&) { registerAllHotKeys(); }, &storage_);
    // The desktop portal may refuse a combination after it was registered.
    center_.setTakenHandler([this](const HotKeyPtr& hotKey) {
        VLOG(Logger::hotkeys(), LogType::Fault, "  Failed register Hotkey in HotKeyCenter: %{public}@",
             describe(hotKey));
        taken_.insert(hotKey->identifier());
    });
}

HotKeyManager::~HotKeyManager()
{
    center_.setTakenHandler({});
}

void HotKeyManager::registerHotKeys(std::optional<HotKeyType> type)
{
    VLOG(Logger::hotkeys(), LogType::Default, "# Register Hotkeys for KeyType: %{public}@", typeDescription(type));
    center_.unregisterHotKeys(type);
    if (!type) {
        VLOG(Logger::hotkeys(), LogType::Error, "registerHotKeys -> No valid keyType provided: %{public}@",
             typeDescription(type));
        return;
    }
    const auto make = [this](const QString& identifier, const KeyCombo& combo, HotKeyType kind,
                             std::optional<QString> path, auto action, QString description, QString owner = {}) {
        auto hotKey = HotKey::create(identifier, combo, HotKey::ActionQueue::main,
                                     [this, action](const HotKeyPtr& fired) { action(*this, fired); });
        hotKey->setHotkeyType(kind);
        hotKey->setHotkeyReferencedPath(std::move(path));
        hotKey->setDescription(std::move(description));
        hotKey->setOwnerName(std::move(owner));
        return hotKey;
    };
    switch (*type) {
    case HotKeyType::userDefinedKey:
        for (const TableViewItemPtr& entry : storage_.allData()->snapshot()) {
            const auto combo = entry->hotkey();
            if (!entry->isVisible() || !combo)
                continue;
            registerHotKey(make(QStringLiteral("userDefinedKey :: ") + entry->path(), *combo, HotKeyType::userDefinedKey,
                                entry->path(), HotKeyActions::entryHotKeyAction,
                                overviewWording(L10n::hotkeyOverviewEntry(), entry->name()), entry->name()));
        }
        break;
    case HotKeyType::globalHotKey: {
        const auto combo = configuration_.globalKeyCombo();
        if (!combo || center_.containsKeyCombo(*combo))
            break;
        registerHotKey(make(QStringLiteral("globalHotKey"), *combo, HotKeyType::globalHotKey, std::nullopt,
                            HotKeyActions::globalHotKeyAction, L10n::hotkeyOverviewGlobalHotkey()));
        break;
    }
    case HotKeyType::tagKey:
    case HotKeyType::tagKeyLaunchAll: {
        const bool launchAll = *type == HotKeyType::tagKeyLaunchAll;
        const QString prefix = launchAll ? QStringLiteral("tagKeyLaunchAll :: ") : QStringLiteral("tagKey :: ");
        for (const iconTagPtr& tag : storage_.tagManager().allVisibleTags()->snapshot()) {
            const auto combo = launchAll ? tag->hotkeyLaunchAll() : tag->hotkey();
            if (!combo)
                continue;
            registerHotKey(make(prefix + tag->tagName(), *combo, *type, tag->tagName(),
                                launchAll ? HotKeyActions::tagLaunchAllHotKeyAction : HotKeyActions::tagHotKeyAction,
                                overviewWording(launchAll ? L10n::hotkeyOverviewTagLaunchAll()
                                                          : L10n::hotkeyOverviewTagView(),
                                                tag->tagName()),
                                tag->tagName()));
        }
        break;
    }
    case HotKeyType::categoryKey:
        registerCategories();
        break;
    }
}

void HotKeyManager::registerAllHotKeys()
{
    center_.unregisterAll();
    taken_.clear();
    for (HotKeyType type : {HotKeyType::categoryKey, HotKeyType::tagKey, HotKeyType::tagKeyLaunchAll,
                            HotKeyType::userDefinedKey, HotKeyType::globalHotKey})
        registerHotKeys(type);
}

void HotKeyManager::registerCategories()
{
    for (const CategoryRow& row : categories) {
        if (!configuration_.sidebarCategoriesShow(row.category))
            continue;
        const auto combo = configuration_.globalKeyComboCategories(row.category);
        if (!combo)
            continue;
        const int selection = row.selectionType;
        auto hotKey = HotKey::create(QStringLiteral("categoryKey :: ") + QLatin1String(row.caseName), *combo,
                                     HotKey::ActionQueue::main, [this, selection](const HotKeyPtr& fired) {
                                         HotKeyActions::categoryHotKeyAction(*this, selection, fired);
                                     });
        hotKey->setHotkeyType(HotKeyType::categoryKey);
        hotKey->setDescription(overviewWording(L10n::hotkeyOverviewCategory(), row.title()));
        hotKey->setOwnerName(row.title());
        // Only a clash with our own hotkeys clears the setting: keys that
        // another program holds today say nothing about the user's choice.
        if (registerHotKeyWithOutcome(hotKey) == Outcome::sameCombination)
            configuration_.setGlobalKeyComboCategories(row.category, std::nullopt);
    }
}

bool HotKeyManager::registerHotKey(const HotKeyPtr& hotKey)
{
    return registerHotKeyWithOutcome(hotKey) == Outcome::registered;
}

HotKeyManager::Outcome HotKeyManager::registerHotKeyWithOutcome(const HotKeyPtr& hotKey)
{
    taken_.remove(hotKey->identifier());
    if (center_.containsKeyCombo(hotKey->keyCombo())) {
        VLOG(Logger::hotkeys(), LogType::Fault,
             "  Failed register Hotkey - another Hotkey has the same Key-Combination: %{public}@", describe(hotKey));
        return Outcome::sameCombination;
    }
    if (center_.registerHotKey(hotKey)) {
        VLOG(Logger::hotkeys(), LogType::Default, "  Registered Hotkey: %{public}@", describe(hotKey));
        return Outcome::registered;
    }
    VLOG(Logger::hotkeys(), LogType::Fault, "  Failed register Hotkey in HotKeyCenter: %{public}@", describe(hotKey));
    taken_.insert(hotKey->identifier());
    return Outcome::refusedBySystem;
}

void HotKeyManager::changeHotkeyReferencePath(const KeyCombo& keyCombo, const QString& path)
{
    if (center_.updateHotkeyReferencedPath(keyCombo, path))
        VLOG(Logger::hotkeys(), LogType::Default, "HotkeyReferencePath changed to: %{public}@", path);
    else
        VLOG(Logger::hotkeys(), LogType::Fault, "Failed to change HotkeyReferencePath: %{public}@", path);
}

void HotKeyManager::itemChanged(const platform::Notification& notification)
{
    if (const auto* item = std::any_cast<TableViewItemChangedNotifyObject>(&notification.object)) {
        if (item->reason == TableViewItemChangeReason::hotkeyChanged) {
            VLOG(Logger::hotkeys(), LogType::Default, "TableViewItem - Hotkey-Change detected for: %{public}@",
                 item->path);
            registerHotKeys(HotKeyType::userDefinedKey);
            return;
        }
    }
    if (notification.name == QLatin1String("validateTagHotkeyNeeded")) {
        VLOG(Logger::hotkeys(), LogType::Default, "validateTagHotkeyNeeded");
        registerHotKeys(HotKeyType::tagKeyLaunchAll);
        registerHotKeys(HotKeyType::tagKey);
        return;
    }
    const auto* tagChange = std::any_cast<IconTagChangedNotifyObject>(&notification.object);
    if (!tagChange)
        return;
    if (tagChange->reason == IconTagChangeReason::hotkeyChanged) {
        VLOG(Logger::hotkeys(), LogType::Default, "IconTag - Hotkey-Change detected for: %{public}@", tagChange->tagName);
        registerHotKeys(HotKeyType::tagKeyLaunchAll);
        registerHotKeys(HotKeyType::tagKey);
    } else if (tagChange->reason == IconTagChangeReason::nameChanged) {
        VLOG(Logger::hotkeys(), LogType::Default, "IconTag - Name-Change detected for: %{public}@", tagChange->tagName);
        const auto tag = storage_.tagManager().allVisibleTags()->firstItem(
            [&](const iconTagPtr& candidate) { return candidate && candidate->tagName() == tagChange->tagName; });
        if (!tag)
            return;
        // Both of the tag's hotkeys follow the new name.
        if (const auto combo = (*tag)->hotkey())
            changeHotkeyReferencePath(*combo, (*tag)->tagName());
        if (const auto combo = (*tag)->hotkeyLaunchAll())
            changeHotkeyReferencePath(*combo, (*tag)->tagName());
    }
}

} // namespace vantel
