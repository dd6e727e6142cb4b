#include "platform/DesktopEntryIndex.h"
#include "platform/FreedMemory.h"
#include "platform/Log.h"
#include "platform/MetadataQuery.h"
#include "platform/NotificationCenter.h"
#include "platform/WorkspaceEvents.h"

#include "ScopedEnvironment.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <QRegularExpression>

#include <cstdio>

#include <sys/stat.h>

using namespace vantel::platform;
using namespace std::chrono_literals;

namespace {

std::shared_ptr<const Predicate> predicate(const char* format)
{
    QString error;
    auto parsed = Predicate::fromFormat(QString::fromUtf8(format), {}, &error);
    EXPECT_TRUE(parsed) << error.toStdString();
    return parsed;
}

const auto applicationPredicate = [] { return predicate("kMDItemContentType == 'com.apple.application-bundle'"); };

QString fixtureScope(const char* name)
{
    return QStringLiteral(VANTEL_FIXTURES_DIR "/desktop-entries/") + QString::fromUtf8(name);
}

// The fixtures' programs ("editor", "viewer") first on PATH.
QByteArray pathWithFixturePrograms()
{
    return QByteArray(VANTEL_FIXTURES_DIR "/bin:") + qgetenv("PATH");
}

void writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(content);
}

QByteArray application(const char* name)
{
    return QByteArray("[Desktop Entry]\nType=Application\nExec=true\nName=") + name + "\n";
}

// Records the query's notifications, and whether one came while start() ran.
class Recorder {
public:
    explicit Recorder(const MetadataQuery& query)
    {
        for (const QString& name : {MetadataQuery::didStartGatheringNotification, MetadataQuery::gatheringProgressNotification,
                                    MetadataQuery::didFinishGatheringNotification, MetadataQuery::didUpdateNotification}) {
            tokens.push_back(NotificationCenter::defaultCenter().addObserver(
                name,
                [this, &query](const Notification& n) {
                    const auto* object = std::any_cast<MetadataQuery*>(&n.object);
                    if (!object || *object != &query)
                        names << QStringLiteral("wrong object");
                    if (insideStart)
                        names << QStringLiteral("inside start");
                    names << n.name;
                },
                &query));
        }
    }

    int count(const QString& name) const { return int(names.count(name)); }
    // Waits until the query has finished gathering that many times.
    bool waitForGathering(int times = 1) const
    {
        return vantel::test::waitUntil([&] { return count(MetadataQuery::didFinishGatheringNotification) == times; });
    }

    QStringList names;
    bool insideStart = false;
    std::vector<ObserverToken> tokens;
};

QStringList paths(const MetadataQuery& query)
{
    QStringList list;
    for (const MetadataItem& item : query.results())
        list << item.path().value_or(QStringLiteral("<none>"));
    return list;
}

QStringList names(const MetadataQuery& query)
{
    QStringList list;
    for (const MetadataItem& item : query.results())
        list << item.displayName().value_or(QStringLiteral("<none>"));
    return list;
}

bool startQuery(MetadataQuery& query, Recorder& recorder)
{
    recorder.insideStart = true;
    const bool started = query.start();
    recorder.insideStart = false;
    return started;
}

} // namespace

