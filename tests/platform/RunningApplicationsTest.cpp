#include "platform/ApplicationMatcher.h"
#include "platform/ApplicationUnits.h"
#include "platform/Log.h"
#include "platform/MainQueue.h"
#include "platform/NotificationCenter.h"
#include "platform/RunningApplications.h"

#include "support/PrivateBus.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVirtualObject>
#include <QDir>
#include <QFile>
#include <QProcess>

using namespace vantel::platform;

namespace {

DesktopEntry entryWithExec(const QString& exec, const QByteArray& extra = {})
{
    return *DesktopEntry::parse("[Desktop Entry]\nType=Application\nName=X\nExec=" + exec.toUtf8() + "\n" + extra);
}

void writeFile(const QString& path, const QByteArray& content, bool executable = false)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(content);
    file.close();
    if (executable)
        file.setPermissions(file.permissions() | QFile::ExeOwner | QFile::ExeUser);
}

QString canonicalSh()
{
    return QFileInfo(DesktopEntry::findExecutable(QStringLiteral("sh"))).canonicalFilePath();
}

} // namespace

TEST(ApplicationMatcherTest, DerivesTheProgramThatIdentifiesAnEntry)
{
    const QString dir = vantel::test::makeTempDir(QStringLiteral("matcher-keys"));
    const QString script = dir + QStringLiteral("/tool.py");
    writeFile(script, "print(1)\n", true);

    EXPECT_EQ(ApplicationMatcher::programKey(entryWithExec(QStringLiteral("sh %U"))), QString())
        << "a shell without a script identifies nothing";
    EXPECT_EQ(ApplicationMatcher::programKey(entryWithExec(QStringLiteral("sh -c \"echo hi\""))), QString());
    EXPECT_EQ(ApplicationMatcher::programKey(entryWithExec(QStringLiteral("env FOO=1 sh ") + script)),
              QFileInfo(script).canonicalFilePath());
    EXPECT_EQ(ApplicationMatcher::programKey(entryWithExec(QStringLiteral("python3 -u ") + script + QStringLiteral(" %f"))),
              QFileInfo(script).canonicalFilePath());
    EXPECT_EQ(ApplicationMatcher::programKey(entryWithExec(script + QStringLiteral(" --flag"))),
              QFileInfo(script).canonicalFilePath());
    EXPECT_EQ(ApplicationMatcher::programKey(entryWithExec(QStringLiteral("vantel-not-installed-anywhere"))), QString());
    EXPECT_EQ(ApplicationMatcher::programKey(entryWithExec(QStringLiteral("\"unterminated"))), QString());
    // A bare name is looked up in PATH and followed through its links.
    const QString cat = QFileInfo(DesktopEntry::findExecutable(QStringLiteral("cat"))).canonicalFilePath();
    ASSERT_FALSE(cat.isEmpty());
    EXPECT_EQ(ApplicationMatcher::programKey(entryWithExec(QStringLiteral("cat %F"))), cat);
}

