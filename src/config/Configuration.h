#pragma once

#include "config/MainWindowSize.h"
#include "hotkeys/KeyCombo.h"
#include "model/GuardedFields.h"
#include "platform/Color.h"
#include "platform/NotificationCenter.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <array>
#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>

namespace vantel {

namespace platform {
class Timer;
class UserDefaults;
} // namespace platform
class DataStorage;
class URLManager;

struct WindowStyle {
    QString description;
    int index = 0;
};

struct MainClickType {
    QString description;
    int index = 0;
};

// The settings object: one instance (Configuration::shared(), which the
// application delegate hands out as its config()) read from any thread at
// the moment of use. Flags are atomics and texts and hotkeys sit behind a small lock, so
// readers on other threads never race with the settings panes.
//
// It writes every setting and, through StoredLists, the three stored lists
// (entries, tags, URL templates) into the user defaults and reads them back; the write reaches
// the disk atomically at the end of each save, so a crash leaves the previous
// or the new state. Model changes re-arm a debounced save that runs on the
// main thread 120 seconds after the last change. Save and load run on the
// main thread.
class Configuration : private GuardedFields {
public:
    // On the standard user defaults.
    Configuration();
    // On another settings file (a second profile, tests).
    explicit Configuration(platform::UserDefaults& defaults);
    ~Configuration();
    Configuration(const Configuration&) = delete;
    Configuration& operator=(const Configuration&) = delete;

    // The program's instance, made on first use and never released. It lives
    // here, below the store that reads it, rather than in the shell.
    static Configuration& shared();

    // Which category of the sidebar a hotkey field belongs to, in the order
    // in which the hotkeys are stored.
    enum class HotkeySlot {
        global,
        categoriesShowFiles,
        categoriesShowFolders,
        categoriesShowURLs,
        categoriesShowRecentApplications,
        categoriesShowActiveApplications,
        categoriesShowFavorites,
        categoriesShowShortcuts,
    };
    static constexpr int hotkeySlotCount = 8;
    // Posted on the default centre before the last save of every way out and
    // before a session checkpoint's save: what an open settings pane shows
    // and has not stored yet goes into this object then.
    static constexpr const char* willSaveForExitNotification = "configurationWillSaveForExit";
    // "globalKeyCombo", "globalKeyComboCategoriesShowFiles", ...
    static QString keyForHotkeySlot(HotkeySlot slot);

    // ---- Choice lists ----
    const QList<WindowStyle>& availableWindowStyles() const { return availableWindowStyles_; }
    const QList<MainClickType>& availableClickTypes() const { return availableClickTypes_; }
    const QStringList& availableMenubarIcons() const { return availableMenubarIcons_; }
    const QString defaultMenubarIcon = QStringLiteral("statusbar-1");

    // ---- Settings ----
    // Every log line is written only while this is true. It is the one gate:
    // setting it also switches the platform log's flag.
    bool debugLogging() const { return debugLogging_.load(std::memory_order_relaxed); }
    void setDebugLogging(bool on);

    // True while a save runs; only the save sets it (and tests).
    bool saveInProgress() const { return saveInProgress_.load(); }
    void setSaveInProgress(bool on) { saveInProgress_.store(on); }

    bool neverRemindMeRemoveTagDialog() const { return neverRemindMeRemoveTagDialog_.load(); }
    void setNeverRemindMeRemoveTagDialog(bool on) { neverRemindMeRemoveTagDialog_.store(on); }
    bool neverRemindMeRenameTagDialog() const { return neverRemindMeRenameTagDialog_.load(); }
    void setNeverRemindMeRenameTagDialog(bool on) { neverRemindMeRenameTagDialog_.store(on); }
    bool useSmallModeInMainView() const { return useSmallModeInMainView_.load(); }
    void setUseSmallModeInMainView(bool on) { useSmallModeInMainView_.store(on); }
    qint64 windowViewStyle() const { return windowViewStyle_.load(); }
    void setWindowViewStyle(qint64 style) { windowViewStyle_.store(style); }
    MainWindowHeight mainWindowHeight() const { return mainWindowHeight_.load(); }
    void setMainWindowHeight(MainWindowHeight height) { mainWindowHeight_.store(height); }
    MainWindowWidth mainWindowWidth() const { return mainWindowWidth_.load(); }
    void setMainWindowWidth(MainWindowWidth width) { mainWindowWidth_.store(width); }
    qint64 clickType() const { return clickType_.load(); }
    void setClickType(qint64 type) { clickType_.store(type); }

