#include "CatalogueEntries.h"
#include "config/Configuration.h"
#include "datastore/DataStorageFilterCurrentData.h"
#include "datastore/spotlight/ProxySpotlightQueryFS.h"
#include "mainwindow/SidebarFilter.h"
#include "mainwindow/SourceListItemFixedEntry.h"
#include "platform/LaunchHistory.h"
#include "platform/Workspace.h"
#include "support/TestSupport.h"

#include <QFileInfo>
#include <QThread>
#include <QUrl>

using namespace vantel;
using namespace vantel::test;

namespace {

// The program started on a catalogue of three applications whose scripts
// leave a mark when they run.
struct Program {
    explicit Program(const QString& scope)
    {
        auto* proxy = dynamic_cast<ProxySpotlightQueryFS*>(store.proxySpotlightQueryFSAllApps().get());
        store.setEnableDataProxies(true);
        EXPECT_TRUE(waitUntil([&] {
            return proxy->spotlightQuery().state().get() == SpotlightQueryState::finishedGathering
                && store.allData()->count() == 3;
        })) << scope.toStdString();
    }

    QStringList recentApplications()
    {
        applySidebarFilter(store.filterCurrentData(),
                           *SourceListItemFixedEntry::create(QStringLiteral("Recent Applications"),
                                                             SourceListItemContentType::lastUsedApplications));
        QStringList names;
        for (const TableViewItemPtr& entry : store.currentData()->snapshot())
            names << entry->name();
        return names;
    }

    DataStorage store;
};

void open(const QString& desktopFile)
{
    bool done = false;
    platform::Workspace::shared().openURL(QUrl::fromLocalFile(desktopFile), {},
                                         [&](const std::optional<platform::WorkspaceError>& error) {
                                             EXPECT_FALSE(error.has_value());
                                             done = true;
                                         });
    ASSERT_TRUE(waitUntil([&] { return done && QFileInfo::exists(desktopFile + QStringLiteral(".ran")); }));
}

} // namespace

TEST(RecentApplicationsTest, TheApplicationsLaunchedBeforeARestartAreTheRecentOnesAfterIt)
{
    Configuration::shared().setSaveInProgress(false);
    const QString scope = makeTempDir(QStringLiteral("recent-apps"));
    for (const char* name : {"Quill", "Ledger", "Inkwell"}) {
        const QString file = scope + u'/' + QString::fromLatin1(name) + QStringLiteral(".desktop");
        QFile entry(file);
        ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
        entry.write("[Desktop Entry]\nType=Application\nName=" + QByteArray(name) + "\nExec=touch \""
                    + QFile::encodeName(file) + ".ran\"\n");
    }
    Configuration::shared().setCustomSpotlightSearchScope({scope});
    {
        Program before(scope);
        open(scope + QStringLiteral("/Quill.desktop"));
        QThread::msleep(20); // the two launches are told apart by their times
        open(scope + QStringLiteral("/Ledger.desktop"));
        ASSERT_TRUE(platform::LaunchHistory::shared().synchronize());
    }
    // A restart: nothing but the files on disk goes over.
    platform::LaunchHistory::setShared(std::make_shared<platform::LaunchHistory>(
        platform::LaunchHistory::standardFilePath(), platform::LaunchHistory::standardRecentlyUsedPath()));
    Program after(scope);
    // Entries never opened, of any kind, are no recent applications.
    addURLEntry(after.store, QStringLiteral("Almanac"), QStringLiteral("https://example.org/almanac"));
    addPathEntry(after.store, scope, QStringLiteral("notes.txt"), ListviewItemType::file);
    EXPECT_EQ(after.recentApplications(), (QStringList{QStringLiteral("Ledger"), QStringLiteral("Quill")}));

    Configuration::shared().setCustomSpotlightSearchScope({});
    platform::LaunchHistory::setShared(nullptr);
}