TEST(MetadataQueryTest, GathersTheApplicationsOfTheScopesWithShadowing)
{
    const vantel::test::ScopedEnvironment locale("LC_ALL", "C");
    const vantel::test::ScopedEnvironment programs("PATH", pathWithFixturePrograms());
    Log::setDebugLogging(true);
    Log::CaptureSink log;

    MetadataQuery query;
    Recorder recorder(query);
    query.setPredicate(applicationPredicate());
    query.setSearchScopes({fixtureScope("scope-a"), fixtureScope("scope-b"), QStringLiteral("/nonexistent/scope")});
    ASSERT_TRUE(startQuery(query, recorder));
    EXPECT_TRUE(query.isStarted());
    EXPECT_TRUE(query.isGathering());
    EXPECT_TRUE(recorder.names.isEmpty());
    EXPECT_FALSE(query.start()) << "already started";

    ASSERT_TRUE(recorder.waitForGathering());
    Log::setDebugLogging(false);
    EXPECT_FALSE(query.isGathering());
    EXPECT_EQ(recorder.names.first(), MetadataQuery::didStartGatheringNotification);
    EXPECT_EQ(recorder.names.last(), MetadataQuery::didFinishGatheringNotification);
    EXPECT_EQ(recorder.count(MetadataQuery::gatheringProgressNotification), 2); // one per existing scope
    EXPECT_EQ(recorder.names.size(), 4) << recorder.names.join(u',').toStdString();

    const QString a = fixtureScope("scope-a"), b = fixtureScope("scope-b");
    // NoDisplay ("Helper Handler") is left out, as the desktop's menus do.
    EXPECT_EQ(paths(query), (QStringList{a + QStringLiteral("/editor.desktop"), a + QStringLiteral("/shadowed.desktop"),
                                         a + QStringLiteral("/sub/tool.desktop"), b + QStringLiteral("/broken.desktop"),
                                         b + QStringLiteral("/viewer.desktop")}));
    EXPECT_EQ(names(query), (QStringList{QStringLiteral("Editor"), QStringLiteral("Shadow Winner"),
                                         QStringLiteral("Sub Tool"), QStringLiteral("Broken Fallback"),
                                         QStringLiteral("Viewer")}));
    EXPECT_EQ(query.resultCount(), 5);

    const MetadataItem editor = query.resultAt(0);
    EXPECT_EQ(editor.valueForAttribute(QStringLiteral("kMDItemPath")), a + QStringLiteral("/editor.desktop"));
    EXPECT_EQ(editor.valueForAttribute(QStringLiteral("kMDItemDisplayName")), QStringLiteral("Editor"));
    EXPECT_FALSE(editor.lastUsedDate().has_value());
    EXPECT_FALSE(query.resultAt(5).path().has_value());
    EXPECT_FALSE(query.resultAt(-1).path().has_value());

    bool damagedLogged = false;
    for (const QString& line : log.messages())
        damagedLogged = damagedLogged || line.contains(a + QStringLiteral("/broken.desktop"));
    EXPECT_TRUE(damagedLogged) << log.messages().join(u'\n').toStdString();

    query.stop();
    EXPECT_FALSE(query.isStarted());
    EXPECT_EQ(query.resultCount(), 5) << "stopping keeps the results";
}

// What the scan freed goes back to the system once it settled: once for a
// burst of calls, not before the settle time, and again after a later scan.
TEST(MetadataQueryTest, ReturnsWhatAScanFreedOnceItSettled)
{
    const vantel::test::ScopedEnvironment programs("PATH", pathWithFixturePrograms());
    vantel::test::spinEventLoop(700ms); // what earlier tests asked for is done
    const int before = freedMemoryReturns();

    MetadataQuery query;
    Recorder recorder(query);
    query.setPredicate(applicationPredicate());
    query.setSearchScopes({fixtureScope("scope-a")});
    ASSERT_TRUE(startQuery(query, recorder));
    ASSERT_TRUE(recorder.waitForGathering());
    EXPECT_EQ(freedMemoryReturns(), before) << "returned before the work settled";
    ASSERT_TRUE(vantel::test::waitUntil([&] { return freedMemoryReturns() == before + 1; }));

    for (int i = 0; i < 3; ++i)
        returnFreedMemorySoon(100ms);
    vantel::test::spinEventLoop(400ms);
    EXPECT_EQ(freedMemoryReturns(), before + 2) << "a burst of calls returns once";
}

// An application's item holds three strings but answers as the map of its
// eight attributes would.
TEST(MetadataQueryTest, AnApplicationItemAnswersUnderBothNamesAsItsMapWould)
{
    const QString path = QStringLiteral("/usr/share/applications/editor.desktop");
    const MetadataItem item = MetadataItem::forApplication(path, QStringLiteral("Editor"));
    const QString type = QStringLiteral("com.apple.application-bundle");
    const QVariantMap map{
        {QStringLiteral("kMDItemPath"), path},
        {QStringLiteral("NSMetadataItemPathKey"), path},
        {QStringLiteral("kMDItemDisplayName"), QStringLiteral("Editor")},
        {QStringLiteral("NSMetadataItemDisplayNameKey"), QStringLiteral("Editor")},
        {QStringLiteral("kMDItemFSName"), QStringLiteral("editor.desktop")},
        {QStringLiteral("NSMetadataItemFSNameKey"), QStringLiteral("editor.desktop")},
        {QStringLiteral("kMDItemContentType"), type},
        {QStringLiteral("NSMetadataItemContentTypeKey"), type},
    };
    for (auto it = map.cbegin(); it != map.cend(); ++it)
        EXPECT_EQ(item.valueForAttribute(it.key()), it.value()) << it.key().toStdString();
    EXPECT_FALSE(item.valueForAttribute(QStringLiteral("kMDItemLastUsedDate")).isValid());
    EXPECT_EQ(item.attributes(), map.keys());
    EXPECT_EQ(item.path(), path);
    EXPECT_EQ(item.displayName(), QStringLiteral("Editor"));
    EXPECT_TRUE(item == MetadataItem(map));
    EXPECT_TRUE(MetadataItem(map) == item);
    EXPECT_FALSE(item == MetadataItem::forApplication(path, QStringLiteral("Editor 2")));
    EXPECT_TRUE(predicate("kMDItemFSName ENDSWITH '.desktop' AND kMDItemDisplayName == 'Editor'")->evaluate(item));
}