    std::optional<KeyCombo> keyCombo(HotkeySlot slot) const;
    void setKeyCombo(HotkeySlot slot, const std::optional<KeyCombo>& combo);
    std::optional<KeyCombo> globalKeyCombo() const { return keyCombo(HotkeySlot::global); }
    void setGlobalKeyCombo(const std::optional<KeyCombo>& combo) { setKeyCombo(HotkeySlot::global, combo); }

    bool mainPopoverAnimated() const { return mainPopoverAnimated_.load(); }
    void setMainPopoverAnimated(bool on) { mainPopoverAnimated_.store(on); }
    QString alternateFolderBrowser() const;
    void setAlternateFolderBrowser(const QString& path);
    bool searchForComments() const { return searchForComments_.load(); }
    void setSearchForComments(bool on) { searchForComments_.store(on); }
    bool searchForTags() const { return searchForTags_.load(); }
    void setSearchForTags(bool on) { searchForTags_.store(on); }
    bool selectingTagsInMainWindowLaunchAll() const { return selectingTagsInMainWindowLaunchAll_.load(); }
    void setSelectingTagsInMainWindowLaunchAll(bool on) { selectingTagsInMainWindowLaunchAll_.store(on); }
    bool showPathInMainView() const { return showPathInMainView_.load(); }
    void setShowPathInMainView(bool on) { showPathInMainView_.store(on); }
    bool selectTagsAndCategoriesOnHover() const { return selectTagsAndCategoriesOnHover_.load(); }
    void setSelectTagsAndCategoriesOnHover(bool on) { selectTagsAndCategoriesOnHover_.store(on); }
    bool sidebarTagsCollapsed() const { return sidebarTagsCollapsed_.load(); }
    void setSidebarTagsCollapsed(bool on) { sidebarTagsCollapsed_.store(on); }
    bool sidebarCategoriesCollapsed() const { return sidebarCategoriesCollapsed_.load(); }
    void setSidebarCategoriesCollapsed(bool on) { sidebarCategoriesCollapsed_.store(on); }
    bool sidebarCategoriesShowFiles() const { return sidebarCategoriesShowFiles_.load(); }
    void setSidebarCategoriesShowFiles(bool on) { sidebarCategoriesShowFiles_.store(on); }
    bool sidebarCategoriesShowFolders() const { return sidebarCategoriesShowFolders_.load(); }
    void setSidebarCategoriesShowFolders(bool on) { sidebarCategoriesShowFolders_.store(on); }
    bool sidebarCategoriesShowURLs() const { return sidebarCategoriesShowURLs_.load(); }
    void setSidebarCategoriesShowURLs(bool on) { sidebarCategoriesShowURLs_.store(on); }
    bool sidebarCategoriesShowRecentApplications() const { return sidebarCategoriesShowRecentApplications_.load(); }
    void setSidebarCategoriesShowRecentApplications(bool on) { sidebarCategoriesShowRecentApplications_.store(on); }
    bool sidebarCategoriesShowActiveApplications() const { return sidebarCategoriesShowActiveApplications_.load(); }
    void setSidebarCategoriesShowActiveApplications(bool on) { sidebarCategoriesShowActiveApplications_.store(on); }
    bool sidebarCategoriesShowShortcuts() const { return sidebarCategoriesShowShortcuts_.load(); }
    void setSidebarCategoriesShowShortcuts(bool on) { sidebarCategoriesShowShortcuts_.store(on); }
    bool sidebarCategoriesShowFavorites() const { return sidebarCategoriesShowFavorites_.load(); }
    void setSidebarCategoriesShowFavorites(bool on) { sidebarCategoriesShowFavorites_.store(on); }
    bool sidebarCategoriesShowNumberOfElementInSidebar() const { return sidebarCategoriesShowNumberOfElementInSidebar_.load(); }
    void setSidebarCategoriesShowNumberOfElementInSidebar(bool on) { sidebarCategoriesShowNumberOfElementInSidebar_.store(on); }
    // Not stored.
    double mainSplitViewDividerPos() const { return mainSplitViewDividerPos_.load(); }
    void setMainSplitViewDividerPos(double position) { mainSplitViewDividerPos_.store(position); }
    QString menubarIcon() const;
    void setMenubarIcon(const QString& name);
    QStringList customSpotlightSearchScope() const;
    void setCustomSpotlightSearchScope(const QStringList& paths);
    bool hotkeyBorder() const { return hotkeyBorder_.load(); }
    void setHotkeyBorder(bool on) { hotkeyBorder_.store(on); }
    float entryBackgroundAlphaValue() const { return entryBackgroundAlphaValue_.load(); }
    void setEntryBackgroundAlphaValue(float alpha) { entryBackgroundAlphaValue_.store(alpha); }

