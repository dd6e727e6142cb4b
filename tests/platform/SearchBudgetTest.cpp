// What many or large search scopes may cost: the folders one scan searches,
// the watches the query holds, the scans it runs, and what the main thread
// does for them.

#include "platform/DesktopEntryIndex.h"
#include "platform/Log.h"
#include "platform/MetadataQuery.h"
#include "platform/MetadataQueryWatcher.h"
#include "platform/NotificationCenter.h"

#include "ScopedEnvironment.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QHash>
#include <QThread>

#include <thread>

using namespace vantel::platform;
using namespace std::chrono_literals;

namespace {

std::shared_ptr<const Predicate> applications()
{
    return Predicate::fromFormat(QStringLiteral("kMDItemContentType == 'com.apple.application-bundle'"));
}

void writeApplication(const QString& path, const char* name)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(QByteArray("[Desktop Entry]\nType=Application\nExec=true\nName=") + name + "\n");
}

// `count` scopes below `base`, each with `wide` folders holding `wide * 2`
// folders each: two levels, so that a budget can cut the second one.
QStringList makeScopes(const QString& base, int count, int wide)
{
    QStringList scopes;
    for (int s = 0; s < count; ++s) {
        const QString scope = base + QStringLiteral("/scope-%1").arg(s, 3, 10, QChar(u'0'));
        for (int i = 0; i < wide; ++i) {
            for (int j = 0; j < wide * 2; ++j)
                QDir().mkpath(scope + QStringLiteral("/%1/%2").arg(i).arg(j, 2, 10, QChar(u'0')));
        }
        scopes << scope;
    }
    return scopes;
}

// The scope a folder lies in, and how deep below it.
std::pair<QString, int> placeOf(const QString& folder, const QStringList& scopes)
{
    for (const QString& scope : scopes) {
        if (folder == scope)
            return {scope, 0};
        if (folder.startsWith(scope + u'/'))
            return {scope, int(folder.mid(scope.size()).count(u'/'))};
    }
    return {};
}

int countOf(const QStringList& lines, const QString& part)
{
    return int(lines.filter(part).size());
}

class QueryRun {
public:
    QueryRun()
    {
        query.setPredicate(applications());
        query.setNotificationBatchingInterval(20ms);
        token = NotificationCenter::defaultCenter().addObserver(
            MetadataQuery::didFinishGatheringNotification, [this](const Notification&) { ++gathered; }, &query);
    }
    bool startAndGather()
    {
        const int before = gathered;
        return query.start() && vantel::test::waitUntil([&] { return gathered > before; });
    }
    QStringList names() const
    {
        QStringList list;
        for (const MetadataItem& item : query.results())
            list << item.displayName().value_or(QString());
        return list;
    }

    MetadataQuery query;
    int gathered = 0;
    ObserverToken token;
};

} // namespace

