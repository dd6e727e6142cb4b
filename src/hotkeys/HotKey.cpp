#include "hotkeys/HotKey.h"

#include "hotkeys/HotKeyCenter.h"
#include "platform/MainQueue.h"

namespace vantel {

HotKey::HotKey(QString identifier, KeyCombo keyCombo, ActionQueue actionQueue, Handler handler)
    : identifier_(std::move(identifier))
    , keyCombo_(keyCombo)
    , callback_(std::move(handler))
    , actionQueue_(actionQueue)
{
}

std::shared_ptr<HotKey> HotKey::create(QString identifier, KeyCombo keyCombo, ActionQueue actionQueue,
                                       Handler handler)
{
    return std::shared_ptr<HotKey>(new HotKey(std::move(identifier), keyCombo, actionQueue, std::move(handler)));
}

void HotKey::setPaused(bool paused)
{
    if (paused == isPaused_)
        return;
    isPaused_ = paused;
    if (paused)
        unregisterHotKey();
    else
        registerHotKey();
}

bool HotKey::registerHotKey()
{
    return HotKeyCenter::shared().registerHotKey(shared_from_this());
}

void HotKey::unregisterHotKey()
{
    HotKeyCenter::shared().unregisterHotKey(shared_from_this());
}

void HotKey::invoke()
{
    if (!callback_)
        return;
    if (actionQueue_ == ActionQueue::session) {
        callback_(shared_from_this());
        return;
    }
    std::weak_ptr<HotKey> weak = weak_from_this();
    platform::MainQueue::async([weak] {
        if (const auto hotKey = weak.lock())
            hotKey->callback_(hotKey);
    });
}

bool HotKey::isEqual(const HotKey& other) const
{
    return identifier_ == other.identifier_ && keyCombo_ == other.keyCombo_ && hotKeyId_ == other.hotKeyId_
        && hotKeyRef_ == other.hotKeyRef_;
}

} // namespace vantel
