#pragma once

#include "config/Configuration.h"
#include "datastore/DataStorage.h"
#include "hotkeys/HotKeyCenter.h"
#include "hotkeys/HotKeyManager.h"
#include "platform/GlobalHotKeys.h"
#include "support/AcceptingHotKeys.h"
#include "platform/NotificationCenter.h"
#include "platform/ScriptedDialogProvider.h"
#include "settings/ui/ConfigWindowServices.h"
#include "shell/AppDelegate.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QPalette>
#include <QStyleFactory>
#include <QWidget>

#include <memory>

namespace vantel::test {

// A store, a hotkey centre and manager of the test's own, scripted dialogs,
// and a count of the store's notifications.
class ConfigWindowFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        Configuration& config = AppDelegate::shared().config();
        config.setSaveInProgress(false);
        config.setNeverRemindMeRenameTagDialog(false);
        config.setNeverRemindMeRemoveTagDialog(false);
        store = std::make_unique<DataStorage>();
        center = std::make_unique<HotKeyCenter>(backend);
        manager = std::make_unique<HotKeyManager>(*store, config, *center);
        services = {store.get(), manager.get(), center.get(), &config};
        dialogs = std::make_shared<platform::ScriptedDialogProvider>();
        platform::DialogProvider::setShared(dialogs);
        auto& notifications = platform::NotificationCenter::defaultCenter();
        configChanged = notifications.addObserver(
            QStringLiteral("currentDataConfigChanged"), [this](const platform::Notification&) { ++configChangedCount; },
            store.get());
        configNotChanged = notifications.addObserver(
            QStringLiteral("currentDataConfigNotChangedWithLastRequest"),
            [this](const platform::Notification&) { ++configNotChangedCount; }, store.get());
        rebuilds = notifications.addObserver(
            QStringLiteral("dataStorageRebuildIsFinished"), [this](const platform::Notification&) { ++rebuildCount; },
            store.get());
    }

    void TearDown() override
    {
        platform::DialogProvider::setShared(nullptr);
    }

    // Filter runs of the configuration list, changed or not.
    int filterRuns() const { return configChangedCount + configNotChangedCount; }

    static QString outputFolder()
    {
        const QString folder = vantel::test::outputFolder();
        QDir().mkpath(folder);
        return folder;
    }
    // The widget as a PNG in the output folder; the image.
    static QImage screenshot(QWidget& widget, const QString& name)
    {
        const QImage image = widget.grab().toImage();
        image.save(outputFolder() + QLatin1Char('/') + name);
        return image;
    }

    AcceptingHotKeys backend;
    std::unique_ptr<DataStorage> store;
    std::unique_ptr<HotKeyCenter> center;
    std::unique_ptr<HotKeyManager> manager;
    settingsui::ConfigWindowServices services;
    std::shared_ptr<platform::ScriptedDialogProvider> dialogs;
    int configChangedCount = 0;
    int configNotChangedCount = 0;
    int rebuildCount = 0;
    platform::ObserverToken configChanged;
    platform::ObserverToken configNotChanged;
    platform::ObserverToken rebuilds;
};

// A dark palette for the screenshots of the dark appearance.
inline QPalette darkPalette()
{
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(45, 45, 48));
    dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
    dark.setColor(QPalette::Base, QColor(30, 30, 32));
    dark.setColor(QPalette::AlternateBase, QColor(40, 40, 44));
    dark.setColor(QPalette::Text, QColor(230, 230, 230));
    dark.setColor(QPalette::Button, QColor(55, 55, 60));
    dark.setColor(QPalette::ButtonText, QColor(230, 230, 230));
    dark.setColor(QPalette::Highlight, QColor(42, 110, 200));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    dark.setColor(QPalette::PlaceholderText, QColor(140, 140, 140));
    dark.setColor(QPalette::Mid, QColor(90, 90, 90));
    return dark;
}

} // namespace vantel::test