TEST(ApplicationMatcherTest, MatchesProcessesAndWindowsToEntries)
{
    const QString dir = vantel::test::makeTempDir(QStringLiteral("matcher-match"));
    const QString script = dir + QStringLiteral("/app.sh");
    writeFile(script, "#!/bin/sh\n", true);
    const QString cat = QFileInfo(DesktopEntry::findExecutable(QStringLiteral("cat"))).canonicalFilePath();

    auto app = [](const QString& path, const QString& id, const DesktopEntry& entry) {
        return IndexedApplication{path, id, QStringLiteral("/apps"), entry};
    };
    const ApplicationMatcher matcher({
        app(QStringLiteral("/apps/cat.desktop"), QStringLiteral("cat.desktop"), entryWithExec(QStringLiteral("cat"))),
        app(QStringLiteral("/apps/helper.desktop"), QStringLiteral("helper.desktop"),
            entryWithExec(script, "NoDisplay=true\n")),
        app(QStringLiteral("/apps/org.example.Viewer.desktop"), QStringLiteral("org.example.Viewer.desktop"),
            entryWithExec(QStringLiteral("flatpak run org.example.Viewer"))),
        app(QStringLiteral("/apps/term.desktop"), QStringLiteral("term.desktop"),
            entryWithExec(QStringLiteral("sh -c x"), "StartupWMClass=Terminal-Window\n")),
    });

    const QList<ProcessInfo> processes = {
        {10, cat, {QStringLiteral("cat")}, {}},
        {11, cat + QStringLiteral(" (deleted)"), {QStringLiteral("cat")}, {}}, // a second instance, upgraded underneath
        {12, canonicalSh(), {QStringLiteral("/bin/sh"), script}, {}},          // the helper script
        {13, canonicalSh(), {QStringLiteral("sh"), QStringLiteral("-c"), QStringLiteral("x")}, {}}, // no entry
        {14, QStringLiteral("/usr/bin/bwrap"), {QStringLiteral("bwrap")}, QStringLiteral("/apps/org.example.Viewer.desktop")},
    };
    auto result = matcher.match(processes, {});
    ASSERT_EQ(result.size(), 3);
    EXPECT_EQ(result[0].bundlePath, QStringLiteral("/apps/cat.desktop"));
    EXPECT_EQ(result[0].processIds, (QList<qint64>{10, 11}));
    EXPECT_TRUE(result[0].regular);
    EXPECT_EQ(result[1].bundlePath, QStringLiteral("/apps/helper.desktop"));
    EXPECT_FALSE(result[1].regular) << "a NoDisplay helper without a window is not an ordinary application";
    EXPECT_EQ(result[2].bundlePath, QStringLiteral("/apps/org.example.Viewer.desktop"));
    EXPECT_EQ(result[2].processIds, (QList<qint64>{14}));

    // Windows: by StartupWMClass, by desktop ID, by process; skip-taskbar ones do not count.
    const QList<WindowInfo> windows = {
        {0, QStringLiteral("terminal-window"), QStringLiteral("Terminal-Window"), true},
        {12, QStringLiteral("app"), QStringLiteral("App"), true},
        {0, QStringLiteral("org.example.Viewer"), QStringLiteral("org.example.viewer"), false},
        {99, QStringLiteral("unknown"), QStringLiteral("Unknown"), true},
    };
    result = matcher.match(processes, windows);
    ASSERT_EQ(result.size(), 4);
    EXPECT_TRUE(result[1].regular) << "the helper has a normal window of its own";
    EXPECT_EQ(result[3].bundlePath, QStringLiteral("/apps/term.desktop"));
    EXPECT_TRUE(result[3].regular);
    EXPECT_TRUE(result[3].processIds.isEmpty());

    EXPECT_TRUE(ApplicationMatcher({}).match(processes, windows).isEmpty());
}

TEST(ApplicationMatcherTest, ReadsThisProcessFromProc)
{
    const auto processes = ApplicationMatcher::readProcesses();
    const qint64 self = QCoreApplication::applicationPid();
    const auto it = std::find_if(processes.cbegin(), processes.cend(), [self](const ProcessInfo& p) { return p.pid == self; });
    ASSERT_NE(it, processes.cend());
    EXPECT_EQ(it->executable, QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath());
    EXPECT_FALSE(it->arguments.isEmpty());
    EXPECT_TRUE(ApplicationMatcher::readProcesses(QStringLiteral("/nonexistent")).isEmpty());
}

class RunningApplicationsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = vantel::test::makeTempDir(QStringLiteral("running"));
        apps = dir + QStringLiteral("/applications");
        QDir().mkpath(apps);
        sleeper = dir + QStringLiteral("/vantel-sleeper");
        ASSERT_TRUE(QFile::copy(QStringLiteral("/bin/sleep"), sleeper));
        QFile(sleeper).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        writeFile(apps + QStringLiteral("/sleeper.desktop"),
                  "[Desktop Entry]\nType=Application\nName=Sleeper\nExec=" + sleeper.toUtf8() + " %f\n");
        tokens.push_back(NotificationCenter::workspaceCenter().addObserver(
            RunningApplications::didLaunchApplication,
            [this](const Notification& n) { record(QStringLiteral("launch"), n); }));
        tokens.push_back(NotificationCenter::workspaceCenter().addObserver(
            RunningApplications::didTerminateApplication,
            [this](const Notification& n) { record(QStringLiteral("terminate"), n); }));
    }

    void TearDown() override
    {
        for (QProcess* process : processes) {
            process->kill();
            process->waitForFinished();
            delete process;
        }
    }

    void record(const QString& what, const Notification& n)
    {
        offMainThread = offMainThread || !MainQueue::isMainThread();
        const auto* path = std::any_cast<QString>(&n.object);
        events << what + u' ' + (path ? *path : QStringLiteral("<no path>"));
    }

    QProcess* launch(const QString& program, const QStringList& arguments)
    {
        auto* process = new QProcess;
        process->start(program, arguments);
        EXPECT_TRUE(process->waitForStarted());
        processes << process;
        return process;
    }

    RunningApplications::Options options()
    {
        return {QStringList{apps}, std::chrono::milliseconds(100), false};
    }

    QString dir, apps, sleeper;
    QStringList events;
    bool offMainThread = false;
    QList<QProcess*> processes;
    std::vector<ObserverToken> tokens;
};