// 50 scopes of 56 folders with room for 1,000: every scope's own folder,
// then the rest shared alike, each scope's shallow levels first; each cut
// scope said once.
TEST(SearchBudgetTest, AScanSharesItsFoldersAlikeShallowLevelsFirst)
{
    const QString base = vantel::test::makeTempDir(QStringLiteral("budget-levels"));
    const QStringList scopes = makeScopes(base, 50, 5);
    // Named after their scope: each claims its own ID.
    for (const QString& scope : scopes) {
        const QString id = scope.section(u'/', -1);
        writeApplication(scope + QStringLiteral("/top-%1.desktop").arg(id), "Top");
        writeApplication(scope + QStringLiteral("/0/00/near-%1.desktop").arg(id), "Near");
        writeApplication(scope + QStringLiteral("/4/09/far-%1.desktop").arg(id), "Far");
    }
    const bool debugLogging = Log::debugLogging();
    Log::setDebugLogging(false);
    Log::CaptureSink log;
    const DesktopEntryIndex::Result result = DesktopEntryIndex().scan(scopes, {}, 1000);
    Log::setDebugLogging(debugLogging);

    EXPECT_EQ(result.directories.size(), 1000);
    EXPECT_TRUE(result.directoryLimitReached);
    QHash<QString, QList<int>> perScope; // folders visited at each depth
    QHash<QString, int> lastDepth;
    bool deeperFirst = false;
    for (const QString& folder : result.directories) {
        const auto [scope, depth] = placeOf(folder, scopes);
        ASSERT_FALSE(scope.isEmpty()) << folder.toStdString();
        QList<int>& counts = perScope[scope];
        counts.resize(3);
        ++counts[depth];
        deeperFirst = deeperFirst || depth < lastDepth.value(scope);
        lastDepth[scope] = depth;
    }
    EXPECT_FALSE(deeperFirst) << "each scope's level before its next one";
    ASSERT_EQ(perScope.size(), 50);
    for (auto it = perScope.cbegin(); it != perScope.cend(); ++it)
        EXPECT_EQ(it.value(), (QList<int>{1, 5, 14})) << it.key().toStdString();

    QHash<QString, int> found;
    for (const IndexedApplication& application : result.applications)
        ++found[application.entry.name()];
    EXPECT_EQ(found.value(QStringLiteral("Top")), 50);
    EXPECT_EQ(found.value(QStringLiteral("Near")), 50);
    EXPECT_EQ(found.value(QStringLiteral("Far")), 0);
    const QStringList cut = log.messages().filter(QStringLiteral("cut short"));
    EXPECT_EQ(cut.size(), 50);
    EXPECT_EQ(countOf(cut, QStringLiteral("Search scope cut short after 20 folders: ") + scopes.first()), 1);
}

// The desktop's application folders: the user's holds an entry three
// levels down (where a compatibility layer puts its menu entries) and an
// override two levels down of an entry the system's folder holds at the top.
class DesktopFoldersBesideAddedScopes : public ::testing::Test {
protected:
    void SetUp() override
    {
        base = vantel::test::makeTempDir(QStringLiteral("budget-desktop"));
        home = base + QStringLiteral("/home/applications");
        system = base + QStringLiteral("/system/applications");
        for (int i = 0; i < 6; ++i)
            ASSERT_TRUE(QDir().mkpath(home + QStringLiteral("/pad-%1/inner").arg(i)));
        ASSERT_TRUE(QDir().mkpath(home + QStringLiteral("/wine/Programs/Tool")));
        ASSERT_TRUE(QDir().mkpath(home + QStringLiteral("/vendor/sub")));
        ASSERT_TRUE(QDir().mkpath(system + QStringLiteral("/more")));
        writeApplication(home + QStringLiteral("/wine/Programs/Tool/Tool.desktop"), "Deep Tool");
        writeApplication(home + QStringLiteral("/vendor/sub/editor.desktop"), "Mine");
        writeApplication(system + QStringLiteral("/vendor-sub-editor.desktop"), "System");
    }

    // What the scan found of the desktop's folders, and how many folders it
    // searched in each scope.
    struct Outcome {
        std::string names; // sorted, joined by commas
        QHash<QString, int> folders;
        QStringList cut;
    };
    Outcome scan(const QStringList& added, int budget)
    {
        const vantel::test::ScopedEnvironment dataHome("XDG_DATA_HOME", QFile::encodeName(base + QStringLiteral("/home")));
        const vantel::test::ScopedEnvironment dataDirs("XDG_DATA_DIRS", QFile::encodeName(base + QStringLiteral("/system")));
        const bool debugLogging = Log::debugLogging();
        Log::setDebugLogging(false);
        Log::CaptureSink log;
        const DesktopEntryIndex::Result result = DesktopEntryIndex().scan(QStringList{home, system} + added, {}, budget);
        Log::setDebugLogging(debugLogging);
        Outcome outcome;
        QStringList names;
        for (const IndexedApplication& application : result.applications) {
            if (application.scope == home || application.scope == system)
                names << application.entry.name();
        }
        names.sort();
        outcome.names = names.join(u',').toStdString();
        const QStringList all = QStringList{home, system} + added;
        for (const QString& folder : result.directories)
            ++outcome.folders[placeOf(folder, all).first];
        outcome.cut = log.messages().filter(QStringLiteral("Search scope cut short"));
        return outcome;
    }