    // Text colours of an entry's name, path and description; never stored.
    // None is the system label colour: the palette's text colour where it is
    // drawn, so light and dark themes both read.
    std::optional<platform::Color> diaplaynameColor() const { return readLocked(diaplaynameColor_); }
    void setDiaplaynameColor(const std::optional<platform::Color>& color) { exchangeLocked(diaplaynameColor_, color); }
    std::optional<platform::Color> pathColor() const { return readLocked(pathColor_); }
    void setPathColor(const std::optional<platform::Color>& color) { exchangeLocked(pathColor_, color); }
    std::optional<platform::Color> descriptionColor() const { return readLocked(descriptionColor_); }
    void setDescriptionColor(const std::optional<platform::Color>& color) { exchangeLocked(descriptionColor_, color); }
    bool translucentBackgroundRight() const { return translucentBackgroundRight_.load(); }
    void setTranslucentBackgroundRight(bool on) { translucentBackgroundRight_.store(on); }

    // The XDG application folders that exist, in precedence order, each
    // once; found on the first read and then kept for the process.
    QStringList spotlightDefaultSearchScope() const;

    // The sidebar categories that have a switch (sidebarCategoriesShow...)
    // and a hotkey (globalKeyComboCategoriesShow...) of their own.
    enum class SidebarCategory { files, folders, urls, recentApplications, activeApplications, favorites, shortcuts };
    bool sidebarCategoriesShow(SidebarCategory category) const;
    void setSidebarCategoriesShow(SidebarCategory category, bool on);
    std::optional<KeyCombo> globalKeyComboCategories(SidebarCategory category) const;
    void setGlobalKeyComboCategories(SidebarCategory category, const std::optional<KeyCombo>& combo);

    // The user-defaults flag "launchedBefore" as read when this object was
    // created; nothing changes it later in the process.
    bool launchedBefore() const { return launchedBefore_; }
    // The first-run assistant's window was shown: saves set "launchedBefore"
    // from now on. Until then they leave it unset, so a first launch that
    // ends before its assistant was seen leaves the next launch a first one.
    void setFirstRunShown() { firstRunShown_ = true; }

    platform::UserDefaults& defaults() const { return defaults_; }

    // The data store and URL templates whose lists are saved and loaded:
    // the shared ones unless others are set (tests, a second profile). These
    // and the stored lists below are defined in the half of the settings
    // above the store.
    DataStorage& dataStorage() const;
    URLManager& urlManager() const;
    void setStores(DataStorage* store, URLManager* urls);

    // ---- Saving and loading ----
    // Writes nothing until loadConfig has finished: before it the fields are
    // defaults, not the user's settings.
    void saveConfig(bool removeUnusedTags);
    void loadConfig();
    void saveKeyCombo(const std::optional<KeyCombo>& combo, const QString& key);
    std::optional<KeyCombo> loadKeyCombo(const QString& key);
    // True once loadConfig has run to its end in this process.
    bool configLoaded() const { return configLoaded_.load(); }

    // ---- Stored lists ----
    // False until a rebuild has judged the loaded tags against the entries
    // (a quit during the launch comes before it), and once a stored entry
    // list could not be read whole in this process: tags then look unused
    // only because nothing judged them or their entries are missing.
    bool mayPruneUnusedTags() const;
    // Stored keys whose unreadable value could not be kept aside; saves leave
    // them as they are for the rest of the process.
    bool isKeyProtected(const QString& key) const { return protectedKeys_.contains(key); }
    void saveAllDataArray();
    void saveTagDataArray(bool removeUnusedTags);
    void saveURLTemplateDataArray();
    void loadAllDataArray();
    void loadTagDataArray();
    void loadURLTemplateDataArray();

