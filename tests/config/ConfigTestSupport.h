#pragma once

#include "access/URLManager.h"
#include "config/Configuration.h"
#include "datastore/DataStorage.h"
#include "datastore/TagManager.h"
#include "platform/DialogProvider.h"
#include "platform/LoadAlerts.h"
#include "platform/ScriptedDialogProvider.h"
#include "platform/UserDefaults.h"
#include "platform/XdgPaths.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <memory>

namespace vantel::test {

// A settings file of its own per test, a fresh store and template list, and
// a scripted dialog provider that records every alert.
class ConfigTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = makeTempDir(QStringLiteral("config"));
        QDir(platform::XdgPaths::documentsDir() + QStringLiteral("/Backup")).removeRecursively();
        settingsPath = dir + QStringLiteral("/settings.plist");
        platform::LoadAlerts::reset();
        dialogs = std::make_shared<platform::ScriptedDialogProvider>();
        platform::DialogProvider::setShared(dialogs);
        store = std::make_unique<DataStorage>();
        urls = std::make_unique<URLManager>();
        reopen();
    }

    void TearDown() override
    {
        config.reset();
        defaults.reset();
        store.reset();
        platform::DialogProvider::setShared(nullptr);
    }

    // A new settings object on the same file, as a new process sees it.
    void reopen()
    {
        config.reset();
        defaults = std::make_unique<platform::UserDefaults>(settingsPath);
        config = std::make_unique<Configuration>(*defaults);
        config->setStores(store.get(), urls.get());
    }

    // Alerts shown, then those found while loading and held for the end of
    // the launch.
    QList<platform::LoadAlerts::Alert> allAlerts() const
    {
        QList<platform::LoadAlerts::Alert> result;
        for (const auto& alert : dialogs->alerts())
            result.append({alert.messageText, alert.informativeText});
        return result + platform::LoadAlerts::pending();
    }

    QStringList alertMessages() const
    {
        QStringList result;
        for (const auto& alert : allAlerts())
            result.append(alert.messageText);
        return result;
    }

    QString dir;
    QString settingsPath;
    std::shared_ptr<platform::ScriptedDialogProvider> dialogs;
    std::unique_ptr<DataStorage> store;
    std::unique_ptr<URLManager> urls;
    std::unique_ptr<platform::UserDefaults> defaults;
    std::unique_ptr<Configuration> config;
};

} // namespace vantel::test
