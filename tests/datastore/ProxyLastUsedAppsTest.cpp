#include "DatastoreTestSupport.h"

#include "datastore/ProxyLastUsedApps.h"
#include "platform/LaunchHistory.h"
#include "model/Logger.h"

#include <QThread>
#include <QUrl>

using namespace vantel;

class ProxyLastUsedAppsTest : public test::DatastoreTest {
protected:
    void SetUp() override
    {
        DatastoreTest::SetUp();
        proxy = std::dynamic_pointer_cast<ProxyLastUsedApps>(store->proxyLastUsedApps());
        ASSERT_TRUE(proxy) << "every store owns a recent-launch proxy";
        editor = addMissingApplication(QStringLiteral("Editor"), ListviewItemSource::spotlight);
        viewer = addMissingApplication(QStringLiteral("Viewer"), ListviewItemSource::spotlight);
    }

    static void launch(const std::any& object)
    {
        platform::NotificationCenter::defaultCenter().post(QStringLiteral("didLaunchApplication"), object);
    }
    static void launch(const QString& path) { launch(std::any(path)); }

    QStringList proxyLog() const
    {
        QStringList result;
        for (const auto& record : log.records())
            if (record.category == Logger::lastUsedProxy().name())
                result.append(record.message);
        return result;
    }

    std::shared_ptr<ProxyLastUsedApps> proxy;
    TableViewItemPtr editor, viewer;
};

TEST_F(ProxyLastUsedAppsTest, EnabledProxyWritesTheLaunchTimeOfTheEntry)
{
    launch(editor->path());
    EXPECT_TRUE(proxy->tempLastUsedApplications().isEmpty()) << "nothing is observed before the store initialises it";

    store->setEnableDataProxies(true);
    ASSERT_TRUE(proxy->initialized());
    ASSERT_TRUE(proxy->enabled());
    const int entries = store->allData()->count();
    posted.clear();

    const QDateTime before = QDateTime::currentDateTime();
    launch(editor->path().toUpper());
    const QDateTime after = QDateTime::currentDateTime();
    const auto used = editor->lastUsedDate();
    ASSERT_TRUE(used.has_value()) << "paths match without regard to case";
    EXPECT_EQ(platform::LaunchHistory::shared().recordedDate(editor->path().toUpper()), used) << "kept for a restart";
    EXPECT_GE(*used, before);
    EXPECT_LE(*used, after);
    EXPECT_FALSE(viewer->lastUsedDate().has_value());

    // A launch of something the catalogue does not hold changes nothing.
    launch(QStringLiteral("/usr/share/applications/unknown.desktop"));
    EXPECT_TRUE(platform::LaunchHistory::shared().recordedDate(QStringLiteral("/usr/share/applications/unknown.desktop")));
    EXPECT_EQ(store->allData()->count(), entries);
    EXPECT_EQ(editor->lastUsedDate(), used);
    EXPECT_EQ(posted, (QStringList{QStringLiteral("didLaunchApplication"), QStringLiteral("didLaunchApplication")}))
        << "the proxy posts nothing of its own";
    EXPECT_TRUE(proxyLog().contains(QStringLiteral(
        "Observer applicationWasLaunched was called, but entry was not found in Database for: "
        "/usr/share/applications/unknown.desktop")));
    EXPECT_TRUE(proxy->tempLastUsedApplications().isEmpty());
}

