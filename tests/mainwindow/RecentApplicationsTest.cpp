#include "CatalogueEntries.h"
#include "config/Configuration.h"
#include "datastore/DataStorage.h"
#include "datastore/DataStorageFilterCurrentData.h"
#include "datastore/spotlight/ProxySpotlightQueryFS.h"
#include "mainwindow/SidebarFilter.h"
#include "mainwindow/SourceListItemFixedEntry.h"
#include "platform/LaunchHistory.h"
#include "platform/Workspace.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QUrl>

using namespace vantel;
using namespace vantel::test;

namespace {

class RecentApplicationsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Configuration::shared().setSaveInProgress(false);
        scope = makeTempDir(QStringLiteral("recent-apps"));
        for (const char* name : {"Quill", "Ledger", "Inkwell"}) {
            const QString id = QString::fromLatin1(name).toLower();
            const QString script = scope + QStringLiteral("/") + id + QStringLiteral(".sh");
            writeFile(script, "#!/bin/sh\ntouch '" + QFile::encodeName(script) + ".ran'\n");
            QFile::setPermissions(script, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
            writeFile(scope + QStringLiteral("/") + id + QStringLiteral(".desktop"),
                      "[Desktop Entry]\nType=Application\nName=" + QByteArray(name) + "\nExec="
                          + QFile::encodeName(script) + "\n");
        }
        Configuration::shared().setCustomSpotlightSearchScope({scope});
    }

    void TearDown() override
    {
        store.reset();
        Configuration::shared().setCustomSpotlightSearchScope({});
        platform::LaunchHistory::setShared(nullptr);
    }

    static void writeFile(const QString& path, const QByteArray& content)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
        file.write(content);
    }

    // The program as it starts: a store whose discovery has found the applications.
    void start()
    {
        store = std::make_unique<DataStorage>();
        auto* proxy = dynamic_cast<ProxySpotlightQueryFS*>(store->proxySpotlightQueryFSAllApps().get());
        ASSERT_NE(proxy, nullptr);
        store->setEnableDataProxies(true);
        ASSERT_TRUE(waitUntil([&] {
            return proxy->spotlightQuery().state().get() == SpotlightQueryState::finishedGathering
                && store->allData()->count() >= 3;
        }));
    }

    void open(const QString& id)
    {
        bool done = false;
        std::optional<platform::WorkspaceError> failure;
        platform::Workspace::shared().openURL(QUrl::fromLocalFile(scope + u'/' + id + QStringLiteral(".desktop")), {},
                                             [&](const std::optional<platform::WorkspaceError>& error) {
                                                 failure = error;
                                                 done = true;
                                             });
        ASSERT_TRUE(waitUntil([&] { return done; }));
        ASSERT_FALSE(failure.has_value()) << failure->localizedDescription.toStdString();
        ASSERT_TRUE(waitUntil([&] { return QFileInfo::exists(scope + u'/' + id + QStringLiteral(".sh.ran")); }));
    }

    QStringList recentApplications()
    {
        const auto item = SourceListItemFixedEntry::create(QStringLiteral("Recent Applications"),
                                                           SourceListItemContentType::lastUsedApplications);
        applySidebarFilter(store->filterCurrentData(), *item);
        QStringList names;
        for (const TableViewItemPtr& entry : store->currentData()->snapshot())
            names << entry->name();
        return names;
    }

    QString scope;
    std::unique_ptr<DataStorage> store;
};

} // namespace

TEST_F(RecentApplicationsTest, TheApplicationsLaunchedBeforeARestartAreTheRecentOnesAfterIt)
{
    start();
    open(QStringLiteral("quill"));
    QThread::msleep(20); // the two launches are told apart by their times
    open(QStringLiteral("ledger"));
    ASSERT_TRUE(platform::LaunchHistory::shared().synchronize());

    // A restart: nothing but the files on disk goes over.
    store.reset();
    platform::LaunchHistory::setShared(std::make_shared<platform::LaunchHistory>(
        platform::LaunchHistory::standardFilePath(), platform::LaunchHistory::standardRecentlyUsedPath()));
    start();
    // Entries never opened (an application, a URL, a file) are no recent applications.
    addURLEntry(*store, QStringLiteral("Almanac"), QStringLiteral("https://example.org/almanac"));
    addPathEntry(*store, scope, QStringLiteral("notes.txt"), ListviewItemType::file);
    EXPECT_EQ(recentApplications(), (QStringList{QStringLiteral("Ledger"), QStringLiteral("Quill")}));

    // Opened since, an entry of another kind is one of them.
    addURLEntry(*store, QStringLiteral("Atlas"), QStringLiteral("https://example.org/atlas"))
        ->setLastUsedDate(QDateTime::currentDateTime());
    EXPECT_EQ(recentApplications(),
              (QStringList{QStringLiteral("Atlas"), QStringLiteral("Ledger"), QStringLiteral("Quill")}));
}