TEST_F(RunningApplicationsTest, SeesAProcessStartAndEnd)
{
    RunningApplications running(options());
    running.start();
    EXPECT_TRUE(running.regularApplicationPaths().isEmpty());

    const QString entry = apps + QStringLiteral("/sleeper.desktop");
    QProcess* first = launch(sleeper, {QStringLiteral("30")});
    ASSERT_TRUE(vantel::test::waitUntil([&] { return !events.isEmpty(); }));
    EXPECT_EQ(events, QStringList{QStringLiteral("launch ") + entry});
    ASSERT_EQ(running.runningApplications().size(), 1);
    EXPECT_EQ(running.runningApplications()[0].processIds, QList<qint64>{first->processId()});

    // A second instance announces nothing; the first one ending neither.
    QProcess* second = launch(sleeper, {QStringLiteral("30")});
    ASSERT_TRUE(vantel::test::waitUntil([&] { return running.runningApplications().value(0).processIds.size() == 2; }));
    first->kill();
    first->waitForFinished();
    ASSERT_TRUE(vantel::test::waitUntil([&] { return running.runningApplications().value(0).processIds.size() == 1; }));
    EXPECT_EQ(events.size(), 1);

    second->kill();
    second->waitForFinished();
    ASSERT_TRUE(vantel::test::waitUntil([&] { return events.size() == 2; }));
    EXPECT_EQ(events.last(), QStringLiteral("terminate ") + entry);
    EXPECT_TRUE(running.runningApplications().isEmpty());
    EXPECT_FALSE(offMainThread);
}

TEST_F(RunningApplicationsTest, FindsAlreadyRunningScriptsAtStartWithoutAnnouncingThem)
{
    const QString script = dir + QStringLiteral("/vantel-script.sh");
    writeFile(script + QStringLiteral(".loop"), "#!/bin/sh\nwhile :; do sleep 1; done\n", true);
    writeFile(apps + QStringLiteral("/looper.desktop"),
              "[Desktop Entry]\nType=Application\nName=Looper\nExec=" + script.toUtf8() + ".loop\n");
    launch(script + QStringLiteral(".loop"), {});
    launch(sleeper, {QStringLiteral("30")});
    // Wait until the script is running under its interpreter.
    vantel::test::spinEventLoop(std::chrono::milliseconds(200));

    RunningApplications running(options());
    running.start();
    EXPECT_EQ(running.regularApplicationPaths(),
              (QStringList{apps + QStringLiteral("/looper.desktop"), apps + QStringLiteral("/sleeper.desktop")}));
    vantel::test::spinEventLoop(std::chrono::milliseconds(300));
    EXPECT_TRUE(events.isEmpty()) << events.join(u',').toStdString();

    running.stop();
    for (QProcess* process : processes)
        process->kill();
    vantel::test::spinEventLoop(std::chrono::milliseconds(300));
    EXPECT_TRUE(events.isEmpty()) << "a stopped observer posts nothing";
}