    QString base;
    QString home;
    QString system;
    const std::string found = "Deep Tool,Mine";
    static constexpr int homeFolders = 1 + 6 * 2 + 3 + 2;
};

TEST_F(DesktopFoldersBesideAddedScopes, AreSearchedWholeBesideOneWideScopeAndASmallOneIsToo)
{
    const QString wide = makeScopes(base + QStringLiteral("/wide"), 1, 20).first(); // 1 + 20 + 800 folders
    const QString small = base + QStringLiteral("/small");
    ASSERT_TRUE(QDir().mkpath(small + QStringLiteral("/a/b/c/d")));
    writeApplication(small + QStringLiteral("/a/b/c/d/small.desktop"), "Small");

    const Outcome outcome = scan({wide, small}, 300);
    EXPECT_EQ(outcome.names, found) << "the override wins";
    EXPECT_EQ(outcome.folders.value(home), homeFolders);
    EXPECT_EQ(outcome.folders.value(system), 2);
    EXPECT_EQ(outcome.folders.value(small), 5) << "whole beside the wide one";
    EXPECT_EQ(outcome.folders.value(wide), 300 - homeFolders - 2 - 5);
    EXPECT_EQ(outcome.cut.join(u'\n').toStdString(),
              QStringLiteral("Search scope cut short after %1 folders: %2").arg(300 - homeFolders - 2 - 5).arg(wide).toStdString());

    // Alone they are whole whatever the budget, as the running applications read them.
    EXPECT_EQ(scan({}, 1).folders.value(home), homeFolders);
}

TEST_F(DesktopFoldersBesideAddedScopes, AreSearchedWholeBeside200SmallScopes)
{
    const QStringList smalls = makeScopes(base + QStringLiteral("/many"), 200, 1); // 1 + 1 + 2 folders each
    const Outcome outcome = scan(smalls, 300);
    EXPECT_EQ(outcome.names, found) << "the override wins";
    EXPECT_EQ(outcome.folders.value(home), homeFolders);
    EXPECT_EQ(outcome.folders.value(system), 2);
    // What is left is shared alike: each its own folder, the first ones one more.
    int added = 0;
    for (const QString& scope : smalls) {
        EXPECT_LE(outcome.folders.value(scope), 2) << scope.toStdString();
        EXPECT_GE(outcome.folders.value(scope), 1) << scope.toStdString();
        added += outcome.folders.value(scope);
    }
    EXPECT_EQ(added, 300 - homeFolders - 2);
    EXPECT_EQ(outcome.cut.size(), 200);
}

// A folder inside two scopes belongs to the earlier one, whichever reaches
// it first: the IDs are those of the scopes searched one after the other.
TEST(SearchBudgetTest, ANestedScopeKeepsTheIdsOfTheScopesSearchedInOrder)
{
    const QString base = vantel::test::makeTempDir(QStringLiteral("budget-nested"));
    const QString outer = base + QStringLiteral("/outer");
    const QString inner = outer + QStringLiteral("/vendor/apps");
    ASSERT_TRUE(QDir().mkpath(inner + QStringLiteral("/deep")));
    writeApplication(inner + QStringLiteral("/tool.desktop"), "Tool");
    writeApplication(inner + QStringLiteral("/deep/more.desktop"), "More");
    writeApplication(outer + QStringLiteral("/own.desktop"), "Own");

    const auto ids = [](const DesktopEntryIndex::Result& result) {
        QStringList list;
        for (const IndexedApplication& application : result.applications)
            list << application.desktopId;
        list.sort();
        return list;
    };
    const DesktopEntryIndex::Result outerFirst = DesktopEntryIndex().scan({outer, inner});
    EXPECT_EQ(ids(outerFirst), (QStringList{QStringLiteral("own.desktop"), QStringLiteral("vendor-apps-deep-more.desktop"),
                                            QStringLiteral("vendor-apps-tool.desktop")}));
    EXPECT_EQ(outerFirst.directories.size(), 4) << outerFirst.directories.join(u' ').toStdString();
    const DesktopEntryIndex::Result innerFirst = DesktopEntryIndex().scan({inner, outer});
    EXPECT_EQ(ids(innerFirst), (QStringList{QStringLiteral("deep-more.desktop"), QStringLiteral("own.desktop"),
                                            QStringLiteral("tool.desktop")}));
    EXPECT_EQ(innerFirst.directories.size(), 4) << innerFirst.directories.join(u' ').toStdString();
}

