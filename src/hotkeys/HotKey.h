#pragma once

#include "hotkeys/HotKeyType.h"
#include "hotkeys/KeyCombo.h"

#include <functional>
#include <memory>
#include <optional>

namespace vantel {

// One global hotkey: an identifier, its combination and its action. The
// registry (HotKeyCenter) files it while it is registered and fills in the
// id and the system handle. Main thread only.
class HotKey : public std::enable_shared_from_this<HotKey> {
public:
    // Where invoke runs the action: `main` later, as a block on the main
    // queue (only if the hotkey still exists then); `session` at once.
    enum class ActionQueue { main, session };
    using Handler = std::function<void(const std::shared_ptr<HotKey>&)>;

    static std::shared_ptr<HotKey> create(QString identifier, KeyCombo keyCombo, ActionQueue actionQueue,
                                          Handler handler);

    const QString& identifier() const { return identifier_; }
    const KeyCombo& keyCombo() const { return keyCombo_; }
    ActionQueue actionQueue() const { return actionQueue_; }

    std::optional<HotKeyType> hotkeyType() const { return hotkeyType_; }
    void setHotkeyType(std::optional<HotKeyType> type) { hotkeyType_ = type; }
    std::optional<QString> hotkeyReferencedPath() const { return hotkeyReferencedPath_; }
    void setHotkeyReferencedPath(std::optional<QString> path) { hotkeyReferencedPath_ = std::move(path); }
    // What it does, as the hotkey overview words it; the desktop shows it
    // where it lists the shortcuts it binds for us.
    const QString& description() const { return description_; }
    void setDescription(QString description) { description_ = std::move(description); }
    // The name of the entry, tag or category it belongs to; empty for the
    // main view's hotkey. A recorder says it when the combination is taken.
    const QString& ownerName() const { return ownerName_; }
    void setOwnerName(QString name) { ownerName_ = std::move(name); }

    // Pausing unregisters it from the shared registry, resuming registers it
    // again (under a new id).
    bool isPaused() const { return isPaused_; }
    void setPaused(bool paused);

    std::optional<quint32> hotKeyId() const { return hotKeyId_; }
    std::optional<quint32> hotKeyRef() const { return hotKeyRef_; }
    void setRegistration(std::optional<quint32> id, std::optional<quint32> ref)
    {
        hotKeyId_ = id;
        hotKeyRef_ = ref;
    }

    // Forward to the shared registry.
    bool registerHotKey();
    void unregisterHotKey();

    void invoke();

    bool isEqual(const HotKey& other) const;

private:
    HotKey(QString identifier, KeyCombo keyCombo, ActionQueue actionQueue, Handler handler);

    const QString identifier_;
    const KeyCombo keyCombo_;
    const Handler callback_;
    const ActionQueue actionQueue_;
    std::optional<HotKeyType> hotkeyType_;
    std::optional<QString> hotkeyReferencedPath_;
    QString description_;
    QString ownerName_;
    bool isPaused_ = false;
    std::optional<quint32> hotKeyId_;
    std::optional<quint32> hotKeyRef_;
};

using HotKeyPtr = std::shared_ptr<HotKey>;

} // namespace vantel
