#pragma once

#include "CatalogueEntries.h"
#include "datastore/DataStorage.h"
#include "datastore/TagManager.h"
#include "mainwindow/MainTableView.h"
#include "mainwindow/MainTableViewModel.h"
#include "model/ExecutionServices.h"
#include "platform/Log.h"
#include "platform/NotificationCenter.h"
#include "shell/AppDelegate.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QStringList>

#include <memory>

namespace vantel::test {

// Records what entries ask of the item-access layer; applications whose
// paths are in `running` count as running.
class RecordingExecutionServices : public ExecutionServices {
public:
    struct Open {
        QString path;
        std::optional<QVariantList> files;
    };

    void openURLString(const QString& urlString, const std::optional<QVariantList>& selected) override
    {
        opened.append({urlString, selected});
    }
    void readVolumeAttributes(const QUrl&) override {}
    void openPath(const QString& path, const std::optional<QVariantList>& selected, const QString&) override
    {
        opened.append({path, selected});
    }
    void launchAllEntriesOfTag(const QString& tagName) override { launchedTags.append(tagName); }
    bool selectFile(const QString&) override { return true; }
    bool isApplicationRunning(const QString& applicationPath) override { return running.contains(applicationPath); }

    QList<Open> opened;
    QStringList launchedTags;
    QSet<QString> running;
};

// A fresh store and a shown entry list over it per test, the settings the
// list reads at their defaults, debug logging captured and every posted
// notification name recorded.
class EntryListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Configuration& config = AppDelegate::shared().config();
        config.setDebugLogging(true);
        config.setShowPathInMainView(true);
        config.setUseSmallModeInMainView(false);
        config.setSelectingTagsInMainWindowLaunchAll(false);
        config.setHotkeyBorder(false);
        config.setEntryBackgroundAlphaValue(0.2f);
        config.setDiaplaynameColor(std::nullopt);
        config.setPathColor(std::nullopt);
        config.setDescriptionColor(std::nullopt);
        setFocusedControl(FocusedControl::none);
        services = std::make_shared<RecordingExecutionServices>();
        ExecutionServices::setShared(services);
        recorder = platform::NotificationCenter::defaultCenter().addObserver(
            QString(), [this](const platform::Notification& n) { posted.append(n.name); });
        store = std::make_unique<DataStorage>();
        view = std::make_unique<MainTableView>(*store);
        view->resize(640, 420);
    }

    void TearDown() override
    {
        view.reset();
        recorder.reset();
        store.reset();
        ExecutionServices::setShared(nullptr);
        setFocusedControl(FocusedControl::none);
        AppDelegate::shared().config().setDebugLogging(false);
    }

    Configuration& config() { return AppDelegate::shared().config(); }

    // Shows the list and waits until it is on screen.
    void show()
    {
        view->show();
        ASSERT_TRUE(waitUntil([this] { return view->isVisible(); }));
        QCoreApplication::processEvents();
    }

    // A URL entry: always reachable.
    TableViewItemPtr addURL(const QString& name, const QString& url = {})
    {
        return addURLEntry(*store, name, url.isEmpty() ? QStringLiteral("https://example.org/") + name : url);
    }

    // An application that discovery found: reachable without a file test.
    TableViewItemPtr addApplication(const QString& name, const QString& path = {})
    {
        auto entry = TableViewItem::initForSpotlightApp(
            path.isEmpty() ? QStringLiteral("/usr/share/applications/") + name.toLower() + QStringLiteral(".desktop")
                           : path,
            name);
        entry->setIsFoundBySpotlight(true);
        store->allData()->append(entry);
        return entry;
    }

    TableViewItemPtr addTagEntry(const QString& tagName)
    {
        auto entry = TableViewItem::initForTag(tagName, QStringLiteral("Tag [") + tagName + QStringLiteral("]"));
        entry->setIsFoundByTags(true);
        store->allData()->append(entry);
        return entry;
    }

    // The store's main list as the sidebar's default selection shows it.
    void applyFilter()
    {
        store->filterCurrentData().resetFilter();
        store->filterCurrentData().applyFilter();
    }

    QStringList shownNames() const
    {
        QStringList names;
        for (int row = 0; row < view->tableModel().rowCount(); ++row)
            if (const auto entry = view->tableModel().entryAt(row))
                names.append(entry->name());
        return names;
    }

    QString selectedName() const
    {
        const auto entry = view->selectedEntry();
        return entry ? entry->name() : QString();
    }

    int countPosted(const QString& name) const { return int(posted.count(name)); }

    // A real file below the test home.
    QString makeFile(const QString& folder, const QString& name)
    {
        const QString dir = makeTempDir(folder);
        const QString path = dir + QLatin1Char('/') + name;
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write("content\n");
        return path;
    }

    // Where the pictures of the tests go.
    static QString outputFolder()
    {
        const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/output");
        QDir().mkpath(folder);
        return folder;
    }

    platform::Log::CaptureSink log;
    std::shared_ptr<RecordingExecutionServices> services;
    std::unique_ptr<DataStorage> store;
    std::unique_ptr<MainTableView> view;
    QStringList posted;
    platform::ObserverToken recorder;
};

} // namespace vantel::test
