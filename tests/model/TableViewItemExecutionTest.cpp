#include "model/TableViewItem.h"

#include "ModelTestSupport.h"
#include "support/FakeMainViewServices.h"
#include "support/TestSupport.h"
#include "model/ExecutionServices.h"
#include "platform/MainQueue.h"

#include <gtest/gtest.h>

#include <QDir>

#include <thread>

using namespace vantel;
using namespace vantel::test;

namespace {

// Records, in order, what the entry asked of the item-access layer and of
// the main view, together with the notifications posted meanwhile.
struct Journal {
    QStringList events;
};

class FakeServices : public ExecutionServices {
public:
    explicit FakeServices(Journal& journal) : journal_(journal) {}
    void openURLString(const QString& url, const std::optional<QVariantList>& selected) override
    {
        onMain = onMain && platform::MainQueue::isMainThread();
        journal_.events.append(QStringLiteral("openURLString %1 %2").arg(url).arg(selected ? selected->size() : -1));
    }
    void readVolumeAttributes(const QUrl& url) override
    {
        journal_.events.append(QStringLiteral("readVolumeAttributes ") + url.toLocalFile());
    }
    void openPath(const QString& path, const std::optional<QVariantList>& selected, const QString& entryName) override
    {
        onMain = onMain && platform::MainQueue::isMainThread();
        journal_.events.append(
            QStringLiteral("openPath %1 %2 \"%3\"").arg(path).arg(selected ? selected->size() : -1).arg(entryName));
    }
    void launchAllEntriesOfTag(const QString& tagName) override
    {
        journal_.events.append(QStringLiteral("launchAll ") + tagName);
    }
    bool selectFile(const QString&) override { return true; }
    bool isApplicationRunning(const QString& path) override { return path == QLatin1String("/apps/running.desktop"); }
    bool onMain = true;

private:
    Journal& journal_;
};

class FakeMainView : public MainViewController {
public:
    explicit FakeMainView(Journal& journal) : journal_(journal) {}
    bool modifierFlagsContainOptionKey() const override { return optionKey; }
    bool hasSectionView() const override { return sectionView; }
    bool selectItemWithTagName(const QString& tagName) override
    {
        journal_.events.append(QStringLiteral("select ") + tagName);
        return true;
    }
    bool selectItemWithSelectionType(int selectionType) override
    {
        journal_.events.append(QStringLiteral("select category %1").arg(selectionType));
        return true;
    }
    void updateMainTableView() override { journal_.events.append(QStringLiteral("updateMainTableView")); }
    bool optionKey = false;
    bool sectionView = true;

private:
    Journal& journal_;
};

class Execution : public ::testing::Test {
protected:
    void SetUp() override
    {
        services = std::make_shared<FakeServices>(journal);
        ExecutionServices::setShared(services);
        token = platform::NotificationCenter::defaultCenter().addObserver(
            QStringLiteral("executeTableviewItem"), [this](const platform::Notification& n) {
                journal.events.append(n.object.has_value() ? QStringLiteral("posted with object")
                                                           : QStringLiteral("posted"));
            });
        mainView = std::make_shared<FakeMainViewServices>();
        MainViewServices::setShared(mainView);
    }
    void TearDown() override
    {
        spinEventLoop(std::chrono::milliseconds(10));
        ExecutionServices::setShared(nullptr);
        MainViewServices::setShared(nullptr);
    }
    QStringList runAndDrain(const TableViewItem::Ptr& entry, const std::optional<QVariantList>& arguments)
    {
        journal.events.clear();
        entry->execute(arguments);
        journal.events.append(QStringLiteral("returned"));
        spinEventLoop(std::chrono::milliseconds(30));
        return journal.events;
    }

    Journal journal;
    std::shared_ptr<FakeServices> services;
    std::shared_ptr<FakeMainViewServices> mainView;
    std::optional<platform::ObserverToken> token;
};

const QVariantList twoFiles{QStringLiteral("/tmp/a"), QStringLiteral("/tmp/b")};

} // namespace

TEST_F(Execution, AFileIsAnnouncedFirstAndOpenedLaterOnTheMainQueue)
{
    auto entry = TableViewItem::initForPath(QStringLiteral("/data/file.txt"), QStringLiteral("Ledger notes"),
                                            ListviewItemType::file, ListviewItemSource::other);
    EXPECT_EQ(runAndDrain(entry, twoFiles),
              (QStringList{QStringLiteral("posted"), QStringLiteral("returned"),
                           QStringLiteral("readVolumeAttributes /data/file.txt"),
                           QStringLiteral("openPath /data/file.txt 2 \"Ledger notes\"")}));
    EXPECT_TRUE(services->onMain);
}