TEST(MetadataQueryTest, UsesTheLocalizedNameAndTheDefaultScopes)
{
    const vantel::test::ScopedEnvironment locale("LC_ALL", "de");
    const vantel::test::ScopedEnvironment programs("PATH", pathWithFixturePrograms());
    const QString home = qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/applications");
    const QString system = qEnvironmentVariable("XDG_DATA_DIRS").split(u':').first() + QStringLiteral("/applications");
    QDir().mkpath(home);
    QDir().mkpath(system);
    QFile::copy(fixtureScope("scope-a/editor.desktop"), home + QStringLiteral("/editor.desktop"));
    writeFile(system + QStringLiteral("/editor.desktop"), application("System Copy"));
    writeFile(system + QStringLiteral("/other.desktop"), application("Other"));
    EXPECT_EQ(MetadataQuery::defaultSearchScopes(), (QStringList{home, system}));

    MetadataQuery query;
    Recorder recorder(query);
    query.setPredicate(predicate("kMDItemContentType = \"com.apple.application-bundle\""));
    ASSERT_TRUE(query.start());
    ASSERT_TRUE(recorder.waitForGathering());
    EXPECT_EQ(names(query), (QStringList{QStringLiteral("Bearbeiter"), QStringLiteral("Other")}));

    QFile::remove(home + QStringLiteral("/editor.desktop"));
    QFile::remove(system + QStringLiteral("/editor.desktop"));
    QFile::remove(system + QStringLiteral("/other.desktop"));
}

TEST(MetadataQueryTest, StartsOnlyWithAPredicateAndAppliesIt)
{
    MetadataQuery query;
    EXPECT_FALSE(query.start());
    EXPECT_FALSE(query.isStarted());

    // Other attributes work, and a value no item has finds nothing.
    const vantel::test::ScopedEnvironment programs("PATH", pathWithFixturePrograms());
    Recorder recorder(query);
    query.setSearchScopes({fixtureScope("scope-b")});
    query.setPredicate(predicate("kMDItemDisplayName == 'Viewer' AND kMDItemFSName ENDSWITH '.desktop'"));
    ASSERT_TRUE(query.start());
    ASSERT_TRUE(recorder.waitForGathering());
    EXPECT_EQ(names(query), QStringList{QStringLiteral("Viewer")});
    query.stop();
    query.setPredicate(predicate("kMDItemContentType == 'public.folder'"));
    ASSERT_TRUE(query.start());
    ASSERT_TRUE(recorder.waitForGathering(2));
    EXPECT_EQ(query.resultCount(), 0);
}

