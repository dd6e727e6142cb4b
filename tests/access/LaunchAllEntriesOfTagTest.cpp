#include "AccessTestSupport.h"

#include "access/AccessExecutionServices.h"
#include "access/LaunchAllEntriesOfTag.h"
#include "model/ExecutionServices.h"
#include "model/TableViewItem.h"

#include <QHash>

#include <gtest/gtest.h>

using namespace vantel;

namespace {

// Counts the opens that reach the access layer, per path.
class CountingServices final : public ExecutionServices {
public:
    void openURLString(const QString& urlString, const std::optional<QVariantList>&) override { ++opened[urlString]; }
    void readVolumeAttributes(const QUrl&) override {}
    void openPath(const QString& path, const std::optional<QVariantList>&, const QString&) override { ++opened[path]; }
    void launchAllEntriesOfTag(const QString&) override {}
    bool selectFile(const QString&) override { return false; }
    bool isApplicationRunning(const QString&) override { return false; }
    QHash<QString, int> opened;
    int total() const
    {
        int sum = 0;
        for (int n : opened)
            sum += n;
        return sum;
    }
};

class LaunchAllEntriesOfTagTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        services = std::make_shared<CountingServices>();
        ExecutionServices::setShared(services);
        folder = test::makeTempDir(QStringLiteral("launch-all"));
        allData = SynchronizedArray<TableViewItemPtr>::create();
    }
    void TearDown() override { ExecutionServices::setShared(nullptr); }

    // `count` reachable, visible file entries with the tag.
    void addEntries(int count, const QString& tag, bool visible = true, bool reachable = true)
    {
        for (int i = 0; i < count; ++i) {
            const QString path = folder + QStringLiteral("/%1-%2-%3.txt").arg(tag).arg(added++).arg(visible);
            if (reachable) {
                ASSERT_TRUE(test::writeFile(path, "x"));
            }
            // Only entries that were found, not made by hand, can be hidden.
            auto item = TableViewItem::initForPath(path, QFileInfo(path).fileName(), ListviewItemType::file,
                                                   visible ? ListviewItemSource::other : ListviewItemSource::spotlight);
            item->setTags({tag});
            item->setIsVisible(visible);
            ASSERT_EQ(item->isVisible(), visible);
            allData->append(item);
        }
        (void)allData->count();
    }

    void launchAndSettle(const QString& tag, int expectedOpens)
    {
        LaunchAllEntriesOfTag::launchAllEntriesOfTag(tag, *allData);
        test::waitUntil([&] { return services->total() >= expectedOpens; });
        test::spinEventLoop(std::chrono::milliseconds(50));
    }

    test::ScriptedDialogs dialogs;
    std::shared_ptr<CountingServices> services;
    QString folder;
    SynchronizedArray<TableViewItemPtr>::Ptr allData;
    int added = 0;
};

TEST_F(LaunchAllEntriesOfTagTest, FourteenOpenWithoutAQuestionEachOnce)
{
    addEntries(14, QStringLiteral("Office"));
    addEntries(3, QStringLiteral("Other"));
    addEntries(2, QStringLiteral("Office"), false);
    addEntries(2, QStringLiteral("Office"), true, false);
    // The tag is matched without regard to case.
    launchAndSettle(QStringLiteral("office"), 14);
    // No question: the two gone entries are not counted (they are told, below).
    for (const platform::AlertRequest& alert : dialogs.alerts->alerts())
        EXPECT_TRUE(alert.messageText.endsWith(QStringLiteral("could not be opened.")))
            << alert.messageText.toStdString();
    EXPECT_EQ(services->total(), 14);
    EXPECT_EQ(services->opened.size(), 14);
    for (auto it = services->opened.cbegin(); it != services->opened.cend(); ++it) {
        EXPECT_EQ(it.value(), 1);
        EXPECT_TRUE(QFileInfo(it.key()).fileName().startsWith(QStringLiteral("Office-")));
    }
}

