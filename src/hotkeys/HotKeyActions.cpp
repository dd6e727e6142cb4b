#include "hotkeys/HotKeyActions.h"

#include "config/Configuration.h"
#include "datastore/DataStorage.h"
#include "datastore/TagManager.h"
#include "hotkeys/HotKeyManager.h"
#include "model/Logger.h"
#include "model/MainViewServices.h"

#include <QTextBoundaryFinder>

namespace vantel {

using platform::LogType;

namespace {

// Pause first, then the main view's digit keys.
bool givesWay(HotKeyManager& manager, const HotKeyPtr& hotKey)
{
    if (manager.hotkeysPaused()) {
        VLOG(Logger::hotkeys(), LogType::Info, "Want to execute hotkey but hotkeys are currently paused");
        return true;
    }
    if (HotKeyActions::isHandledByMainWindow(manager, hotKey->keyCombo())) {
        VLOG(Logger::hotkeys(), LogType::Info, "Want to execute hotkey but the hotkey is handled by the MainWindow");
        return true;
    }
    return false;
}

// The visible tag the hotkey names; logs why when there is none.
std::optional<QString> referencedTag(HotKeyManager& manager, const HotKeyPtr& hotKey)
{
    const auto name = hotKey->hotkeyReferencedPath();
    if (!name) {
        VLOG(Logger::hotkeys(), LogType::Error, "Want to execute hotkey but the hotkey has no ReferencePath!");
        return std::nullopt;
    }
    const auto index = manager.storage().tagManager().allVisibleTags()->firstIndex(TagManager::tagNameMatches(*name));
    if (!index) {
        VLOG(Logger::hotkeys(), LogType::Error, "Want to execute hotkey but got no valid TagIndex!");
        return std::nullopt;
    }
    return name;
}

bool mainViewIsUp()
{
    const auto mainView = MainViewServices::shared();
    return mainView && mainView->mainWindowState() >= MainViewServices::Popover;
}

struct CategoryAction {
    int selectionType;
    Configuration::SidebarCategory setting;
    bool (DataStorage::*hasData)() const;
    const char* noData;
    const char* disabled;
};

const CategoryAction categoryActions[] = {
    {1, Configuration::SidebarCategory::files, &DataStorage::allDataContainsFiles,
     "Want to execute hotkey to show all files but allData contains no files!",
     "Want to execute hotkey to show all files but the sidebars category is disabled in the settings!"},
    {2, Configuration::SidebarCategory::folders, &DataStorage::allDataContainsFolders,
     "Want to execute hotkey to show all folders but allData contains no folders!",
     "Want to execute hotkey to show all folders but the sidebars category is disabled in the settings!"},
    {3, Configuration::SidebarCategory::favorites, &DataStorage::allDataContainsFavorites,
     "Want to execute hotkey to show favorites but allData contains no favorites!",
     "Want to execute hotkey to show favorites but the sidebars category is disabled in the settings!"},
    {4, Configuration::SidebarCategory::urls, &DataStorage::allDataContainsURLs,
     "Want to execute hotkey to show all urls but allData contains no urls!",
     "Want to execute hotkey to show all urls but the sidebars category is disabled in the settings!"},
    {5, Configuration::SidebarCategory::shortcuts, &DataStorage::allDataContainsShortcuts,
     "Want to execute hotkey to show shortcuts but allData contains no shortcuts!",
     "Want to execute hotkey to show shortcuts but the sidebars category is disabled in the settings!"},
    {6, Configuration::SidebarCategory::recentApplications, nullptr, nullptr,
     "Want to execute hotkey to show recent applications but the sidebars category is disabled in the settings!"},
    {7, Configuration::SidebarCategory::activeApplications, nullptr, nullptr,
     "Want to execute hotkey to show active applications but the sidebars category is disabled in the settings!"},
};

} // namespace

bool HotKeyActions::containsAnyCharacter(const QString& allowed, const QString& text)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    for (qsizetype end = finder.toNextBoundary(); end != -1; end = finder.toNextBoundary()) {
        if (allowed.contains(text.mid(start, end - start)))
            return true;
        start = end;
    }
    return false;
}

bool HotKeyActions::isHandledByMainWindow(HotKeyManager& manager, const KeyCombo& keyCombo)
{
    const QString characters = keyCombo.keyCharacters();
    const CocoaModifierFlags flags = keyCombo.cocoaModifiers();
    const bool hasDigit = containsAnyCharacter(QStringLiteral("123456789"), characters);
    bool isNumber = false;
    int number = characters.toInt(&isNumber);
    if (characters.isEmpty() || !isNumber)
        number = 100;
    const int index = number - 1;
    if (!mainViewIsUp())
        return false;
    const auto mainView = MainViewServices::shared();
    if (!mainView || !mainView->isApplicationActive() || !hasDigit
        || (flags != 0 && flags != ModifierFlags::command))
        return false;
    if (index < 0 || index > 8)
        return false;
    const EntryArray::Ptr shown = manager.storage().currentData();
    const auto entry = shown ? shown->at(index) : std::nullopt;
    if (!entry || !*entry)
        return false;
    (*entry)->execute();
    return true;
}