// Without polling: a launch this program makes, a process's end and a new
// desktop file are what make the list be taken again.
TEST_F(RunningApplicationsTest, FollowsLaunchesEndsAndDesktopFilesWithoutPolling)
{
    RunningApplications::Options eventsOnly{QStringList{apps}, std::chrono::milliseconds(0), false};
    RunningApplications running(eventsOnly);
    running.start();
    const QString entry = apps + QStringLiteral("/sleeper.desktop");

    // A process started by someone else is not looked for...
    QProcess* process = launch(sleeper, {QStringLiteral("30")});
    vantel::test::spinEventLoop(std::chrono::milliseconds(400));
    EXPECT_TRUE(events.isEmpty()) << events.join(u',').toStdString();
    // ...until a launch of ours says the processes changed.
    RunningApplications::applicationLaunched();
    ASSERT_TRUE(vantel::test::waitUntil([&] { return !events.isEmpty(); }));
    EXPECT_EQ(events, QStringList{QStringLiteral("launch ") + entry});

    // Its end is seen through the process itself.
    process->kill();
    process->waitForFinished();
    ASSERT_TRUE(vantel::test::waitUntil([&] { return events.size() == 2; }));
    EXPECT_EQ(events.last(), QStringLiteral("terminate ") + entry);

    // A process that no entry names is found once its desktop file appears.
    const QString other = dir + QStringLiteral("/vantel-other");
    ASSERT_TRUE(QFile::copy(QStringLiteral("/bin/sleep"), other));
    QFile(other).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    launch(other, {QStringLiteral("30")});
    RunningApplications::applicationLaunched();
    vantel::test::spinEventLoop(std::chrono::milliseconds(400));
    EXPECT_EQ(events.size(), 2);
    writeFile(apps + QStringLiteral("/other.desktop"),
              "[Desktop Entry]\nType=Application\nName=Other\nExec=" + other.toUtf8() + "\n");
    ASSERT_TRUE(vantel::test::waitUntil([&] { return events.size() == 3; }));
    EXPECT_EQ(events.last(), QStringLiteral("launch ") + apps + QStringLiteral("/other.desktop"));
    EXPECT_FALSE(offMainThread);
}

// Started in the background, the first list comes later and is announced.
TEST_F(RunningApplicationsTest, AnnouncesTheFirstListWhenStartedInTheBackground)
{
    launch(sleeper, {QStringLiteral("30")});
    vantel::test::spinEventLoop(std::chrono::milliseconds(100));
    RunningApplications running({QStringList{apps}, std::chrono::milliseconds(0), false});
    running.startInBackground();
    EXPECT_TRUE(running.isStarted());
    ASSERT_TRUE(vantel::test::waitUntil([&] { return !events.isEmpty(); }));
    EXPECT_EQ(events, QStringList{QStringLiteral("launch ") + apps + QStringLiteral("/sleeper.desktop")});
    EXPECT_EQ(running.regularApplicationPaths(), QStringList{apps + QStringLiteral("/sleeper.desktop")});
}

// Vantel's own "Open with Vantel" entry names the running program itself,
// which is no launch to announce.
TEST_F(RunningApplicationsTest, VantelsOwnEntryIsNotAnnounced)
{
    writeFile(apps + QStringLiteral("/" VANTEL_BUNDLE_ID ".desktop"),
              "[Desktop Entry]\nType=Application\nName=Vantel\nExec="
                  + QFile::encodeName(QCoreApplication::applicationFilePath()) + " %F\n");
    launch(sleeper, {QStringLiteral("30")});
    RunningApplications running({QStringList{apps}, std::chrono::milliseconds(0), false});
    running.startInBackground();
    ASSERT_TRUE(vantel::test::waitUntil([&] { return !events.isEmpty(); }));
    EXPECT_EQ(events, QStringList{QStringLiteral("launch ") + apps + QStringLiteral("/sleeper.desktop")});
    EXPECT_EQ(running.regularApplicationPaths(), QStringList{apps + QStringLiteral("/sleeper.desktop")});
}

TEST(ApplicationUnitsTest, ReadsTheDesktopIdOutOfAnApplicationUnitsName)
{
    const auto ids = [](const char* unit) { return ApplicationUnits::desktopIdCandidates(QString::fromLatin1(unit)); };
    EXPECT_EQ(ids("app-gnome-org.gnome.Terminal-3456.scope"),
              (QStringList{"org.gnome.Terminal.desktop", "gnome-org.gnome.Terminal.desktop"}));
    EXPECT_EQ(ids("app-gnome-firefox\\x2desr@a1b2c3.service"),
              (QStringList{"firefox-esr.desktop", "gnome-firefox-esr.desktop"}));
    EXPECT_EQ(ids("app-org.kde.konsole-7f3a.scope"), QStringList{"org.kde.konsole.desktop"}); // no launcher
    for (const char* other : {"dbus.service", "app.slice", "app-gnome-org.gnome.Terminal.scope",
                              "app-gnome-xterm.service", "app--12.scope", "session-2.scope", "app-x\\x2fy-1.scope"})
        EXPECT_TRUE(ids(other).isEmpty()) << other;
}

