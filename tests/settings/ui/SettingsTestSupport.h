#pragma once

#include "config/Configuration.h"
#include "datastore/DataStorage.h"
#include "hotkeys/HotKeyCenter.h"
#include "hotkeys/HotKeyManager.h"
#include "platform/GlobalHotKeys.h"
#include "support/AcceptingHotKeys.h"
#include "platform/NotificationCenter.h"
#include "platform/ui/WindowHost.h"
#include "settings/ui/SettingsServices.h"
#include "shell/AppDelegate.h"

#include <QStringList>

#include <memory>

namespace vantel::test {

// The configuration of the test home with a store and hotkey registry of
// the test's own.
struct SettingsHarness {
    Configuration& config = AppDelegate::shared().config();
    AcceptingHotKeys backend;
    std::unique_ptr<DataStorage> store = std::make_unique<DataStorage>();
    std::unique_ptr<HotKeyCenter> center = std::make_unique<HotKeyCenter>(backend);
    std::unique_ptr<HotKeyManager> manager = std::make_unique<HotKeyManager>(*store, config, *center);

    SettingsServices services() { return {&config, manager.get(), center.get()}; }
};

// Records the names of the notifications posted while it lives.
struct PostedNames {
    explicit PostedNames(const QStringList& names)
    {
        for (const QString& name : names)
            tokens.push_back(platform::NotificationCenter::defaultCenter().addObserver(
                name, [this, name](const platform::Notification&) { posted.append(name); }));
    }
    QStringList posted;
    std::vector<platform::ObserverToken> tokens;
};

} // namespace vantel::test
