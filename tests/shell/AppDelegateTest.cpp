#include "config/StoreStoredLists.h"
#include "datastore/DataStorage.h"
#include "datastore/WindowRequests.h"
#include "model/TableViewItem.h"
#include "platform/Log.h"
#include "platform/NotificationCenter.h"
#include "platform/WorkspaceEvents.h"
#include "shell/AppDelegate.h"
#include "model/MainViewController.h"
#include "model/MainViewServices.h"
#include "shell/ServiceManager.h"
#include "shell/ShellMainViewServices.h"
#include "shell/ShellWindowRequests.h"
#include "shell/VantelManager.h"
#include "shell/VantelWindowEnum.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QVariantMap>

namespace vantel {
namespace {

class FakeMainViewController : public MainViewController {
public:
    bool modifierFlagsContainOptionKey() const override { return false; }
    bool hasSectionView() const override { return true; }
    bool selectItemWithTagName(const QString&) override { return false; }
    bool selectItemWithSelectionType(int) override { return false; }
    void updateMainTableView() override {}
    void serviceManagerValuesChanged() override { ++labelRefreshes; }
    int labelRefreshes = 0;
};

// Records the manager's show requests and supplies a main view controller.
class MainViewFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        AppDelegate::shared(); // its creation sets the log gate from the settings
        platform::Log::setDebugLogging(true);
        controller = std::make_shared<FakeMainViewController>();
        VantelManager::shared().setViewControllerMain(controller);
        VantelManager::shared().setMainWindowActions([this] { ++shows; }, [this] { ++switches; });
        folder = test::makeTempDir(QStringLiteral("handover"));
    }
    void TearDown() override
    {
        VantelManager::shared().setMainWindowActions({}, {});
        VantelManager::shared().setViewControllerMain(nullptr);
    }
    QString makeFile(const QString& name)
    {
        QFile file(folder + QLatin1Char('/') + name);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        return file.fileName();
    }

    std::shared_ptr<FakeMainViewController> controller;
    QString folder;
    int shows = 0;
    int switches = 0;
};

TEST_F(MainViewFixture, HandedFilesReplaceTheWaitingOnesAndSkipEmptyAndMissingPaths)
{
    const QString a = makeFile(QStringLiteral("a.txt"));
    const QString b = makeFile(QStringLiteral("b with space.txt"));
    controller->serviceManagerValues = {QUrl::fromLocalFile(QStringLiteral("/old"))};

    EXPECT_TRUE(AppDelegate::shared().openFilesInMainView({a, QString(), folder + QStringLiteral("/gone"), b}));
    EXPECT_EQ(shows, 1);
    EXPECT_EQ(controller->serviceManagerValues, (QList<QUrl>{QUrl::fromLocalFile(a), QUrl::fromLocalFile(b)}));
    // Once for the emptying, once per file taken.
    EXPECT_EQ(controller->labelRefreshes, 3);

    // Only unreachable paths: the view still shows, nothing waits.
    EXPECT_FALSE(AppDelegate::shared().openFilesInMainView({folder + QStringLiteral("/gone")}));
    EXPECT_EQ(shows, 2);
    EXPECT_TRUE(controller->serviceManagerValues.isEmpty());

    EXPECT_TRUE(AppDelegate::shared().openFileInMainView(folder));
    EXPECT_FALSE(AppDelegate::shared().openFileInMainView(QString()));
}

TEST_F(MainViewFixture, WithoutMainViewControllerNothingWaits)
{
    VantelManager::shared().setViewControllerMain(nullptr);
    EXPECT_FALSE(AppDelegate::shared().openFilesInMainView({makeFile(QStringLiteral("c.txt"))}));
    EXPECT_EQ(shows, 1);
}

TEST_F(MainViewFixture, ServiceTakesOnlyListsOfStrings)
{
    const QString a = makeFile(QStringLiteral("one.txt"));
    const QString b = makeFile(QStringLiteral("two.txt"));
    ServiceManager service;
    platform::Log::CaptureSink sink;

    service.serviceAddFile(QStringList{a, folder + QStringLiteral("/missing"), b});
    EXPECT_EQ(controller->serviceManagerValues.size(), 2);
    EXPECT_TRUE(sink.messages().contains(QStringLiteral("Got called from Finder-Service ...")));
    EXPECT_TRUE(sink.messages().contains(QStringLiteral("Finder-Service provided some content ...")));

    // A second call replaces the waiting files.
    service.serviceAddFile(QVariantList{a});
    EXPECT_EQ(controller->serviceManagerValues, QList<QUrl>{QUrl::fromLocalFile(a)});

    // Not a list of strings: ignored, the waiting file stays.
    sink.clear();
    service.serviceAddFile(QVariantList{a, 42});
    service.serviceAddFile(QVariant(a));
    service.serviceAddFile(QVariant());
    EXPECT_EQ(controller->serviceManagerValues, QList<QUrl>{QUrl::fromLocalFile(a)});
    EXPECT_FALSE(sink.messages().contains(QStringLiteral("Finder-Service provided some content ...")));

    // An empty list shows the view and leaves nothing waiting.
    const int before = shows;
    service.serviceAddFile(QStringList{});
    EXPECT_EQ(shows, before + 1);
    EXPECT_TRUE(controller->serviceManagerValues.isEmpty());
}