TEST_F(LaunchAllEntriesOfTagTest, FifteenAndThirtyAskFirst)
{
    addEntries(15, QStringLiteral("A"));
    dialogs.alerts->queueAlertResponse(0);
    launchAndSettle(QStringLiteral("A"), 15);
    ASSERT_EQ(dialogs.alerts->alerts().size(), 1);
    const platform::AlertRequest question = dialogs.alerts->alerts().first();
    EXPECT_EQ(question.messageText, QStringLiteral("Do you really want to launch all 15 entries at once?"));
    EXPECT_EQ(question.buttons, (QStringList{QStringLiteral("Launch all"), QStringLiteral("Cancel")}));
    EXPECT_EQ(question.style, platform::AlertStyle::Informational);
    EXPECT_EQ(services->total(), 15);
    EXPECT_EQ(services->opened.size(), 15);

    addEntries(15, QStringLiteral("A"));
    services->opened.clear();
    dialogs.alerts->queueAlertResponse(1);
    launchAndSettle(QStringLiteral("A"), 0);
    EXPECT_EQ(dialogs.alerts->alerts().size(), 2);
    EXPECT_EQ(dialogs.alerts->alerts().last().messageText,
              QStringLiteral("Do you really want to launch all 30 entries at once?"));
    EXPECT_EQ(services->total(), 0);
}

TEST_F(LaunchAllEntriesOfTagTest, ThirtyOneAreRefused)
{
    addEntries(31, QStringLiteral("Many"));
    launchAndSettle(QStringLiteral("Many"), 0);
    ASSERT_EQ(dialogs.alerts->alerts().size(), 1);
    const platform::AlertRequest refusal = dialogs.alerts->alerts().first();
    EXPECT_EQ(refusal.style, platform::AlertStyle::Warning);
    EXPECT_EQ(refusal.messageText, QStringLiteral("There are too many entries in the list"));
    EXPECT_EQ(refusal.informativeText,
              QStringLiteral("The list contains current 31 entries. This exceeds the upper limit of 30 entries that "
                             "can be started simultaneously."));
    EXPECT_EQ(refusal.buttons, QStringList{QStringLiteral("Cancel")});
    EXPECT_EQ(services->total(), 0);
}

TEST_F(LaunchAllEntriesOfTagTest, NoMatchesOrNoNameDoNothing)
{
    addEntries(3, QStringLiteral("A"));
    launchAndSettle(QStringLiteral("B"), 0);
    launchAndSettle(QString(), 0);
    EXPECT_TRUE(dialogs.alerts->alerts().isEmpty());
    EXPECT_EQ(services->total(), 0);
}

// Each entry of the tag that nothing opens is told, as when opened alone:
// here a URL and a template no handler takes.
TEST_F(LaunchAllEntriesOfTagTest, EachEntryThatFailsToOpenIsToldInAnAlert)
{
    AccessExecutionServices::install();
    for (const QString& url :
         {QStringLiteral("https://example.org/one"), QStringLiteral("https://example.org/?q=%%userInput:Q%%")}) {
        auto item = TableViewItem::initForURL(url, QStringLiteral("Web"), QString());
        item->setTags({QStringLiteral("Web")});
        allData->append(item);
    }
    dialogs.input->queueAnswer(QStringLiteral("two"));
    LaunchAllEntriesOfTag::launchAllEntriesOfTag(QStringLiteral("Web"), *allData);
    ASSERT_TRUE(test::waitUntil([&] { return dialogs.alerts->alerts().size() >= 2; }));
    QStringList told;
    for (const platform::AlertRequest& alert : dialogs.alerts->alerts())
        told << alert.messageText + QLatin1Char('|') + alert.informativeText;
    told.sort();
    const QString reason = QStringLiteral("|No application is set to open it.");
    EXPECT_EQ(told, (QStringList{QStringLiteral("\"https://example.org/?q=two\" could not be opened.") + reason,
                                 QStringLiteral("\"https://example.org/one\" could not be opened.") + reason}));
}

