#pragma once

#include "hotkeys/HotKey.h"
#include "platform/NotificationCenter.h"

#include <QSet>
#include <QString>

#include <optional>

namespace vantel {

class Configuration;
class DataStorage;
class HotKeyCenter;

// Decides which global hotkeys exist and keeps the registry in step with the
// data: one per visible entry with a combination, a show-tag and a launch-all
// hotkey per visible tag that has them, one per shown sidebar category and the
// show/hide-main-window hotkey. The first hotkey registered with a
// combination keeps it; the launch order (categories, tags, launch-all,
// entries, window) decides between kinds.
//
// A category hotkey that clashes with one of ours loses its stored
// combination; one whose keys another program holds, or that the desktop
// refuses (under Wayland it says so after registration), keeps it, stays
// unregistered and is shown as taken. Pausing is counted: hotkeys stay
// paused until every pause has been ended. Main thread only.
class HotKeyManager {
public:
    static HotKeyManager& shared();
    HotKeyManager(DataStorage& storage, Configuration& configuration, HotKeyCenter& center);
    ~HotKeyManager();
    HotKeyManager(const HotKeyManager&) = delete;
    HotKeyManager& operator=(const HotKeyManager&) = delete;

    // Replaces every hotkey of the kind; with none, logs the error and does nothing.
    void registerHotKeys(std::optional<HotKeyType> type);
    // Releases every hotkey and registers those of the current data and
    // settings, kind by kind in the launch order. The launch runs it, and so
    // does every import the store announces (a file or a versioned backup).
    void registerAllHotKeys();
    // Refuses a combination that a registered hotkey has, else registers it.
    bool registerHotKey(const HotKeyPtr& hotKey);
    void changeHotkeyReferencePath(const KeyCombo& keyCombo, const QString& path);
    void itemChanged(const platform::Notification& notification);

    // While paused, every hotkey action stops at its first check; the
    // registrations stay in place.
    bool hotkeysPaused() const { return pauseCount_ > 0; }
    void pauseHotkeys() { ++pauseCount_; }
    void resumeHotkeys()
    {
        if (pauseCount_ > 0)
            --pauseCount_;
    }

    // Identifiers of the hotkeys whose keys another program holds.
    bool isTaken(const QString& identifier) const { return taken_.contains(identifier); }

    HotKeyCenter& center() { return center_; }
    DataStorage& storage() { return storage_; }
    Configuration& configuration() { return configuration_; }

private:
    enum class Outcome { registered, sameCombination, refusedBySystem };
    Outcome registerHotKeyWithOutcome(const HotKeyPtr& hotKey);
    void registerCategories();

    DataStorage& storage_;
    Configuration& configuration_;
    HotKeyCenter& center_;
    int pauseCount_ = 0;
    QSet<QString> taken_;
    platform::ObserverToken tableViewItemChanged_;
    platform::ObserverToken iconTagChanged_;
    platform::ObserverToken validateTagHotkeyNeeded_;
    platform::ObserverToken importDataFinished_;
};

} // namespace vantel