TEST(MetadataQueryTest, FollowsFilesAddedChangedAndRemovedInTheScopes)
{
    const QString scope = vantel::test::makeTempDir(QStringLiteral("query-live"));
    writeFile(scope + QStringLiteral("/first.desktop"), application("First"));
    MetadataQuery query;
    Recorder recorder(query);
    query.setPredicate(applicationPredicate());
    query.setSearchScopes({scope});
    query.setNotificationBatchingInterval(100ms);
    ASSERT_TRUE(startQuery(query, recorder));
    ASSERT_TRUE(recorder.waitForGathering());
    EXPECT_EQ(names(query), QStringList{QStringLiteral("First")});
    EXPECT_EQ(query.watchCount(), 1);

    // Added in a new subfolder, which is then watched too.
    QDir().mkpath(scope + QStringLiteral("/nested"));
    writeFile(scope + QStringLiteral("/nested/second.desktop"), application("Second"));
    ASSERT_TRUE(vantel::test::waitUntil([&] { return recorder.count(MetadataQuery::didUpdateNotification) == 1; }));
    EXPECT_EQ(names(query), (QStringList{QStringLiteral("First"), QStringLiteral("Second")}));
    EXPECT_EQ(query.watchCount(), 2);

    writeFile(scope + QStringLiteral("/nested/third.desktop"), application("Third"));
    ASSERT_TRUE(vantel::test::waitUntil([&] { return recorder.count(MetadataQuery::didUpdateNotification) == 2; }));
    EXPECT_EQ(query.resultCount(), 3);

    // Renamed in place.
    writeFile(scope + QStringLiteral("/first.desktop"), application("First Renamed"));
    ASSERT_TRUE(vantel::test::waitUntil([&] { return recorder.count(MetadataQuery::didUpdateNotification) == 3; }));
    EXPECT_EQ(names(query).first(), QStringLiteral("First Renamed"));

    // A half-written file does not drop the application it was.
    writeFile(scope + QStringLiteral("/first.desktop"), "[Desktop Ent");
    vantel::test::spinEventLoop(400ms);
    EXPECT_EQ(recorder.count(MetadataQuery::didUpdateNotification), 3);
    EXPECT_EQ(names(query).first(), QStringLiteral("First Renamed"));

    QFile::remove(scope + QStringLiteral("/first.desktop"));
    ASSERT_TRUE(vantel::test::waitUntil([&] { return recorder.count(MetadataQuery::didUpdateNotification) == 4; }));
    EXPECT_EQ(names(query), (QStringList{QStringLiteral("Second"), QStringLiteral("Third")}));

    // A file that is not an application changes nothing and posts nothing.
    writeFile(scope + QStringLiteral("/notes.txt"), "x");
    writeFile(scope + QStringLiteral("/link.desktop"), "[Desktop Entry]\nType=Link\nName=L\nURL=http://x/\n");
    vantel::test::spinEventLoop(400ms);
    EXPECT_EQ(recorder.count(MetadataQuery::didUpdateNotification), 4);

    // A folder removed takes its applications and its watch with it.
    ASSERT_TRUE(QDir(scope + QStringLiteral("/nested")).removeRecursively());
    ASSERT_TRUE(vantel::test::waitUntil([&] { return recorder.count(MetadataQuery::didUpdateNotification) == 5; }));
    EXPECT_EQ(query.resultCount(), 0);
    EXPECT_EQ(query.watchCount(), 1);
    EXPECT_FALSE(recorder.names.contains(QStringLiteral("inside start")));
    EXPECT_FALSE(recorder.names.contains(QStringLiteral("wrong object")));
}

TEST(MetadataQueryTest, HoldsUpdatesBackWhileDisabledOrStopped)
{
    const QString scope = vantel::test::makeTempDir(QStringLiteral("query-held"));
    MetadataQuery query;
    Recorder recorder(query);
    query.setPredicate(applicationPredicate());
    query.setSearchScopes({scope});
    query.setNotificationBatchingInterval(50ms);
    ASSERT_TRUE(query.start());
    ASSERT_TRUE(recorder.waitForGathering());

    query.disableUpdates();
    writeFile(scope + QStringLiteral("/held.desktop"), application("Held"));
    vantel::test::spinEventLoop(400ms);
    EXPECT_EQ(recorder.count(MetadataQuery::didUpdateNotification), 0);
    EXPECT_EQ(query.resultCount(), 0);

    query.enableUpdates();
    ASSERT_TRUE(vantel::test::waitUntil([&] { return recorder.count(MetadataQuery::didUpdateNotification) == 1; }));
    EXPECT_EQ(names(query), QStringList{QStringLiteral("Held")});

    query.stop();
    writeFile(scope + QStringLiteral("/late.desktop"), application("Late"));
    vantel::test::spinEventLoop(400ms);
    EXPECT_EQ(recorder.count(MetadataQuery::didUpdateNotification), 1);

    // A new start gathers afresh and sees it.
    ASSERT_TRUE(query.start());
    ASSERT_TRUE(recorder.waitForGathering(2));
    EXPECT_EQ(names(query), (QStringList{QStringLiteral("Held"), QStringLiteral("Late")}));
}