void HotKeyActions::tagHotKeyAction(HotKeyManager& manager, const HotKeyPtr& hotKey)
{
    if (givesWay(manager, hotKey))
        return;
    const auto tagName = referencedTag(manager, hotKey);
    if (!tagName)
        return;
    VLOG(Logger::hotkeys(), LogType::Default, "Tag Hotkey executed for: %{public}@", *tagName);
    const auto windows = MainViewServices::shared();
    if (!windows)
        return;
    windows->mainWindowShow();
    if (mainViewIsUp())
        if (const auto controller = windows->viewControllerMain())
            controller->selectItemWithTagName(*tagName);
}

void HotKeyActions::tagLaunchAllHotKeyAction(HotKeyManager& manager, const HotKeyPtr& hotKey)
{
    if (givesWay(manager, hotKey))
        return;
    const auto tagName = referencedTag(manager, hotKey);
    if (!tagName)
        return;
    VLOG(Logger::hotkeys(), LogType::Default, "LaunchAll Hotkey executed for: %{public}@", *tagName);
    manager.storage().launchAllEntriesOfTag(*tagName);
}

void HotKeyActions::categoryHotKeyAction(HotKeyManager& manager, int selectionType, const HotKeyPtr& hotKey)
{
    const CategoryAction* action = nullptr;
    for (const CategoryAction& candidate : categoryActions)
        if (candidate.selectionType == selectionType)
            action = &candidate;
    if (!action || givesWay(manager, hotKey))
        return;
    if (action->hasData && !(manager.storage().*(action->hasData))()) {
        VLOG(Logger::hotkeys(), LogType::Info, "%{public}@", QString::fromLatin1(action->noData));
        return;
    }
    if (!manager.configuration().sidebarCategoriesShow(action->setting)) {
        VLOG(Logger::hotkeys(), LogType::Info, "%{public}@", QString::fromLatin1(action->disabled));
        return;
    }
    const auto windows = MainViewServices::shared();
    if (!windows)
        return;
    windows->mainWindowShow();
    const auto controller = windows->viewControllerMain();
    if (!mainViewIsUp() || !controller)
        return;
    controller->selectItemWithSelectionType(action->selectionType);
}

void HotKeyActions::globalHotKeyAction(HotKeyManager& manager, const HotKeyPtr&)
{
    if (manager.hotkeysPaused()) {
        VLOG(Logger::hotkeys(), LogType::Info, "Want to execute hotkey but hotkeys are currently paused");
        return;
    }
    VLOG(Logger::hotkeys(), LogType::Default, "Global Hotkey executed");
    VLOG(platform::Log::defaultHandle(), LogType::Default, "switchMainWindow in AppDelegate executed");
    if (const auto windows = MainViewServices::shared())
        windows->switchMainWindow();
}

void HotKeyActions::entryHotKeyAction(HotKeyManager& manager, const HotKeyPtr& hotKey)
{
    if (givesWay(manager, hotKey))
        return;
    const auto path = hotKey->hotkeyReferencedPath();
    if (!path) {
        VLOG(Logger::hotkeys(), LogType::Error, "Want to execute hotkey but the hotkey has no ReferencePath!");
        return;
    }
    // The exact path first: on a case-sensitive file system "/x/Foo" and
    // "/x/foo" are two entries. Then the path whatever its case.
    const EntryArray::Ptr& all = manager.storage().allData();
    std::optional<TableViewItemPtr> entry;
    if (!path->isEmpty()) {
        entry = all->firstItem([&](const TableViewItemPtr& candidate) { return candidate && candidate->path() == *path; });
        if (!entry) {
            const QString lowered = path->toLower();
            entry = all->firstItem(
                [&](const TableViewItemPtr& candidate) { return candidate && candidate->pathLowercased() == lowered; });
        }
    }
    if (!entry) {
        VLOG(Logger::hotkeys(), LogType::Error, "Want to execute hotkey but the entry referenced by the hotkey is invalid");
        return;
    }
    VLOG(Logger::hotkeys(), LogType::Default, "Entry Hotkey executed for: %{public}@", *path);
    (*entry)->execute();
}

} // namespace vantel