// One scan per start and one per refresh, each saying each cut scope once;
// nothing in between while every folder searched is watched.
TEST(SearchBudgetTest, AStartScansOnceAndSaysEachCutScopeOnce)
{
    const QString base = vantel::test::makeTempDir(QStringLiteral("budget-once"));
    const QStringList scopes = makeScopes(base, 20, 3);
    const bool debugLogging = Log::debugLogging();
    Log::setDebugLogging(false);
    Log::CaptureSink log;
    QueryRun run;
    run.query.setSearchScopes(scopes);
    run.query.setFolderBudget(200);
    run.query.setUnwatchedRescanInterval(20ms);
    ASSERT_TRUE(run.startAndGather());
    vantel::test::spinEventLoop(300ms);
    EXPECT_EQ(run.query.scanCount(), 1);
    EXPECT_EQ(run.query.watchCount(), 200);
    EXPECT_FALSE(run.query.hasUnwatchedFolders());
    EXPECT_EQ(countOf(log.messages(), QStringLiteral("cut short")), 20);
    for (const QString& scope : scopes)
        EXPECT_EQ(countOf(log.messages(), QStringLiteral(" folders: ") + scope), 1) << scope.toStdString();

    // A refresh.
    run.query.stop();
    ASSERT_TRUE(run.startAndGather());
    vantel::test::spinEventLoop(300ms);
    Log::setDebugLogging(debugLogging);
    EXPECT_EQ(run.query.scanCount(), 2);
    EXPECT_EQ(countOf(log.messages(), QStringLiteral("cut short")), 40);
}

// Past the watch budget folders are looked at again now and then, and what
// comes into them is found; while nothing in them changes the scopes are not
// searched again. The budget's end is said once per scan.
TEST(SearchBudgetTest, FoldersPastTheWatchBudgetAreSearchedAgain)
{
    const QString scope = vantel::test::makeTempDir(QStringLiteral("budget-watches"));
    for (const char* name : {"a", "b", "c", "d", "e"})
        ASSERT_TRUE(QDir().mkpath(scope + u'/' + QLatin1String(name)));
    const bool debugLogging = Log::debugLogging();
    Log::setDebugLogging(false);
    Log::CaptureSink log;
    QueryRun run;
    run.query.setSearchScopes({scope});
    run.query.setWatchBudget(3);
    run.query.setUnwatchedRescanInterval(24h);
    ASSERT_TRUE(run.startAndGather());
    EXPECT_EQ(run.query.watchCount(), 3);
    EXPECT_TRUE(run.query.hasUnwatchedFolders());
    EXPECT_EQ(countOf(log.messages(), QStringLiteral("Watch budget of 3 reached: 3 folders")), 1);

    // "e" is searched, not watched: a refresh finds what came into it, and
    // so does the next rescan.
    writeApplication(scope + QStringLiteral("/e/late.desktop"), "Late");
    vantel::test::spinEventLoop(200ms);
    EXPECT_EQ(run.query.scanCount(), 1) << "no event came";
    run.query.stop();
    ASSERT_TRUE(run.startAndGather());
    EXPECT_EQ(run.names(), QStringList{QStringLiteral("Late")});
    EXPECT_EQ(run.query.scanCount(), 2);
    EXPECT_EQ(countOf(log.messages(), QStringLiteral("Watch budget of 3 reached")), 2);

    // Older than a file time can tell apart from the scan's start.
    vantel::test::spinEventLoop(1100ms);
    run.query.setUnwatchedRescanInterval(20ms);
    const auto looksPast = [&](int checks) {
        return vantel::test::waitUntil([&] { return run.query.unwatchedCheckCount() >= checks; });
    };
    ASSERT_TRUE(looksPast(2)); // the first may search again: "Late" came just before the last scan
    const int scans = run.query.scanCount();
    ASSERT_TRUE(looksPast(run.query.unwatchedCheckCount() + 10));
    EXPECT_EQ(run.query.scanCount(), scans) << "nothing changed: nothing searched";
    EXPECT_EQ(countOf(log.messages(), QStringLiteral("Watch budget of 3 reached")), scans) << "once per scan";

    writeApplication(scope + QStringLiteral("/e/later.desktop"), "Later");
    EXPECT_TRUE(vantel::test::waitUntil([&] { return run.names().contains(QStringLiteral("Later")); }));
    EXPECT_GT(run.query.scanCount(), scans);
    // A file rewritten in place, its folder unchanged.
    writeApplication(scope + QStringLiteral("/e/late.desktop"), "Renamed");
    EXPECT_TRUE(vantel::test::waitUntil([&] { return run.names().contains(QStringLiteral("Renamed")); }))
        << run.names().join(u',').toStdString();
    Log::setDebugLogging(debugLogging);
}

