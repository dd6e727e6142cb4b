#pragma once

#include "datastore/DataStorage.h"
#include "datastore/TagManager.h"
#include "platform/DialogProvider.h"
#include "platform/Log.h"
#include "platform/NotificationCenter.h"
#include "platform/ScriptedDialogProvider.h"
#include "config/Configuration.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <memory>

namespace vantel::test {

// A fresh store (with its own tag manager and tag-entry proxy) per test, the
// settings at their defaults, debug logging captured, a scripted dialog
// provider and every posted notification name recorded in order.
class DatastoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Configuration& config = Configuration::shared();
        config.setDebugLogging(true);
        config.setSaveInProgress(false);
        config.setSearchForComments(true);
        config.setSearchForTags(true);
        config.setNeverRemindMeRenameTagDialog(false);
        config.setNeverRemindMeRemoveTagDialog(false);
        dialogs = std::make_shared<platform::ScriptedDialogProvider>();
        platform::DialogProvider::setShared(dialogs);
        // Registered before the store's own observers, so names are recorded
        // in the order they were posted.
        recorder = platform::NotificationCenter::defaultCenter().addObserver(
            QString(), [this](const platform::Notification& n) { posted.append(n.name); });
        store = std::make_unique<DataStorage>();
    }

    void TearDown() override
    {
        recorder.reset();
        store.reset();
        platform::DialogProvider::setShared(nullptr);
        Configuration::shared().setDebugLogging(false);
    }

    Configuration& config() { return Configuration::shared(); }
    TagManager& tags() { return store->tagManager(); }

    // A URL entry: always reachable, so tests decide visibility alone. Not
    // user-made, since those cannot be hidden.
    TableViewItemPtr addURL(const QString& name, const QStringList& tagNames = {}, bool visible = true)
    {
        auto entry = TableViewItem::initForURL(QStringLiteral("https://example.org/") + name, name, QString(),
                                               ListviewItemSource::spotlight);
        entry->setTags(tagNames);
        entry->setIsVisible(visible);
        store->allData()->append(entry);
        return entry;
    }

    // An application entry whose bundle does not exist.
    TableViewItemPtr addMissingApplication(const QString& name, ListviewItemSource source)
    {
        auto entry = TableViewItem::initForPath(QStringLiteral("/nonexistent/vantel/") + name + QStringLiteral(".desktop"),
                                                name, ListviewItemType::application, source);
        store->allData()->append(entry);
        return entry;
    }

    iconTagPtr tag(const QString& name) const { return store->tagManager().tagForName(name); }

    // Posted names among `names`, in order.
    QStringList postedAmong(const QStringList& names) const
    {
        QStringList result;
        for (const QString& name : posted)
            if (names.contains(name))
                result.append(name);
        return result;
    }

    QStringList currentNames() const { return names(store->currentData()); }
    QStringList configNames() const { return names(store->currentDataConfig()); }
    static QStringList names(const EntryArray::Ptr& list)
    {
        QStringList result;
        for (const auto& entry : list->snapshot())
            result.append(entry->name());
        return result;
    }

    platform::Log::CaptureSink log;
    std::shared_ptr<platform::ScriptedDialogProvider> dialogs;
    std::unique_ptr<DataStorage> store;
    QStringList posted;
    platform::ObserverToken recorder;
};

} // namespace vantel::test