TEST_F(ProxyLastUsedAppsTest, DisabledProxyBuffersUntilTheNextLaunchAfterEnabling)
{
    store->setEnableDataProxies(false);
    ASSERT_TRUE(proxy->initialized());
    const QString unknown = QStringLiteral("/usr/share/applications/gone.desktop");

    launch(editor->path());
    const QDateTime firstTime = proxy->tempLastUsedApplications().value(0).lastUsed;
    QThread::msleep(5);
    launch(unknown);
    launch(editor->path());
    // The buffer compares exactly: another spelling is an element of its own.
    launch(viewer->path().toUpper());

    const auto buffer = proxy->tempLastUsedApplications();
    ASSERT_EQ(buffer.size(), 3);
    EXPECT_EQ(buffer[0].path, editor->path()) << "the element keeps its place";
    EXPECT_GT(buffer[0].lastUsed, firstTime) << "and takes the later time";
    EXPECT_EQ(buffer[1].path, unknown);
    EXPECT_EQ(buffer[2].path, viewer->path().toUpper());
    EXPECT_FALSE(editor->lastUsedDate().has_value());

    // Switching off and on again neither writes nor drops the buffer.
    store->setEnableDataProxies(true);
    store->setEnableDataProxies(false);
    store->setEnableDataProxies(true);
    EXPECT_EQ(proxy->tempLastUsedApplications(), buffer);
    EXPECT_FALSE(editor->lastUsedDate().has_value());
    EXPECT_FALSE(viewer->lastUsedDate().has_value());

    // The next launch replays the buffer with the buffered times, then records itself.
    const QDateTime before = QDateTime::currentDateTime();
    launch(viewer->path());
    EXPECT_EQ(editor->lastUsedDate(), buffer[0].lastUsed);
    ASSERT_TRUE(viewer->lastUsedDate().has_value());
    EXPECT_GE(*viewer->lastUsedDate(), before) << "the live launch is applied after the buffered one";
    EXPECT_TRUE(proxy->tempLastUsedApplications().isEmpty()) << "unknown paths are dropped with the rest";

    const QStringList lines = proxyLog();
    EXPECT_TRUE(lines.contains(QStringLiteral("Processing temporary stored values for: ") + editor->path()));
    EXPECT_TRUE(lines.contains(
        QStringLiteral("Processing temporary stored values, but entry was not found in Database for: ") + unknown));
    EXPECT_TRUE(lines.contains(QStringLiteral("Removing temporary stored values ...")));

    // With the buffer empty, a launch writes only its own entry.
    const auto editorDate = editor->lastUsedDate();
    log.clear();
    launch(viewer->path());
    EXPECT_EQ(editor->lastUsedDate(), editorDate);
    EXPECT_FALSE(proxyLog().contains(QStringLiteral("Processing temporary stored values ...")));
}

TEST_F(ProxyLastUsedAppsTest, IgnoresLaunchesWithoutAPathInBothStates)
{
    const std::vector<std::any> objects = {std::any(), std::any(QString()), std::any(42),
                                           std::any(QUrl::fromLocalFile(editor->path()))};
    store->setEnableDataProxies(false);
    for (const auto& object : objects)
        launch(object);
    EXPECT_TRUE(proxy->tempLastUsedApplications().isEmpty());

    launch(editor->path());
    store->setEnableDataProxies(true);
    log.clear();
    for (const auto& object : objects)
        launch(object);
    EXPECT_EQ(proxy->tempLastUsedApplications().size(), 1) << "an ignored launch does not replay the buffer";
    EXPECT_FALSE(editor->lastUsedDate().has_value());
    EXPECT_TRUE(proxyLog().isEmpty());
}

TEST_F(ProxyLastUsedAppsTest, SetterLogsOnlyAChange)
{
    proxy->setEnabled(false);
    EXPECT_TRUE(proxyLog().isEmpty());
    proxy->setEnabled(true);
    proxy->setEnabled(true);
    proxy->setEnabled(false);
    EXPECT_EQ(proxyLog(), (QStringList{QStringLiteral("Proxy: LastUsedApps enabled: true"),
                                       QStringLiteral("Proxy: LastUsedApps enabled: false")}));
    const auto records = log.records();
    const auto info = std::count_if(records.cbegin(), records.cend(), [](const platform::Log::Record& r) {
        return r.category == Logger::lastUsedProxy().name() && r.type == platform::LogType::Info;
    });
    EXPECT_EQ(info, 2);
}

TEST_F(ProxyLastUsedAppsTest, StopsListeningWhenItsStoreGoes)
{
    store->setEnableDataProxies(false);
    const std::weak_ptr<ProxyLastUsedApps> weak = proxy;
    proxy.reset();
    store.reset();
    EXPECT_TRUE(weak.expired());
    // Would reach a freed proxy, and log, if its observer had stayed registered.
    const auto lines = proxyLog().size();
    launch(QStringLiteral("/apps/after.desktop"));
    EXPECT_EQ(proxyLog().size(), lines);
}