TEST(MetadataQueryTest, ADestroyedOrRestartedQueryPostsNothingStale)
{
    const QString scope = vantel::test::makeTempDir(QStringLiteral("query-gone"));
    for (int i = 0; i < 50; ++i)
        writeFile(scope + QStringLiteral("/app%1.desktop").arg(i), application("App"));
    int posts = 0;
    auto token = NotificationCenter::defaultCenter().addObserver(MetadataQuery::didFinishGatheringNotification,
                                                                 [&posts](const Notification&) { ++posts; });
    {
        MetadataQuery query;
        query.setPredicate(applicationPredicate());
        query.setSearchScopes({scope});
        ASSERT_TRUE(query.start());
    }
    vantel::test::spinEventLoop(300ms);
    EXPECT_EQ(posts, 0);

    MetadataQuery query;
    query.setPredicate(applicationPredicate());
    query.setSearchScopes({scope});
    ASSERT_TRUE(query.start());
    query.stop();
    ASSERT_TRUE(query.start());
    ASSERT_TRUE(vantel::test::waitUntil([&] { return posts >= 1; }));
    vantel::test::spinEventLoop(200ms);
    EXPECT_EQ(posts, 1) << "only the latest start finishes";
    EXPECT_EQ(query.resultCount(), 50);
}

TEST(MetadataQueryTest, ListsWhatTheDesktopsMenusShowWithOneWatchPerFolder)
{
    const vantel::test::ScopedEnvironment desktop("XDG_CURRENT_DESKTOP", "ubuntu:GNOME");
    const QString base = vantel::test::makeTempDir(QStringLiteral("query-menus"));
    QStringList scopes;
    for (int folder = 0; folder < 5; ++folder) {
        scopes << base + QStringLiteral("/scope%1").arg(folder);
        QDir().mkpath(scopes.last());
        for (int file = 0; file < 40; ++file)
            writeFile(scopes.last() + QStringLiteral("/app%1.desktop").arg(file), "[Desktop Entry]\nType=Application\nName=x\n");
    }
    const QString scope = scopes.first();
    const auto add = [&scope](const char* file, const QByteArray& lines) {
        writeFile(scope + u'/' + QString::fromUtf8(file) + QStringLiteral(".desktop"), "[Desktop Entry]\nType=Application\nName=" + QByteArray(file) + "\n" + lines);
    };
    add("shown", "Exec=sh %U\nOnlyShowIn=KDE;GNOME;\nNotShowIn=XFCE;\n");
    add("bad-lines", "Exec=sh\nX-Vendor Key=1\nName[]=y\nName[de]=\xff\n");
    add("nodisplay", "Exec=sh\nNoDisplay=true\n");
    add("only-kde", "Exec=sh\nOnlyShowIn=KDE;\n");
    add("not-gnome", "Exec=sh\nNotShowIn=GNOME;\n");
    add("missing-program", "Exec=vantel-not-installed-anywhere\n");
    add("broken-quoting", "Exec=\"sh -c x\n");
    add("net.tarnwick.vantel", "Exec=sh %F\n"); // Vantel's own, written at its start

    MetadataQuery query;
    Recorder recorder(query);
    query.setPredicate(applicationPredicate());
    query.setSearchScopes(scopes);
    ASSERT_TRUE(query.start());
    ASSERT_TRUE(recorder.waitForGathering());
    EXPECT_EQ(names(query), (QStringList{QStringLiteral("bad-lines"), QStringLiteral("shown")}));
    EXPECT_EQ(query.watchCount(), 5) << "one per folder, not one per file";

    // The index itself keeps what the menus hide: running applications are matched against it.
    QStringList indexed;
    for (const IndexedApplication& application : DesktopEntryIndex().scan({scope}).applications)
        indexed << application.entry.name();
    EXPECT_EQ(indexed, (QStringList{QStringLiteral("bad-lines"), QStringLiteral("net.tarnwick.vantel"),
                                    QStringLiteral("nodisplay"), QStringLiteral("not-gnome"), QStringLiteral("only-kde"),
                                    QStringLiteral("shown")}));
}