    // ---- Debounced save ----
    // Records the reason and (re)starts the one-shot timer, on the main thread.
    void scheduleSaveConfig(const QString& reason);
    // The timer's action.
    void saveConfigWithTimer();
    // Runs the debounced save at once, pending or not (a session checkpoint).
    void saveConfigNow();
    bool saveConfigPending() const;
    QString saveConfigTimerReason() const;
    // 120 s; tests shorten it.
    std::chrono::milliseconds saveConfigInterval() const { return saveConfigInterval_; }
    void setSaveConfigInterval(std::chrono::milliseconds interval) { saveConfigInterval_ = interval; }

private:
    // The named switch of a category, for the indexed accessors.
    template <class Self>
    static auto& sidebarCategoryShowField(Self& self, SidebarCategory category);
    void registerObservers();
    void setSaveInProgressLogged(bool on);
    // Keeps the stored value of `key` aside and queues the alert; a value
    // that can't be kept protects the key instead.
    void keepUnreadableValue(const QString& key, const QByteArray& data, const QString& message,
                             const QString& informative, bool removeKey);
    // A stored list present under `key` but not data (a damaged or hand-edited
    // file): the settings file is kept aside as it is on disk, the alert
    // queued; false when nothing could be kept, and the key is then protected.
    bool keepWrongTypedList(const QString& key, const QVariant& stored, const QString& message);

    platform::UserDefaults& defaults_;
    DataStorage* store_ = nullptr;
    URLManager* urls_ = nullptr;

    std::atomic<bool> debugLogging_{false};
    std::atomic<bool> saveInProgress_{false};
    std::atomic<bool> configLoaded_{false};

    QList<WindowStyle> availableWindowStyles_;
    QList<MainClickType> availableClickTypes_;
    QStringList availableMenubarIcons_;

    std::atomic<bool> neverRemindMeRemoveTagDialog_{false};
    std::atomic<bool> neverRemindMeRenameTagDialog_{false};
    std::atomic<bool> useSmallModeInMainView_{false};
    std::atomic<qint64> windowViewStyle_{0};
    std::atomic<MainWindowHeight> mainWindowHeight_{MainWindowHeight::height70};
    std::atomic<MainWindowWidth> mainWindowWidth_{MainWindowWidth::with700};
    std::atomic<qint64> clickType_{0};
    std::array<std::optional<KeyCombo>, hotkeySlotCount> keyCombos_;
    std::atomic<bool> mainPopoverAnimated_{false};
    QString alternateFolderBrowser_;
    std::atomic<bool> searchForComments_{true};
    std::atomic<bool> searchForTags_{true};
    std::atomic<bool> selectingTagsInMainWindowLaunchAll_{false};
    std::atomic<bool> showPathInMainView_{true};
    std::atomic<bool> selectTagsAndCategoriesOnHover_{false};
    std::atomic<bool> sidebarTagsCollapsed_{false};
    std::atomic<bool> sidebarCategoriesCollapsed_{false};
    std::atomic<bool> sidebarCategoriesShowFiles_{true};
    std::atomic<bool> sidebarCategoriesShowFolders_{true};
    std::atomic<bool> sidebarCategoriesShowURLs_{true};
    std::atomic<bool> sidebarCategoriesShowRecentApplications_{true};
    std::atomic<bool> sidebarCategoriesShowActiveApplications_{true};
    std::atomic<bool> sidebarCategoriesShowShortcuts_{true};
    std::atomic<bool> sidebarCategoriesShowFavorites_{true};
    std::atomic<bool> sidebarCategoriesShowNumberOfElementInSidebar_{true};
    std::atomic<double> mainSplitViewDividerPos_{200.0};
    QString menubarIcon_ = QStringLiteral("statusbar-1");
    mutable std::once_flag spotlightDefaultSearchScopeOnce_;
    mutable QStringList spotlightDefaultSearchScope_;
    QStringList customSpotlightSearchScope_;
    std::atomic<bool> hotkeyBorder_{false};
    std::atomic<float> entryBackgroundAlphaValue_{0.2f};
    std::optional<platform::Color> diaplaynameColor_;
    std::optional<platform::Color> pathColor_;
    std::optional<platform::Color> descriptionColor_;
    std::atomic<bool> translucentBackgroundRight_{false};

    std::chrono::milliseconds saveConfigInterval_{120000};
    std::shared_ptr<platform::Timer> saveConfigTimer_;
    QString saveConfigTimerReason_;

    const bool launchedBefore_;
    std::atomic<bool> firstRunShown_{false};
    std::array<platform::ObserverToken, 4> observers_;
    // Main thread only, like save and load.
    bool storedEntriesIncomplete_ = false;
    QSet<QString> protectedKeys_;
};

} // namespace vantel