TEST_F(Execution, URLsWithAndWithoutScheme)
{
    auto web = TableViewItem::initForURL(QStringLiteral("https://example.org/?q=1"), QStringLiteral("web"), QString());
    EXPECT_EQ(runAndDrain(web, std::nullopt),
              (QStringList{QStringLiteral("posted"), QStringLiteral("returned"),
                           QStringLiteral("openURLString https://example.org/?q=1 -1")}));
    auto noScheme = TableViewItem::initForURL(QStringLiteral("example.org"), QStringLiteral("x"), QString());
    EXPECT_EQ(runAndDrain(noScheme, std::nullopt),
              (QStringList{QStringLiteral("posted"), QStringLiteral("returned"),
                           QStringLiteral("readVolumeAttributes example.org"),
                           QStringLiteral("openPath example.org -1 \"x\"")}));
}

TEST_F(Execution, ShortcutsGetTheSelectedFilesAsInputUnlessTheyHaveOne)
{
    auto shortcut = TableViewItem::initForShortcutsURL(QStringLiteral("shortcuts://run-shortcut?name=Resize"),
                                                       QStringLiteral("Resize"), QString());
    EXPECT_EQ(runAndDrain(shortcut, twoFiles),
              (QStringList{QStringLiteral("posted"), QStringLiteral("returned"),
                           QStringLiteral("openURLString shortcuts://run-shortcut?name=Resize&input=%%selectedFileObjects%% 2")}));
    EXPECT_EQ(runAndDrain(shortcut, QVariantList{}).last(),
              QStringLiteral("openURLString shortcuts://run-shortcut?name=Resize 0"));
    auto withInput = TableViewItem::initForShortcutsURL(QStringLiteral("shortcuts://run-shortcut?name=R&Input=text"),
                                                        QStringLiteral("R"), QString());
    EXPECT_EQ(runAndDrain(withInput, twoFiles).last(),
              QStringLiteral("openURLString shortcuts://run-shortcut?name=R&Input=text 2"));

    auto foreignScheme = TableViewItem::initForShortcutsURL(QStringLiteral("https://example.org"), QStringLiteral("x"), QString());
    EXPECT_EQ(runAndDrain(foreignScheme, twoFiles), QStringList{QStringLiteral("returned")});
}

TEST_F(Execution, TagEntriesPostNothingAndLaunchOrSelect)
{
    auto tag = TableViewItem::initForTag(QStringLiteral("Dev"), QStringLiteral("Tag [Dev]"));
    // Setting off, no main view shown: nothing at all.
    EXPECT_EQ(runAndDrain(tag, std::nullopt), QStringList{QStringLiteral("returned")});

    auto view = std::make_shared<FakeMainView>(journal);
    mainView->controller = view;
    mainView->state = MainViewServices::NotVisible;
    EXPECT_EQ(runAndDrain(tag, std::nullopt), QStringList{QStringLiteral("returned")});

    mainView->state = MainViewServices::Popover;
    EXPECT_EQ(runAndDrain(tag, std::nullopt),
              (QStringList{QStringLiteral("select Dev"), QStringLiteral("updateMainTableView"), QStringLiteral("returned")}));

    view->sectionView = false;
    EXPECT_EQ(runAndDrain(tag, std::nullopt), QStringList{QStringLiteral("returned")});

    // The Option key inverts the setting.
    view->optionKey = true;
    EXPECT_EQ(runAndDrain(tag, std::nullopt), (QStringList{QStringLiteral("launchAll Dev"), QStringLiteral("returned")}));
    mainView->launchAllSetting = true;
    view->optionKey = false;
    EXPECT_EQ(runAndDrain(tag, std::nullopt), (QStringList{QStringLiteral("launchAll Dev"), QStringLiteral("returned")}));
}

TEST_F(Execution, FromAWorkerThreadTheOpenStillRunsOnTheMainThread)
{
    auto entry = TableViewItem::initForURL(QStringLiteral("https://example.org"), QStringLiteral("x"), QString());
    journal.events.clear();
    std::thread worker([&] { entry->execute(std::nullopt); });
    worker.join();
    ASSERT_TRUE(waitUntil([&] { return journal.events.size() == 2; }));
    EXPECT_EQ(journal.events.first(), QStringLiteral("posted"));
    EXPECT_TRUE(services->onMain);
}

TEST_F(Execution, IsLaunchedAsksForApplicationsOnly)
{
    EXPECT_TRUE(TableViewItem::initForSpotlightApp(QStringLiteral("/apps/running.desktop"), QStringLiteral("r"))->isLaunched());
    EXPECT_FALSE(TableViewItem::initForSpotlightApp(QStringLiteral("/apps/other.desktop"), QStringLiteral("o"))->isLaunched());
    EXPECT_FALSE(TableViewItem::initForPath(QStringLiteral("/apps/running.desktop"), QStringLiteral("f"),
                                            ListviewItemType::file, ListviewItemSource::other)
                     ->isLaunched());
}