// Discovery and the running-applications check share one index, each with
// its own folders: a scan forgets gone files below its own scopes only, so
// the other's last good states survive it.
TEST(MetadataQueryTest, AScanOfOtherFoldersKeepsTheLastGoodStateOfThese)
{
    const QString a = vantel::test::makeTempDir(QStringLiteral("index-a"));
    const QString b = vantel::test::makeTempDir(QStringLiteral("index-b"));
    writeFile(a + QStringLiteral("/good.desktop"), application("Good"));
    writeFile(a + QStringLiteral("/gone.desktop"), application("Gone"));
    writeFile(b + QStringLiteral("/other.desktop"), application("Other"));
    const auto namesOf = [](const DesktopEntryIndex::Result& result) {
        QStringList list;
        for (const IndexedApplication& application : result.applications)
            list << application.entry.name();
        return list;
    };

    DesktopEntryIndex index;
    EXPECT_EQ(namesOf(index.scan({a})), (QStringList{QStringLiteral("Gone"), QStringLiteral("Good")}));
    EXPECT_EQ(namesOf(index.scan({b})), QStringList{QStringLiteral("Other")});
    writeFile(a + QStringLiteral("/good.desktop"), "[Desktop Ent");
    EXPECT_EQ(namesOf(index.scan({a})), (QStringList{QStringLiteral("Gone"), QStringLiteral("Good")}))
        << "a half-written file keeps its application after a scan of other folders";

    // Below its own scopes a scan still forgets: a file written back damaged is no application.
    QFile::remove(a + QStringLiteral("/gone.desktop"));
    EXPECT_EQ(namesOf(index.scan({a})), QStringList{QStringLiteral("Good")});
    writeFile(a + QStringLiteral("/gone.desktop"), "[Desktop Ent");
    EXPECT_EQ(namesOf(index.scan({a, b})), (QStringList{QStringLiteral("Good"), QStringLiteral("Other")}));

    // The process's shared index answers the same, and forgets all it kept when asked.
    EXPECT_EQ(namesOf(DesktopEntryIndex::scanShared({b})), QStringList{QStringLiteral("Other")});
    writeFile(b + QStringLiteral("/other.desktop"), "[Desktop Ent");
    EXPECT_EQ(namesOf(DesktopEntryIndex::scanShared({b})), QStringList{QStringLiteral("Other")});
    DesktopEntryIndex::forgetShared();
    EXPECT_TRUE(DesktopEntryIndex::scanShared({b}).applications.isEmpty());
}

// Every scan builds its paths afresh, but what it hands out are the index's
// own strings: the applications of discovery and of the running-applications
// check hold one copy of each. A desktop ID still follows the scope asked.
TEST(MetadataQueryTest, ScansHandOutTheIndexsStringsAndEachScopesDesktopIds)
{
    const QString scope = vantel::test::makeTempDir(QStringLiteral("index-shared"));
    ASSERT_TRUE(QDir(scope).mkpath(QStringLiteral("sub")));
    writeFile(scope + QStringLiteral("/sub/app.desktop"), application("Shared"));

    DesktopEntryIndex index;
    const auto first = index.scan({scope}).applications;
    const auto second = index.scan({scope}).applications;
    ASSERT_EQ(first.size(), 1);
    ASSERT_EQ(second.size(), 1);
    EXPECT_EQ(second[0].path, scope + QStringLiteral("/sub/app.desktop"));
    EXPECT_EQ(second[0].desktopId, QStringLiteral("sub-app.desktop"));
    EXPECT_EQ(first[0].path.constData(), second[0].path.constData());
    EXPECT_EQ(second[0].entry.path().constData(), second[0].path.constData());
    EXPECT_EQ(first[0].desktopId.constData(), second[0].desktopId.constData());
    EXPECT_EQ(first[0].entry.name().constData(), second[0].entry.name().constData());

    const auto inner = index.scan({scope + QStringLiteral("/sub")}).applications;
    ASSERT_EQ(inner.size(), 1);
    EXPECT_EQ(inner[0].desktopId, QStringLiteral("app.desktop"));
    EXPECT_EQ(index.scan({scope}).applications.value(0).desktopId, QStringLiteral("sub-app.desktop"));

    writeFile(scope + QStringLiteral("/sub/app.desktop"), application("Renamed, longer"));
    EXPECT_EQ(index.scan({scope}).applications.value(0).entry.name(), QStringLiteral("Renamed, longer"));
}