namespace {

QString unitPath(const QString& unit)
{
    return QStringLiteral("/org/freedesktop/systemd1/unit/u") + QString::number(qHash(unit));
}

// A row of ListUnits (a(ssssssouso)): only the name and active state vary.
struct UnitRow {
    QString name;
    QString activeState;
};

QDBusArgument& operator<<(QDBusArgument& argument, const UnitRow& row)
{
    const QDBusObjectPath path(unitPath(row.name));
    argument.beginStructure();
    argument << row.name << QString() << QStringLiteral("loaded") << row.activeState << QString() << QString() << path
             << 0u << QString() << path;
    argument.endStructure();
    return argument;
}
const QDBusArgument& operator>>(const QDBusArgument& argument, UnitRow&) { return argument; }

// (ss), for a list of the wrong type.
struct NamePair {
    QString first, second;
};
QDBusArgument& operator<<(QDBusArgument& argument, const NamePair& pair)
{
    argument.beginStructure();
    argument << pair.first << pair.second;
    argument.endStructure();
    return argument;
}
const QDBusArgument& operator>>(const QDBusArgument& argument, NamePair&) { return argument; }

} // namespace

Q_DECLARE_METATYPE(UnitRow)
Q_DECLARE_METATYPE(NamePair)

namespace {

// The systemd user manager of a desktop that starts applications in units:
// Subscribe, ListUnits, the units' ActiveState (Get and PropertiesChanged),
// and the UnitNew and UnitRemoved signals. Any process could answer with
// other types: `listAnswer` in place of the units, a state that is no string
// in place of a unit's "v".
class FakeSystemdManager final : public QDBusVirtualObject {
public:
    explicit FakeSystemdManager(QDBusConnection bus)
        : bus_(std::move(bus))
    {
        qDBusRegisterMetaType<UnitRow>();
        qDBusRegisterMetaType<QList<UnitRow>>();
        qDBusRegisterMetaType<NamePair>();
        qDBusRegisterMetaType<QList<NamePair>>();
        qDBusRegisterMetaType<QList<QDBusVariant>>();
        registered = bus_.registerVirtualObject(path, this, QDBusConnection::SubPath)
            && bus_.registerService(QStringLiteral("org.freedesktop.systemd1"));
    }

    void announce(const char* signal, const QString& unit)
    {
        send(path, interface, signal, {unit, QVariant::fromValue(QDBusObjectPath(unitPath(unit)))});
    }
    // PropertiesChanged of the unit: ActiveState changed to `state`, or invalidated.
    void changeState(const QString& unit, const QVariant& state)
    {
        const QVariantMap changed = state.isValid() ? QVariantMap{{QStringLiteral("ActiveState"), state}} : QVariantMap();
        const QStringList invalidated = state.isValid() ? QStringList() : QStringList{QStringLiteral("ActiveState")};
        send(unitPath(unit), QStringLiteral("org.freedesktop.DBus.Properties"), "PropertiesChanged",
             {QStringLiteral("org.freedesktop.systemd1.Unit"), changed, invalidated});
    }
    void send(const QString& from, const QString& on, const char* signal, const QVariantList& arguments)
    {
        QDBusMessage message = QDBusMessage::createSignal(from, on, QString::fromLatin1(signal));
        message.setArguments(arguments);
        bus_.send(message);
    }

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        if (message.member() == u"Get") {
            ++gets;
            const QVariant state = states.value(message.path(), QStringLiteral("inactive"));
            const bool text = state.metaType() == QMetaType::fromType<QString>();
            return connection.send(message.createReply(text ? QVariant::fromValue(QDBusVariant(state)) : state));
        }
        if (message.interface() != interface)
            return false;
        subscriptions += message.member() == u"Subscribe" ? 1 : 0;
        lists += message.member() == u"ListUnits" ? 1 : 0;
        if (message.member() == u"ListUnits")
            return connection.send(message.createReply(listAnswer.isValid() ? listAnswer : QVariant::fromValue(units)));
        return connection.send(message.createReply());
    }