// What the alerts told, each as "message|informative text", sorted.
QStringList toldTexts(const test::ScriptedDialogs& dialogs)
{
    QStringList told;
    for (const platform::AlertRequest& alert : dialogs.alerts->alerts())
        told << alert.messageText + QLatin1Char('|') + alert.informativeText;
    told.sort();
    return told;
}

// A visible entry of the tag whose file is gone is not counted and not
// opened, but told by its name as opening it alone tells it: beside the
// others, alone, and not when the launch is cancelled.
TEST_F(LaunchAllEntriesOfTagTest, EachEntryWhoseFileIsGoneIsTold)
{
    const QString gone =
        QStringLiteral("|Its file or folder can't be found. It may have been moved, renamed or deleted.");
    addEntries(2, QStringLiteral("Tools"));
    addEntries(1, QStringLiteral("Tools"), true, false);
    addEntries(1, QStringLiteral("Tools"), false, false); // hidden: neither opened nor told
    launchAndSettle(QStringLiteral("Tools"), 2);
    EXPECT_EQ(services->total(), 2);
    EXPECT_EQ(toldTexts(dialogs), QStringList{QStringLiteral("\"Tools-2-1.txt\" could not be opened.") + gone});

    addEntries(1, QStringLiteral("Gone"), true, false);
    launchAndSettle(QStringLiteral("gone"), 0);
    EXPECT_EQ(toldTexts(dialogs).size(), 2);
    EXPECT_TRUE(toldTexts(dialogs).contains(QStringLiteral("\"Gone-4-1.txt\" could not be opened.") + gone));

    addEntries(14, QStringLiteral("Tools"));
    dialogs.alerts->queueAlertResponse(1);
    launchAndSettle(QStringLiteral("Tools"), 0);
    ASSERT_EQ(dialogs.alerts->alerts().size(), 3) << "only the question: nothing was launched";
    EXPECT_TRUE(dialogs.alerts->alerts().last().messageText.startsWith(QStringLiteral("Do you really want")));
    EXPECT_EQ(services->total(), 2);
}

// Run only under a German locale.
class GermanLaunchAllEntriesOfTagTest : public LaunchAllEntriesOfTagTest {};

TEST_F(GermanLaunchAllEntriesOfTagTest, AnEntryWhoseFileIsGoneIsToldInGerman)
{
    addEntries(1, QStringLiteral("Werkzeug"));
    addEntries(1, QStringLiteral("Werkzeug"), true, false);
    launchAndSettle(QStringLiteral("Werkzeug"), 1);
    EXPECT_EQ(services->total(), 1);
    EXPECT_EQ(toldTexts(dialogs),
              QStringList{QStringLiteral("„Werkzeug-1-1.txt“ konnte nicht geöffnet werden.|Die zugehörige Datei "
                                         "oder der zugehörige Ordner ist nicht zu finden. Möglicherweise wurde das "
                                         "Objekt verschoben, umbenannt oder gelöscht.")});
}

TEST_F(LaunchAllEntriesOfTagTest, TheStoresEntriesComeFromTheSourceSetAtLaunch)
{
    addEntries(2, QStringLiteral("A"));
    // No source set: nothing to select from.
    LaunchAllEntriesOfTag::setAllDataSource({});
    LaunchAllEntriesOfTag::launchAllEntriesOfTag(QStringLiteral("A"));
    test::spinEventLoop(std::chrono::milliseconds(50));
    EXPECT_EQ(services->total(), 0);

    int asked = 0;
    LaunchAllEntriesOfTag::setAllDataSource([&] {
        ++asked;
        return allData;
    });
    LaunchAllEntriesOfTag::launchAllEntriesOfTag(QStringLiteral("A"));
    test::waitUntil([&] { return services->total() >= 2; });
    LaunchAllEntriesOfTag::setAllDataSource({});
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(services->total(), 2);
}

} // namespace
