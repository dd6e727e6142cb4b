// Writing the settings into the user defaults and reading them back.
#include "config/Configuration.h"
#include "config/StoredLists.h"
#include "config/UnreadableData.h"

#include "model/LocalizedStrings.h"
#include "model/Logger.h"
#include "platform/Dialogs.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/LoadAlerts.h"
#include "platform/NotificationCenter.h"
#include "platform/PropertyList.h"
#include "platform/UserDefaults.h"
#include "platform/UserFileRead.h"

#include <QFileInfo>

#include <cmath>

namespace vantel {

namespace {

// Shown under an alert's message: looked up when shown, not at start-up.
QString errorConfiguration()
{
    return localized("Error: Configuration");
}

void post(const char* name)
{
    platform::NotificationCenter::defaultCenter().post(QString::fromLatin1(name));
}

} // namespace

void Configuration::keepUnreadableValue(const QString& key, const QByteArray& data, const QString& message,
                                        const QString& informative, bool removeKey)
{
    const auto kept = UnreadableData::keep(data, key);
    // Found while loading: shown once the launch has ended.
    platform::LoadAlerts::report(message, informative + QLatin1Char('\n') + UnreadableData::whereKeptText(kept));
    if (!kept) {
        // The only copy stays where it is: nothing saves over it.
        protectedKeys_.insert(key);
        return;
    }
    if (removeKey)
        defaults_.removeObject(key);
}

bool Configuration::keepWrongTypedList(const QString& key, const QVariant& stored, const QString& message)
{
    const QString path = defaults_.filePath();
    const platform::UserFileRead read = platform::readUserFile(path, platform::UserDefaults::maximumFileSize);
    // Without the file on disk, the value itself in a file of its own.
    const QByteArray bytes = read.status == platform::UserFileRead::Status::ok
        ? read.data
        : platform::PropertyList::serialize(QVariantMap{{key, stored}});
    const auto kept = UnreadableData::keep(bytes, QFileInfo(path).fileName());
    const QString informative = errorConfiguration() + QLatin1Char('\n')
        + localized("\"%1\" in %2 held a value of the type %3, not a stored list.")
              .arg(key, path, QString::fromLatin1(stored.typeName()));
    platform::LoadAlerts::report(message, informative + QLatin1Char('\n') + UnreadableData::whereKeptText(kept));
    VLOG(Logger::config(), platform::LogType::Error, "%{public}@ is not data; the settings file kept as %{public}@", key,
         kept.value_or(QStringLiteral("nothing")));
    if (!kept)
        protectedKeys_.insert(key);
    return kept.has_value();
}

void Configuration::saveConfig(bool removeUnusedTags)
{
    VLOG(Logger::config(), platform::LogType::Default, "saveConfig");
    // Before the load the object holds defaults, not the user's settings:
    // writing them would replace what is stored.
    if (!configLoaded()) {
        VLOG(Logger::config(), platform::LogType::Error, "saveConfig skipped: the configuration was not loaded yet");
        return;
    }
    setSaveInProgressLogged(true);
    platform::UserDefaults& d = defaults_;

    if (!launchedBefore_ && firstRunShown_)
        d.setBool(true, QStringLiteral("launchedBefore"));

    d.setBool(neverRemindMeRemoveTagDialog(), QStringLiteral("neverRemindMe_RemoveTagDialog"));
    d.setBool(neverRemindMeRenameTagDialog(), QStringLiteral("neverRemindMe_RenameTagDialog"));
    d.setInteger(windowViewStyle(), QStringLiteral("windowViewStyle"));
    d.setInteger(clickType(), QStringLiteral("clickType"));
    d.setBool(mainPopoverAnimated(), QStringLiteral("mainPopoverAnimated"));
    d.setString(alternateFolderBrowser(), QStringLiteral("alternateFolderBrowser"));
    d.setStringArray(customSpotlightSearchScope(), QStringLiteral("customSpotlightSearchScope"));
    d.setBool(searchForComments(), QStringLiteral("searchForComments"));
    d.setBool(searchForTags(), QStringLiteral("searchForTags"));
    d.setBool(selectingTagsInMainWindowLaunchAll(), QStringLiteral("selectingTagsInMainWindowLaunchAll"));
    d.setBool(showPathInMainView(), QStringLiteral("showPathInMainView"));
    d.setBool(sidebarTagsCollapsed(), QStringLiteral("sidebarTagsCollapsed"));
    d.setBool(sidebarCategoriesCollapsed(), QStringLiteral("sidebarCategoriesCollapsed"));
    d.setBool(useSmallModeInMainView(), QStringLiteral("useSmallModeInMainView"));
    d.setString(menubarIcon(), QStringLiteral("menubarIcon"));
    d.setBool(selectTagsAndCategoriesOnHover(), QStringLiteral("selectTagsAndCategoriesOnHover"));
    d.setBool(sidebarCategoriesShowFiles(), QStringLiteral("sidebarCategoriesShowFiles"));
    d.setBool(sidebarCategoriesShowFolders(), QStringLiteral("sidebarCategoriesShowFolders"));
    d.setBool(sidebarCategoriesShowURLs(), QStringLiteral("sidebarCategoriesShowURLs"));
    d.setBool(sidebarCategoriesShowRecentApplications(), QStringLiteral("sidebarCategoriesShowRecentApplications"));
    d.setBool(sidebarCategoriesShowActiveApplications(), QStringLiteral("sidebarCategoriesShowActiveApplications"));
    d.setBool(sidebarCategoriesShowFavorites(), QStringLiteral("sidebarCategoriesShowFavorites"));
    d.setBool(sidebarCategoriesShowShortcuts(), QStringLiteral("sidebarCategoriesShowShortcuts"));
    d.setBool(sidebarCategoriesShowNumberOfElementInSidebar(),
              QStringLiteral("sidebarCategoriesShowNumberOfElementInSidebar"));
    d.setFloat(entryBackgroundAlphaValue(), QStringLiteral("entryBackgroundAlphaValue"));
    d.setBool(hotkeyBorder(), QStringLiteral("hotkeyBorder"));
    d.setBool(debugLogging(), QStringLiteral("debugLogging"));
    d.setBool(translucentBackgroundRight(), QStringLiteral("translucentBackgroundRight"));
    d.setString(MainWindowWidths::rawValue(mainWindowWidth()), QStringLiteral("mainWindowWidth"));
    d.setString(MainWindowHeights::rawValue(mainWindowHeight()), QStringLiteral("mainWindowHeight"));

    for (int slot = 0; slot < hotkeySlotCount; ++slot)
        saveKeyCombo(keyCombo(HotkeySlot(slot)), keyForHotkeySlot(HotkeySlot(slot)));

    if (const auto lists = StoredLists::shared())
        lists->save(*this, removeUnusedTags);

    // One atomic replacement of the file: a crash leaves the old or the new state.
    // Said once it is on disk, so a reader of the file knows when to read it.
    if (d.synchronize())
        VLOG(Logger::config(), platform::LogType::Default, "saveConfig: written to %{public}@", d.filePath());
    setSaveInProgressLogged(false);
}

void Configuration::loadConfig()
{
    platform::UserDefaults& d = defaults_;
    UnreadableData::removeWriteLeftovers();
    // A key the file does not hold loads the default of the field, so a first
    // run shows the categories, sizes and searches a new object has.
    const auto boolOr = [&d](const char* key, bool fallback) { return d.boolForKey(QString::fromLatin1(key), fallback); };

    setNeverRemindMeRemoveTagDialog(boolOr("neverRemindMe_RemoveTagDialog", false));
    setNeverRemindMeRenameTagDialog(boolOr("neverRemindMe_RenameTagDialog", false));
    setWindowViewStyle(d.integerForKey(QStringLiteral("windowViewStyle"), 0));
    setClickType(d.integerForKey(QStringLiteral("clickType"), 0));
    setMainPopoverAnimated(boolOr("mainPopoverAnimated", false));

    setAlternateFolderBrowser(d.stringForKey(QStringLiteral("alternateFolderBrowser")).value_or(QString()));

    setCustomSpotlightSearchScope(d.stringArrayForKey(QStringLiteral("customSpotlightSearchScope")));
    post("customSpotlightSearchScopeChanged");

    setSearchForComments(boolOr("searchForComments", true));
    setSearchForTags(boolOr("searchForTags", true));
    setSelectingTagsInMainWindowLaunchAll(boolOr("selectingTagsInMainWindowLaunchAll", false));
    setShowPathInMainView(boolOr("showPathInMainView", true));
    post("showPathInMainViewChanged");

    setSelectTagsAndCategoriesOnHover(boolOr("selectTagsAndCategoriesOnHover", false));
    setSidebarCategoriesCollapsed(boolOr("sidebarCategoriesCollapsed", false));
    setSidebarTagsCollapsed(boolOr("sidebarTagsCollapsed", false));
    setUseSmallModeInMainView(boolOr("useSmallModeInMainView", false));
    post("useSmallModeInMainViewChanged");

    setMenubarIcon(d.stringForKey(QStringLiteral("menubarIcon")).value_or(defaultMenubarIcon));
    post("menubarIconChanged");

    setSidebarCategoriesShowFavorites(boolOr("sidebarCategoriesShowFavorites", true));
    setSidebarCategoriesShowShortcuts(boolOr("sidebarCategoriesShowShortcuts", true));
    setSidebarCategoriesShowFiles(boolOr("sidebarCategoriesShowFiles", true));
    setSidebarCategoriesShowFolders(boolOr("sidebarCategoriesShowFolders", true));
    setSidebarCategoriesShowURLs(boolOr("sidebarCategoriesShowURLs", true));
    setSidebarCategoriesShowRecentApplications(boolOr("sidebarCategoriesShowRecentApplications", true));
    setSidebarCategoriesShowActiveApplications(boolOr("sidebarCategoriesShowActiveApplications", true));

    setSidebarCategoriesShowNumberOfElementInSidebar(boolOr("sidebarCategoriesShowNumberOfElementInSidebar", true));
    post("sidebarCategoriesShowNumberOfElementInSidebarChanged");

    setEntryBackgroundAlphaValue(d.floatForKey(QStringLiteral("entryBackgroundAlphaValue"), 0.2f));
    setHotkeyBorder(boolOr("hotkeyBorder", false));
    setTranslucentBackgroundRight(boolOr("translucentBackgroundRight", false));
    setDebugLogging(boolOr("debugLogging", false));

    setMainWindowWidth(MainWindowWidths::fromStoredValue(d.stringForKey(QStringLiteral("mainWindowWidth"))));
    setMainWindowHeight(MainWindowHeights::fromStoredValue(d.stringForKey(QStringLiteral("mainWindowHeight"))));

    for (int slot = 0; slot < hotkeySlotCount; ++slot)
        setKeyCombo(HotkeySlot(slot), loadKeyCombo(keyForHotkeySlot(HotkeySlot(slot))));

    // A hidden category has no hotkey.
    const std::pair<bool, HotkeySlot> categories[] = {
        {sidebarCategoriesShowFiles(), HotkeySlot::categoriesShowFiles},
        {sidebarCategoriesShowFolders(), HotkeySlot::categoriesShowFolders},
        {sidebarCategoriesShowURLs(), HotkeySlot::categoriesShowURLs},
        {sidebarCategoriesShowRecentApplications(), HotkeySlot::categoriesShowRecentApplications},
        {sidebarCategoriesShowActiveApplications(), HotkeySlot::categoriesShowActiveApplications},
        {sidebarCategoriesShowFavorites(), HotkeySlot::categoriesShowFavorites},
        {sidebarCategoriesShowShortcuts(), HotkeySlot::categoriesShowShortcuts},
    };
    for (const auto& [shown, slot] : categories)
        if (!shown)
            setKeyCombo(slot, std::nullopt);

    if (const auto lists = StoredLists::shared())
        lists->load(*this);

    const float alpha = entryBackgroundAlphaValue();
    if (std::isnan(alpha) || alpha < 0.0f || alpha > 1.0f)
        setEntryBackgroundAlphaValue(0.2f);

    configLoaded_.store(true);
}

void Configuration::saveKeyCombo(const std::optional<KeyCombo>& combo, const QString& key)
{
    if (isKeyProtected(key))
        return;
    if (!combo) {
        defaults_.removeObject(key);
        return;
    }
    QString error;
    const QByteArray data = platform::KeyedArchiver::archivedData(std::make_shared<KeyCombo>(*combo), &error);
    if (data.isEmpty()) {
        platform::Dialogs::showAlert(localized("Error saving KeyCombo_KeyName to UserDefaults"), errorConfiguration());
        return;
    }
    defaults_.setData(data, key);
}

std::optional<KeyCombo> Configuration::loadKeyCombo(const QString& key)
{
    const auto data = defaults_.dataForKey(key);
    if (!data)
        return std::nullopt;
    KeyCombo::registerArchiveClass();
    platform::KeyedUnarchiver::Options options;
    options.allowedClasses = {KeyCombo::archiveName()};
    platform::KeyedUnarchiver::Error error = platform::KeyedUnarchiver::Error::None;
    const auto combo = platform::KeyedUnarchiver::unarchive<KeyCombo>(*data, options, &error);
    if (combo)
        return *combo;
    // The next save removes or overwrites the key: keep the bytes first, a
    // sound archive of another class as well.
    const QString informative = error == platform::KeyedUnarchiver::Error::WrongType
        ? errorConfiguration() + QLatin1Char('\n') + localized("\"%1\" held something other than a key combination.").arg(key)
        : errorConfiguration();
    keepUnreadableValue(key, *data, localized("Error loading KeyCombo from UserDefaults"), informative, false);
    return std::nullopt;
}

} // namespace vantel