// A linked folder is searched as GLib searches it, and a link that leads
// back up ends the walk instead of repeating folders to the depth limit.
TEST(MetadataQueryTest, LinkedFoldersAreFollowedOnceEachAndLoopsEnd)
{
    const QString base = vantel::test::makeTempDir(QStringLiteral("index-links"));
    const QString scope = base + QStringLiteral("/scope");
    const QString outside = base + QStringLiteral("/installed");
    ASSERT_TRUE(QDir().mkpath(scope + QStringLiteral("/real")));
    ASSERT_TRUE(QDir().mkpath(outside));
    writeFile(scope + QStringLiteral("/real/inner.desktop"), application("Inner"));
    writeFile(outside + QStringLiteral("/linked.desktop"), application("Linked"));
    ASSERT_TRUE(QFile::link(outside, scope + QStringLiteral("/vendor")));
    ASSERT_TRUE(QFile::link(scope, scope + QStringLiteral("/real/loop")));
    ASSERT_TRUE(QFile::link(QStringLiteral(".."), outside + QStringLiteral("/up")));
    ASSERT_TRUE(QFile::link(base + QStringLiteral("/nowhere"), scope + QStringLiteral("/dangling")));

    const DesktopEntryIndex::Result result = DesktopEntryIndex().scan({scope});
    QStringList ids;
    for (const IndexedApplication& application : result.applications)
        ids << application.desktopId;
    EXPECT_EQ(ids, (QStringList{QStringLiteral("real-inner.desktop"), QStringLiteral("vendor-linked.desktop")}));
    EXPECT_FALSE(result.directoryLimitReached);
    // The scope, its two folders, and the base reached through vendor/up,
    // whose own "scope" and "installed" are known already.
    EXPECT_EQ(result.directories, (QStringList{scope, scope + QStringLiteral("/real"), scope + QStringLiteral("/vendor"),
                                               scope + QStringLiteral("/vendor/up")}));
}

// A scope removed and made again (a folder the user moved away and back, a
// volume unmounted and mounted) is searched again without a refresh; what
// else changes beside it costs nothing.
TEST(MetadataQueryTest, AScopeThatGoesAwayIsSearchedAgainWhenItComesBack)
{
    const QString base = vantel::test::makeTempDir(QStringLiteral("query-return"));
    const QString scope = base + QStringLiteral("/share/applications");
    ASSERT_TRUE(QDir().mkpath(scope));
    writeFile(scope + QStringLiteral("/first.desktop"), application("First"));
    MetadataQuery query;
    Recorder recorder(query);
    query.setPredicate(applicationPredicate());
    query.setSearchScopes({scope});
    query.setNotificationBatchingInterval(50ms);
    ASSERT_TRUE(query.start());
    ASSERT_TRUE(recorder.waitForGathering());
    ASSERT_EQ(names(query), QStringList{QStringLiteral("First")});

    // Gone with its parent: its return is awaited in the base.
    ASSERT_TRUE(QDir(base + QStringLiteral("/share")).removeRecursively());
    ASSERT_TRUE(vantel::test::waitUntil([&] { return recorder.count(MetadataQuery::didUpdateNotification) == 1; }));
    EXPECT_EQ(query.resultCount(), 0);
    EXPECT_EQ(query.watchCount(), 0);
    writeFile(base + QStringLiteral("/unrelated.txt"), "x");
    QDir().mkpath(base + QStringLiteral("/other"));
    vantel::test::spinEventLoop(300ms);

    ASSERT_TRUE(QDir().mkpath(scope));
    writeFile(scope + QStringLiteral("/second.desktop"), application("Second"));
    ASSERT_TRUE(vantel::test::waitUntil([&] { return recorder.count(MetadataQuery::didUpdateNotification) == 2; }));
    EXPECT_EQ(names(query), QStringList{QStringLiteral("Second")});
    EXPECT_EQ(query.watchCount(), 1) << "watched again once back";

    // A volume mounted over a scope changes it without an event in any
    // watched folder; here a link swapped behind the query's back stands
    // in for the mount, and the mount table's report makes it search again.
    const QString volume = base + QStringLiteral("/volume");
    const QString mounted = base + QStringLiteral("/mounted");
    ASSERT_TRUE(QDir().mkpath(mounted));
    writeFile(mounted + QStringLiteral("/third.desktop"), application("Third"));
    const QString linked = volume + QStringLiteral("/apps");
    ASSERT_TRUE(QDir().mkpath(volume));
    ASSERT_TRUE(QFile::link(scope, linked));
    query.stop();
    query.setSearchScopes({linked});
    ASSERT_TRUE(query.start());
    ASSERT_TRUE(recorder.waitForGathering(2));
    ASSERT_EQ(names(query), QStringList{QStringLiteral("Second")});
    ASSERT_TRUE(QFile::link(mounted, volume + QStringLiteral("/swap")));
    ASSERT_EQ(::rename(QFile::encodeName(volume + QStringLiteral("/swap")).constData(),
                       QFile::encodeName(linked).constData()),
              0);
    const auto postMount = [](const QString& point) {
        NotificationCenter::workspaceCenter().post(WorkspaceEvents::didMountNotification,
                                                   QVariantMap{{WorkspaceEvents::devicePathKey, point}});
    };
    postMount(base + QStringLiteral("/elsewhere"));
    vantel::test::spinEventLoop(300ms);
    EXPECT_EQ(recorder.count(MetadataQuery::didUpdateNotification), 2) << "a mount beside the scope changes nothing";
    postMount(volume);
    ASSERT_TRUE(vantel::test::waitUntil([&] { return recorder.count(MetadataQuery::didUpdateNotification) == 3; }));
    EXPECT_EQ(names(query), QStringList{QStringLiteral("Third")});
    writeFile(mounted + QStringLiteral("/fourth.desktop"), application("Fourth"));
    ASSERT_TRUE(vantel::test::waitUntil([&] { return recorder.count(MetadataQuery::didUpdateNotification) == 4; }))
        << "the mounted folder is watched, not the one it covers";
    EXPECT_EQ(names(query), (QStringList{QStringLiteral("Fourth"), QStringLiteral("Third")}));
}

