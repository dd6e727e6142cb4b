#pragma once

#include "hotkeys/KeyCombo.h"
#include "model/GuardedFields.h"

#include <QString>
#include <QStringList>

#include <array>
#include <atomic>
#include <mutex>
#include <optional>

namespace vantel {

// The settings object: one instance, owned by the application delegate
// (AppDelegate::shared().config()) and read from any thread at the moment of
// use. Flags are atomics and texts sit behind a small lock, so readers on
// other threads never race with the settings panes.
//
// Only the settings that the core model and its neighbours read are here so
// far, with their defaults; loading, saving and the debounced save come with
// the configuration subsystem.
class Configuration : private GuardedFields {
public:
    Configuration();
    Configuration(const Configuration&) = delete;
    Configuration& operator=(const Configuration&) = delete;

    // Every log line is written only while this is true. It is the one gate:
    // setting it also switches the platform log's flag.
    bool debugLogging() const { return debugLogging_.load(std::memory_order_relaxed); }
    void setDebugLogging(bool on);

    bool saveInProgress() const { return saveInProgress_.load(); }
    void setSaveInProgress(bool on) { saveInProgress_.store(on); }

    bool searchForComments() const { return searchForComments_.load(); }
    void setSearchForComments(bool on) { searchForComments_.store(on); }

    bool searchForTags() const { return searchForTags_.load(); }
    void setSearchForTags(bool on) { searchForTags_.store(on); }

    bool selectingTagsInMainWindowLaunchAll() const { return selectingTagsInMainWindowLaunchAll_.load(); }
    void setSelectingTagsInMainWindowLaunchAll(bool on) { selectingTagsInMainWindowLaunchAll_.store(on); }

    bool neverRemindMeRenameTagDialog() const { return neverRemindMeRenameTagDialog_.load(); }
    void setNeverRemindMeRenameTagDialog(bool on) { neverRemindMeRenameTagDialog_.store(on); }

    bool neverRemindMeRemoveTagDialog() const { return neverRemindMeRemoveTagDialog_.load(); }
    void setNeverRemindMeRemoveTagDialog(bool on) { neverRemindMeRemoveTagDialog_.store(on); }

    QString alternateFolderBrowser() const;
    void setAlternateFolderBrowser(const QString& path);

    QStringList customSpotlightSearchScope() const;
    void setCustomSpotlightSearchScope(const QStringList& paths);

    // The XDG application folders that exist, in precedence order, each
    // once; found on the first read and then kept for the process.
    QStringList spotlightDefaultSearchScope() const;

    // The show/hide-main-window hotkey (globalKeyCombo); none when unset.
    std::optional<KeyCombo> globalKeyCombo() const;
    void setGlobalKeyCombo(const std::optional<KeyCombo>& combo);

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

private:
    std::atomic<bool> debugLogging_{false};
    std::atomic<bool> saveInProgress_{false};
    std::atomic<bool> searchForComments_{true};
    std::atomic<bool> searchForTags_{true};
    std::atomic<bool> selectingTagsInMainWindowLaunchAll_{false};
    std::atomic<bool> neverRemindMeRenameTagDialog_{false};
    std::atomic<bool> neverRemindMeRemoveTagDialog_{false};

    QString alternateFolderBrowser_;
    QStringList customSpotlightSearchScope_;
    mutable std::once_flag spotlightDefaultSearchScopeOnce_;
    mutable QStringList spotlightDefaultSearchScope_;

    std::optional<KeyCombo> globalKeyCombo_;
    std::array<std::atomic<bool>, 7> sidebarCategoriesShow_{};
    std::array<std::optional<KeyCombo>, 7> globalKeyComboCategories_;

    const bool launchedBefore_;
};

} // namespace vantel