// The watches are set up while the main thread does nothing at all: only
// the results come to it.
TEST(SearchBudgetTest, TheWatchesAreSetUpOffTheMainThread)
{
    const QString base = vantel::test::makeTempDir(QStringLiteral("budget-worker"));
    const QStringList scopes = makeScopes(base, 4, 4);
    QueryRun run;
    run.query.setSearchScopes(scopes);
    ASSERT_TRUE(run.query.start());
    // 4 scopes of 1 + 4 + 32 folders, no event loop run meanwhile.
    for (int i = 0; i < 2000 && run.query.watchCount() < 4 * 37; ++i)
        QThread::msleep(5);
    EXPECT_EQ(run.query.watchCount(), 4 * 37);
    EXPECT_EQ(run.gathered, 0) << "the main thread took no part";
    EXPECT_TRUE(vantel::test::waitUntil([&] { return run.gathered == 1; }));
}

TEST(SearchBudgetTest, TheWatchBudgetIsATenthOfTheLimitWithinBounds)
{
    const QString folder = vantel::test::makeTempDir(QStringLiteral("budget-limit"));
    const auto budgetFor = [&](const QByteArray& text) {
        QFile file(folder + QStringLiteral("/limit"));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
        file.close();
        return MetadataQueryWatcher::watchBudgetFrom(file.fileName());
    };
    EXPECT_EQ(budgetFor("8192\n"), 819);
    EXPECT_EQ(budgetFor("1048576\n"), 20000);
    EXPECT_EQ(budgetFor("none\n"), 819);
    EXPECT_EQ(MetadataQueryWatcher::watchBudgetFrom(folder + QStringLiteral("/missing")), 819);
    // Endless: read in one bounded read.
    EXPECT_EQ(MetadataQueryWatcher::watchBudgetFrom(QStringLiteral("/dev/zero")), 819);
}

// A query ends (its watcher stops listening on the main thread) while its
// worker's setFolders finds an awaited folder there and tells the listener:
// the listener is read and dropped under the watcher's lock, and nothing is
// told once it stopped.
TEST(SearchBudgetTest, AWatcherStoppedDuringItsWorkersSetFoldersTellsNothing)
{
    const QString awaited = vantel::test::makeTempDir(QStringLiteral("watcher-stopped")) + QStringLiteral("/here");
    ASSERT_TRUE(QDir().mkpath(awaited));
    int told = 0;
    for (int round = 0; round < 20; ++round) {
        auto watcher = std::make_shared<MetadataQueryWatcher>([&told] { ++told; });
        std::thread worker([&] { watcher->setFolders({}, {awaited}); });
        watcher->stopListening();
        worker.join();
    }
    vantel::test::spinEventLoop(100ms);
    EXPECT_EQ(told, 0);
}