// A link to a device, a FIFO and an endless /proc file in an applications
// folder are refused with their reason; the scan ends and lists the good entry.
TEST(MetadataQueryTest, AScanRefusesDevicesAndFifosAndGoesOn)
{
    const QString folder = vantel::test::makeTempDir(QStringLiteral("index-endless"));
    writeFile(folder + QStringLiteral("/good.desktop"), application("Good"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), folder + QStringLiteral("/zero.desktop")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder + QStringLiteral("/fifo.desktop")).constData(), 0600), 0);
    // A regular file of size 0 that reads on for gigabytes.
    ASSERT_TRUE(QFile::link(QStringLiteral("/proc/self/pagemap"), folder + QStringLiteral("/pagemap.desktop")));

    const int code = vantel::test::exitCodeAsBoundedChild(
        [&] {
            Log::setDebugLogging(true);
            Log::CaptureSink log;
            DesktopEntryIndex index;
            const DesktopEntryIndex::Result result = index.scan({folder});
            if (result.applications.size() != 1 || result.applications.first().entry.name() != u"Good")
                return 1;
            const QString messages = log.messages().join(u'\n');
            for (const char* name : {"zero.desktop", "fifo.desktop"}) {
                if (!messages.contains(QRegularExpression(QStringLiteral("Skipping desktop file: .*%1.*not a regular file")
                                                              .arg(QRegularExpression::escape(QLatin1String(name))))))
                    return 2;
            }
            return messages.contains(QRegularExpression(QStringLiteral("Skipping desktop file: .*pagemap.desktop.*too large")))
                ? 0 : 3;
        },
        20, 256l << 20);
    EXPECT_EQ(code, 0) << "1: the scan lost the good entry, 2, 3: a refusal was not said, -1: it hung or ran out of memory";
}

namespace {

// The applications that the progress reports of a gathering over `count`
// scopes of one application each handed over, all reports together; -1 when
// the query fell short.
qint64 reportedApplications(int count)
{
    const QString base = vantel::test::makeTempDir(QStringLiteral("query-scopes-%1").arg(count));
    QStringList scopes;
    for (int i = 0; i < count; ++i) {
        scopes << base + QStringLiteral("/scope-%1").arg(i);
        QDir().mkpath(scopes.last());
        writeFile(scopes.last() + QStringLiteral("/app-%1.desktop").arg(i), application("App"));
    }
    DesktopEntryIndex::forgetShared();
    MetadataQuery query;
    Recorder recorder(query);
    qint64 reported = 0;
    const ObserverToken progress = NotificationCenter::defaultCenter().addObserver(
        MetadataQuery::gatheringProgressNotification, [&](const Notification&) { reported += query.resultCount(); },
        &query);
    query.setPredicate(applicationPredicate());
    query.setSearchScopes(scopes);
    if (!query.start() || !recorder.waitForGathering() || query.resultCount() != count)
        return -1;
    return reported;
}

} // namespace

// Each scope's applications join those found before without the whole list
// being merged, reported and made into items again per scope: the reports
// repeat what was found only as it grows by a part of itself.
TEST(MetadataQueryTest, TenTimesTheScopesAreGatheredWithAtMostFifteenTimesTheReports)
{
    const qint64 small = reportedApplications(300);
    const qint64 large = reportedApplications(3000);
    ASSERT_GT(small, 0);
    ASSERT_GT(large, 0);
    EXPECT_LT(double(large) / double(small), 15.0) << "300 scopes: " << small << " reported, 3000: " << large;
}