    bool registered = false;
    QList<UnitRow> units;
    QVariant listAnswer;
    QHash<QString, QVariant> states; // by unit path
    int subscriptions = 0, lists = 0, gets = 0; // calls answered
    static inline const QString path = QStringLiteral("/org/freedesktop/systemd1");
    static inline const QString interface = QStringLiteral("org.freedesktop.systemd1.Manager");

private:
    QDBusConnection bus_;
};

} // namespace

// Under Wayland no window list tells of applications started elsewhere: the
// units the desktop starts them in do, as events.
TEST_F(RunningApplicationsTest, FollowsTheApplicationUnitsOfTheDesktopWithoutPolling)
{
    vantel::test::PrivateBus bus;
    ASSERT_TRUE(bus.start()) << "dbus-daemon could not give a private bus";
    FakeSystemdManager manager(bus.connect(QStringLiteral("vantel-fake-systemd")));
    ASSERT_TRUE(manager.registered);
    const auto entry = [&](const QString& id, const QByteArray& extra = {}) {
        writeFile(apps + u'/' + id, "[Desktop Entry]\nType=Application\nName=X\nExec=" + sleeper.toUtf8() + "\n" + extra);
        return apps + u'/' + id;
    };
    const QString quill = entry(QStringLiteral("org.vantel.Quill.desktop"));
    const QString ledger = entry(QStringLiteral("vantel-ledger.desktop"));
    entry(QStringLiteral("org.vantel.Helper.desktop"), "NoDisplay=true\n");
    manager.units = {{QStringLiteral("app-gnome-org.vantel.Quill-2231.scope"), QStringLiteral("active")},
                     {QStringLiteral("dbus.service"), QStringLiteral("active")},
                     {QStringLiteral("app-gnome-vantel\\x2dledger@a1.service"), QStringLiteral("inactive")},
                     {QStringLiteral("app-org.vantel.Helper-17.scope"), QStringLiteral("active")}};

    RunningApplications::Options options{QStringList{apps}, std::chrono::milliseconds(0), false};
    options.applicationUnitsBus = bus.connect(QStringLiteral("vantel-units-client"));
    RunningApplications running(options);
    running.start();
    // The running units at start; a helper's (NoDisplay) is no regular application.
    ASSERT_TRUE(vantel::test::waitUntil([&] { return !events.isEmpty(); }));
    EXPECT_EQ(events, QStringList{QStringLiteral("launch ") + quill});
    EXPECT_EQ(manager.subscriptions, 1);

    manager.states[unitPath(QStringLiteral("app-kde-vantel\\x2dledger-99.scope"))] = QStringLiteral("active");
    manager.announce("UnitNew", QStringLiteral("app-kde-vantel\\x2dledger-99.scope"));
    ASSERT_TRUE(vantel::test::waitUntil([&] { return events.size() == 2; }));
    EXPECT_EQ(events.last(), QStringLiteral("launch ") + ledger);
    manager.announce("UnitRemoved", QStringLiteral("app-gnome-org.vantel.Quill-2231.scope"));
    ASSERT_TRUE(vantel::test::waitUntil([&] { return events.size() == 3; }));
    EXPECT_EQ(events.last(), QStringLiteral("terminate ") + quill);
    EXPECT_EQ(running.regularApplicationPaths(), QStringList{ledger});
    EXPECT_FALSE(offMainThread);
}