// The lower layers reach the shell only through their seams: the delegate
// hands out the settings' own instance and connects every seam when made.
TEST(AppDelegateSeams, TheDelegateConnectsTheLowerLayers)
{
    AppDelegate& delegate = AppDelegate::shared();
    EXPECT_EQ(&delegate.config(), &Configuration::shared());
    EXPECT_TRUE(std::dynamic_pointer_cast<StoreStoredLists>(StoredLists::shared()));
    EXPECT_TRUE(std::dynamic_pointer_cast<ShellMainViewServices>(MainViewServices::shared()));
    EXPECT_TRUE(std::dynamic_pointer_cast<ShellWindowRequests>(WindowRequests::shared()));
}

TEST(AppDelegateActivation, FocusLossRuleRunsOnlyAfterActivation)
{
    AppDelegate& delegate = AppDelegate::shared();
    QStringList posted;
    auto token = platform::NotificationCenter::defaultCenter().addObserver(
        QString(), [&posted](const platform::Notification& n) {
            if (n.name.startsWith(QStringLiteral("application")))
                posted << n.name;
        });
    delegate.applicationDidResignActive();
    EXPECT_FALSE(delegate.applicationIsActive());
    delegate.applicationWillBecomeActive();
    delegate.applicationDidBecomeActive();
    EXPECT_TRUE(delegate.applicationIsActive());
    delegate.applicationWillResignActive();
    delegate.applicationDidResignActive();
    EXPECT_FALSE(delegate.applicationIsActive());
    EXPECT_EQ(posted, (QStringList{"applicationDidResignActive", "applicationWillBecomeActive",
                                   "applicationDidBecomeActive", "applicationWillResignActive",
                                   "applicationDidResignActive"}));
}

class VolumeChange : public ::testing::Test {
protected:
    void SetUp() override
    {
        AppDelegate::shared(); // its creation sets the log gate from the settings
        platform::Log::setDebugLogging(true);
        DataStorage& store = DataStorage::shared();
        if (store.allData()->isEmpty()) {
            store.allData()->append(TableViewItem::initForPath(QStringLiteral("/Media/USB-Stick/Report.pdf"),
                                                               QStringLiteral("Report"), ListviewItemType::file,
                                                               ListviewItemSource::other));
        }
        rebuilds = 0;
        token = platform::NotificationCenter::defaultCenter().addObserver(
            QStringLiteral("dataStorageRebuildIsFinished"), [this](const platform::Notification&) { ++rebuilds; });
    }
    void post(const std::any& object)
    {
        AppDelegate::shared().volumeChangeDetected({platform::WorkspaceEvents::didMountNotification, object, nullptr});
    }
    static QVariantMap device(const QVariant& path) { return {{platform::WorkspaceEvents::devicePathKey, path}}; }

    int rebuilds = 0;
    platform::ObserverToken token;
    platform::Log::CaptureSink sink;
};

TEST_F(VolumeChange, RebuildsOnlyForVolumesThatHoldEntries)
{
    post(device(QStringLiteral("/media/usb-stick")));
    EXPECT_EQ(rebuilds, 1);
    EXPECT_TRUE(sink.messages().contains(
        QStringLiteral("Observer volumeChangeDetected for /media/usb-stick was triggered and entries in AllData "
                       "refer to this volume. We now update the database.")));

    post(device(QStringLiteral("/media/other")));
    EXPECT_EQ(rebuilds, 1);
    EXPECT_TRUE(sink.messages().contains(
        QStringLiteral("Observer volumeChangeDetected for /media/other was triggered but no entries in AllData refer "
                       "to this volume. No need to update the database!")));
}

TEST_F(VolumeChange, SnapshotVolumesAndBadPayloadsAreIgnoredSilently)
{
    post(device(QStringLiteral("/Media/USB-Stick/.TimeMachine/x")));
    post(device(QStringLiteral("/media/usb-stick/com.apple.TimeMachine.localsnapshots")));
    post(device(QString()));
    post(device(42));
    post(QVariantMap{});
    post(QStringLiteral("/media/usb-stick"));
    post(std::any());
    EXPECT_EQ(rebuilds, 0);
    EXPECT_TRUE(sink.messages().filter(QStringLiteral("volumeChangeDetected")).isEmpty());
}

} // namespace
} // namespace vantel
