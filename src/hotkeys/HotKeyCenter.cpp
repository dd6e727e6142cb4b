#include "hotkeys/HotKeyCenter.h"

#include "hotkeys/Keymap.h"
#include "model/Logger.h"
#include "platform/GlobalHotKeys.h"
#include "platform/ModifierMonitor.h"

#include <QCoreApplication>

#include <bit>
#include <limits>
#include <vector>

namespace vantel {

HotKeyCenter& HotKeyCenter::shared()
{
    static HotKeyCenter* const instance = [] {
        auto* center = new HotKeyCenter(platform::GlobalHotKeys::shared());
        if (auto* app = QCoreApplication::instance())
            QObject::connect(app, &QCoreApplication::aboutToQuit, app, [center] { center->applicationWillTerminate(); });
        return center;
    }();
    return *instance;
}

HotKeyCenter::HotKeyCenter(platform::GlobalHotKeys& backend)
    : backend_(backend)
    , modifierEventHandler_(std::make_unique<ModifierEventHandler>(std::chrono::milliseconds(300)))
{
    backend_.setPressedHandler([this](std::uint32_t ref) { hotKeyPressed(ref); });
    backend_.setTakenHandler([this](std::uint32_t ref) { hotKeyTaken(ref); });
    modifierMonitorId_ = platform::ModifierMonitor::shared().addHandler(
        [this](std::uint64_t flags, double timestamp) { modifierEventHandler_->handleModifiersEvent(flags, timestamp); });
    modifierEventHandler_->doubleTapped = [this](CocoaModifierFlags flags) { handleDoubleTappedModifier(flags); };
}

HotKeyCenter::~HotKeyCenter()
{
    unregisterAll();
    backend_.setPressedHandler({});
    backend_.setTakenHandler({});
    platform::ModifierMonitor::shared().removeHandler(modifierMonitorId_);
}

bool HotKeyCenter::isRegistrable(const KeyCombo& keyCombo)
{
    const qint64 modifiers = keyCombo.modifiers();
    const qint64 four = ModifierFlags::carbonCommand | ModifierFlags::carbonShift | ModifierFlags::carbonOption
        | ModifierFlags::carbonControl;
    if (keyCombo.doubledModifiers())
        return std::popcount(static_cast<quint64>(modifiers)) == 1 && (modifiers & four) == modifiers;
    if (modifiers < 0 || (modifiers & ~(four | ModifierFlags::carbonFunction)) != 0)
        return false;
    if ((modifiers & four) == 0 && !KeyInfo::isFunctionKey(keyCombo.key()))
        return false;
    return true;
}

bool HotKeyCenter::registerHotKey(const HotKeyPtr& hotKey)
{
    if (!hotKey || hotKeys_.count(hotKey->identifier()) || !isRegistrable(hotKey->keyCombo()))
        return false;
    hotKeys_.emplace(hotKey->identifier(), hotKey);
    if (hotKey->keyCombo().doubledModifiers()) {
        if (backend_.registerDoubleTap() == platform::GlobalHotKeys::Status::registered)
            return true;
        unregisterHotKey(hotKey);
        return false;
    }
    if (hotKeyCount_ == std::numeric_limits<quint32>::max()) {
        // Ids are never reused; once they are spent nothing more is registered.
        unregisterHotKey(hotKey);
        return false;
    }
    const int keyCode = Keymap::shared().keyCodeWithFallback(hotKey->keyCombo().key());
    const auto result = backend_.registerHotKey(keyCode, static_cast<std::uint32_t>(hotKey->keyCombo().modifiers()),
                                                {hotKey->identifier(), hotKey->description()});
    if (result.status != platform::GlobalHotKeys::Status::registered) {
        unregisterHotKey(hotKey);
        return false;
    }
    hotKey->setRegistration(hotKeyCount_, result.id);
    ++hotKeyCount_;
    return true;
}

void HotKeyCenter::unregisterHotKey(const HotKeyPtr& hotKey)
{
    if (!hotKey)
        return;
    if (const auto ref = hotKey->hotKeyRef())
        backend_.unregisterHotKey(*ref);
    const auto it = hotKeys_.find(hotKey->identifier());
    if (it != hotKeys_.end() && it->second == hotKey)
        hotKeys_.erase(it);
    hotKey->setRegistration(std::nullopt, std::nullopt);
}

bool HotKeyCenter::unregisterIdentifier(const QString& identifier)
{
    const auto it = hotKeys_.find(identifier);
    if (it == hotKeys_.end())
        return false;
    unregisterHotKey(HotKeyPtr(it->second));
    return true;
}

void HotKeyCenter::unregisterHotKeys(std::optional<HotKeyType> type)
{
    if (!type)
        return;
    for (;;) {
        HotKeyPtr found;
        for (const auto& [identifier, hotKey] : hotKeys_) {
            if (hotKey->hotkeyType() == type) {
                found = hotKey;
                break;
            }
        }
        if (!found)
            return;
        unregisterHotKey(found);
    }
}

void HotKeyCenter::unregisterAll()
{
    std::vector<HotKeyPtr> snapshot;
    for (const auto& entry : hotKeys_)
        snapshot.push_back(entry.second);
    for (const HotKeyPtr& hotKey : snapshot)
        unregisterHotKey(hotKey);
}

HotKeyPtr HotKeyCenter::hotKeyWithKeyCombo(const KeyCombo& keyCombo) const
{
    for (const auto& [identifier, hotKey] : hotKeys_)
        if (hotKey->keyCombo() == keyCombo)
            return hotKey;
    return nullptr;
}

bool HotKeyCenter::isHeldElsewhere(const KeyCombo& keyCombo) const
{
    // A doubled modifier is watched, never grabbed: nobody else can hold it.
    if (keyCombo.doubledModifiers() || !isRegistrable(keyCombo))
        return false;
    const int keyCode = Keymap::shared().keyCodeWithFallback(keyCombo.key());
    return backend_.isHeldElsewhere(keyCode, static_cast<std::uint32_t>(keyCombo.modifiers())).value_or(false);
}

bool HotKeyCenter::seesDoubleTaps() const
{
    return backend_.seesDoubleTaps();
}

bool HotKeyCenter::updateHotkeyReferencedPath(const KeyCombo& keyCombo, const QString& path)
{
    const HotKeyPtr hotKey = hotKeyWithKeyCombo(keyCombo);
    if (!hotKey)
        return false;
    hotKey->setHotkeyReferencedPath(path);
    VLOG(Logger::hotkeys(), platform::LogType::Default, "HotkeyReferencePath changed to: %{public}@", path);
    return true;
}

void HotKeyCenter::hotKeyPressed(quint32 ref)
{
    for (const auto& [identifier, hotKey] : hotKeys_) {
        if (hotKey->hotKeyRef() == ref) {
            HotKeyPtr(hotKey)->invoke();
            return;
        }
    }
}

void HotKeyCenter::hotKeyTaken(quint32 ref)
{
    for (auto it = hotKeys_.begin(); it != hotKeys_.end(); ++it) {
        if (it->second->hotKeyRef() == ref) {
            const HotKeyPtr taken = it->second;
            hotKeys_.erase(it);
            taken->setRegistration(std::nullopt, std::nullopt);
            if (taken_)
                taken_(taken);
            return;
        }
    }
}

void HotKeyCenter::handleDoubleTappedModifier(CocoaModifierFlags flags)
{
    std::vector<HotKeyPtr> doubled;
    for (const auto& entry : hotKeys_)
        if (entry.second->keyCombo().doubledModifiers())
            doubled.push_back(entry.second);
    const qint64 carbon = ModifierFlags::carbonModifiers(flags, false);
    for (const HotKeyPtr& hotKey : doubled)
        if (hotKey->keyCombo().modifiers() == carbon)
            hotKey->invoke();
}

} // namespace vantel