// Any process may own the manager's name: answers and signals of other types
// are ignored, each kind said once in the log, and nothing runs from them.
TEST_F(RunningApplicationsTest, UnitAnswersAndSignalsOfTheWrongTypeAreIgnored)
{
    const QString unit = QStringLiteral("app-gnome-sleeper-1.scope"), later = QStringLiteral("app-gnome-sleeper-2.scope");
    const QVariant lists[] = {QVariant::fromValue(QList<int>{1, 2}),
                              QVariant::fromValue(QList<NamePair>{{unit, QStringLiteral("active")}}),
                              QVariant::fromValue(QList<QDBusVariant>{QDBusVariant(unit)}), QStringList{unit}};
    Log::CaptureSink log;
    Log::setDebugLogging(true);
    for (const QVariant& list : lists) {
        vantel::test::PrivateBus bus;
        ASSERT_TRUE(bus.start());
        FakeSystemdManager manager(bus.connect(QStringLiteral("vantel-fake-systemd")));
        manager.listAnswer = list;
        manager.states[unitPath(unit)] = 7;                                  // "i", not "v"
        manager.states[unitPath(later)] = QVariant::fromValue(QDBusVariant(7)); // "v" holding "i"
        RunningApplications::Options options{QStringList{apps}, std::chrono::milliseconds(0), false};
        options.applicationUnitsBus = bus.connect(QStringLiteral("vantel-units-client"));
        log.clear();
        RunningApplications running(options);
        running.start();
        // The manager's messages come in the order it sent them.
        ASSERT_TRUE(vantel::test::waitUntil([&] { return manager.lists == 1; }));
        for (int i = 0; i < 2; ++i) {
            for (const QVariantList& arguments : {QVariantList{unit}, QVariantList{unit, unit}, QVariantList{unit, 3},
                                                  QVariantList{7, QVariant::fromValue(QDBusObjectPath(unitPath(unit)))}})
                manager.send(FakeSystemdManager::path, FakeSystemdManager::interface, "UnitNew", arguments);
            manager.announce("UnitNew", unit);
            manager.announce("UnitNew", later);
            manager.changeState(unit, 1);
            manager.send(unitPath(unit), QStringLiteral("org.freedesktop.DBus.Properties"), "PropertiesChanged",
                         {QStringLiteral("org.freedesktop.systemd1.Unit"), QStringLiteral("active")});
        }
        ASSERT_TRUE(vantel::test::waitUntil([&] { return manager.gets == 2; }));
        // Once this one is heard, every message above was read.
        manager.changeState(later, QStringLiteral("active"));
        ASSERT_TRUE(vantel::test::waitUntil([&] { return !events.isEmpty(); }));
        EXPECT_EQ(events, QStringList{QStringLiteral("launch ") + apps + QStringLiteral("/sleeper.desktop")});
        events.clear();
        const QStringList lines = log.messages().filter(QStringLiteral("ignored"));
        EXPECT_EQ(lines.size(), 5) << lines.join(u'\n').toStdString(); // list, signal, state reply and value, changes
        EXPECT_EQ(lines.filter(QStringLiteral("UnitNew")).size(), 1) << "said once, not per signal";
    }
    Log::setDebugLogging(false);
}

// Only an active (or activating) unit runs an application: its state comes
// with the list, is asked for a new unit, and is followed as it changes.
TEST_F(RunningApplicationsTest, OnlyActiveUnitsRunAndTheirStateIsFollowed)
{
    const QString listed = QStringLiteral("app-gnome-sleeper-1.scope"), announced = QStringLiteral("app-sleeper-2.scope");
    const QString entry = QStringLiteral(" ") + apps + QStringLiteral("/sleeper.desktop");
    vantel::test::PrivateBus bus;
    ASSERT_TRUE(bus.start());
    FakeSystemdManager manager(bus.connect(QStringLiteral("vantel-fake-systemd")));
    manager.units = {{listed, QStringLiteral("inactive")}};
    RunningApplications::Options options{QStringList{apps}, std::chrono::milliseconds(0), false};
    options.applicationUnitsBus = bus.connect(QStringLiteral("vantel-units-client"));
    RunningApplications running(options);
    running.start();
    manager.announce("UnitNew", announced); // asked: inactive
    vantel::test::spinEventLoop(std::chrono::milliseconds(400));
    EXPECT_TRUE(events.isEmpty()) << events.join(u',').toStdString();

    manager.changeState(listed, QStringLiteral("activating"));
    ASSERT_TRUE(vantel::test::waitUntil([&] { return events.size() == 1; }));
    manager.changeState(listed, QStringLiteral("inactive"));
    ASSERT_TRUE(vantel::test::waitUntil([&] { return events.size() == 2; }));
    // An invalidated state is asked again.
    manager.states[unitPath(announced)] = QStringLiteral("active");
    manager.changeState(announced, QVariant());
    ASSERT_TRUE(vantel::test::waitUntil([&] { return events.size() == 3; }));
    EXPECT_EQ(events, (QStringList{QStringLiteral("launch") + entry, QStringLiteral("terminate") + entry,
                                   QStringLiteral("launch") + entry}));
}
