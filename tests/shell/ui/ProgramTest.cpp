#include "VantelProcess.h"

#include "platform/UserDefaults.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QRegularExpression>

#include <csignal>
#include <unistd.h>

namespace vantel {
namespace {

const QString firstRunLine = QStringLiteral("First run: opening the first-run assistant");

// Starts the program in `home`, waits for the end of its launch (and for
// `line` when given), ends it with the signal and answers its log.
QStringList runOnce(const QString& home, int signalNumber, const QByteArray& line = {})
{
    test::VantelProcess vantel(home);
    vantel.start();
    EXPECT_TRUE(vantel.waitForOutput("<- applicationDidFinishLaunching")) << vantel.output().toStdString();
    if (!line.isEmpty()) {
        EXPECT_TRUE(vantel.waitForOutput(line)) << vantel.output().toStdString();
    }
    vantel.signal(signalNumber);
    EXPECT_TRUE(vantel.waitForFinished());
    EXPECT_EQ(vantel.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(vantel.process().exitCode(), 0);
    EXPECT_TRUE(vantel.output().contains(QStringLiteral("on signal %1").arg(signalNumber).toUtf8()));
    return vantel.logMessages();
}

TEST(Program, LaunchesAndTerminatesInOrderAndKnowsItsFirstRun)
{
    const QString home = test::makeTempDir(QStringLiteral("program-home"));
    test::VantelProcess::prepareHome(home);

    // A first launch is marked once its assistant is on screen.
    const QStringList first = runOnce(home, SIGTERM, "First run: the first-run assistant is shown");
    const QStringList order{
        QStringLiteral("-> applicationDidFinishLaunching"),
        QStringLiteral("Shared instances created"),
        QStringLiteral("Configuration loaded"),
        QStringLiteral("Main window controller created"),
        QStringLiteral("HotKeyManager created"),
        firstRunLine,
        QStringLiteral("Services provider installed"),
        QStringLiteral("Observers registered"),
        QStringLiteral("Data proxies enabled"),
        QStringLiteral("-> RebuildData - Request initiated: Datastorage initialize"),
        QStringLiteral("Hotkeys registered"),
        QStringLiteral("Begin activity: Prevent App Nap to preserve responsiveness"),
        QStringLiteral("<- applicationDidFinishLaunching"),
        QStringLiteral("-> applicationWillTerminate"),
        QStringLiteral("Configuration saved"),
        QStringLiteral("Bookmarks saved"),
        QStringLiteral("End activity: Prevent App Nap to preserve responsiveness"),
        QStringLiteral("<- applicationWillTerminate"),
    };
    qsizetype previous = -1;
    for (const QString& line : order) {
        const qsizetype at = first.indexOf(line);
        EXPECT_GT(at, previous) << line.toStdString() << "\n" << first.join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(first.count(line), 1) << line.toStdString();
        previous = std::max(previous, at);
    }

    // The first-run assistant opened through the catalogue.
    EXPECT_FALSE(first.contains(QStringLiteral("openWindow failed: firstRun")));

    // The desktop file is written before discovery starts: written while the
    // first search runs, it came into a search scope and every scope was
    // searched a second time.
    const qsizetype written = first.indexOf(QStringLiteral("Desktop file written: ") + home
                                            + QStringLiteral("/data/applications/net.tarnwick.vantel.desktop"));
    EXPECT_GE(written, 0);
    EXPECT_LT(written, first.indexOf(QStringLiteral("Proxy: SpotlightQuery state: Query successful started")));

    // The desktop file that offers "Open with Vantel" names this program.
    QFile desktop(home + QStringLiteral("/data/applications/net.tarnwick.vantel.desktop"));
    ASSERT_TRUE(desktop.open(QIODevice::ReadOnly));
    EXPECT_TRUE(desktop.readAll().contains("Exec=" + test::VantelProcess::executable().toUtf8() + " %F"));

    // The termination saved: the next start is a later run.
    platform::UserDefaults saved(home + QStringLiteral("/config/Vantel/net.tarnwick.vantel.plist"));
    EXPECT_TRUE(saved.boolForKey(QStringLiteral("launchedBefore")));

    const QStringList later = runOnce(home, SIGINT);
    EXPECT_FALSE(later.contains(firstRunLine));
    EXPECT_EQ(later.count(QStringLiteral("-> applicationWillTerminate")), 1);
    // A hang-up ends it the same way, saving.
    const QStringList hungUp = runOnce(home, SIGHUP);
    EXPECT_EQ(hungUp.count(QStringLiteral("-> applicationWillTerminate")), 1);
    EXPECT_EQ(hungUp.count(QStringLiteral("Configuration saved")), 1);
    EXPECT_EQ(later.count(QStringLiteral("Desktop file written: ") + home
                          + QStringLiteral("/data/applications/net.tarnwick.vantel.desktop")),
              0);
}

} // namespace
} // namespace vantel

namespace vantel {
namespace {

// An empty file in `home`, by its path; empty when it can't be made.
QString emptyFile(const QString& home, const QString& name)
{
    const QString path = home + QLatin1Char('/') + name;
    QFile file(path);
    return file.open(QIODevice::WriteOnly) ? path : QString();
}

// The child under a German language list.
void speakGerman(test::VantelProcess& vantel)
{
    QProcessEnvironment env = vantel.process().processEnvironment();
    env.insert(QStringLiteral("LANGUAGE"), QStringLiteral("de:en"));
    vantel.process().setProcessEnvironment(env);
}

TEST(Program, ALaterStartHandsItsFilesOrAToggleToTheRunningOne)
{
    const QString home = test::makeTempDir(QStringLiteral("instance-home"));
    test::VantelProcess::prepareHome(home);
    const QString socket = home + QStringLiteral("/runtime/net.tarnwick.vantel.socket");
    const QString present = emptyFile(home, QStringLiteral("present file.txt"));
    ASSERT_FALSE(present.isEmpty());

    test::VantelProcess first(home);
    first.start();
    ASSERT_TRUE(first.waitForOutput("<- applicationDidFinishLaunching")) << first.output().toStdString();

    // A missing file refuses the whole start: nothing reaches the running one.
    test::VantelProcess refused(home);
    refused.start({present, home + QStringLiteral("/missing.txt")});
    ASSERT_TRUE(refused.waitForFinished());
    EXPECT_NE(refused.process().exitCode(), 0);
    EXPECT_TRUE(refused.output().contains("/missing.txt: no such file or folder")) << refused.output().toStdString();

    // Relative paths are taken from the later start's folder.
    test::VantelProcess second(home);
    second.process().setWorkingDirectory(home);
    second.start({QStringLiteral("present file.txt")});
    ASSERT_TRUE(second.waitForFinished());
    EXPECT_EQ(second.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.process().exitCode(), 0) << second.output().toStdString();
    EXPECT_FALSE(second.output().contains("applicationDidFinishLaunching"));

    // The main view opens with the present file waiting in it.
    ASSERT_TRUE(first.waitForOutput("openFilesInMainView: ")) << first.output().toStdString();
    const auto handOvers = [&first] {
        return first.logMessages().filter(QRegularExpression(QStringLiteral("^openFilesInMainView: ")));
    };
    EXPECT_EQ(handOvers(), QStringList{QStringLiteral("openFilesInMainView: 1 of 1 files waiting")})
        << first.output().toStdString();
    EXPECT_EQ(first.logMessages().count(QStringLiteral("Finder-Service provided some content ...")), 1);
    EXPECT_EQ(first.logMessages().count(QStringLiteral("popoverDidShow")), 1);

    // Help and version print and end; the running one hears nothing of them.
    for (const QString& option : {QStringLiteral("--help"), QStringLiteral("--version")}) {
        test::VantelProcess asking(home);
        asking.start({option});
        ASSERT_TRUE(asking.waitForFinished());
        EXPECT_EQ(asking.process().exitCode(), 0);
        const QByteArray printed = asking.process().readAllStandardOutput();
        EXPECT_TRUE(printed.contains(option == QStringLiteral("--help") ? "[FILE...]" : "Vantel ")) << printed.toStdString();
        EXPECT_FALSE(asking.output().contains("handed over")) << asking.output().toStdString();
    }
    EXPECT_EQ(handOvers().size(), 1);
    EXPECT_EQ(first.logMessages().count(QStringLiteral("switchMainWindow in AppDelegate executed")), 0);

    // A start without arguments switches the main view: closed, then open again.
    const auto startEmpty = [&home] {
        test::VantelProcess later(home);
        later.start();
        EXPECT_TRUE(later.waitForFinished());
        EXPECT_EQ(later.process().exitCode(), 0) << later.output().toStdString();
        EXPECT_FALSE(later.output().contains("applicationDidFinishLaunching"));
    };
    startEmpty();
    EXPECT_TRUE(first.waitForOutput("closeMainWindow -> close Popover")) << first.output().toStdString();
    startEmpty();
    ASSERT_TRUE(test::poll([&] { return first.logMessages().count(QStringLiteral("popoverDidShow")) == 2; }))
        << first.output().toStdString();
    EXPECT_EQ(first.logMessages().count(QStringLiteral("switchMainWindow in AppDelegate executed")), 2);
    EXPECT_EQ(handOvers().size(), 1) << "a start without files handed files over";

    // A crashed instance leaves its socket behind; the next start takes it
    // over and answers later starts itself.
    first.signal(SIGKILL);
    ASSERT_TRUE(first.waitForFinished());
    ASSERT_TRUE(QFile::exists(socket));
    test::VantelProcess fourth(home);
    fourth.start();
    ASSERT_TRUE(fourth.waitForOutput("<- applicationDidFinishLaunching")) << fourth.output().toStdString();
    test::VantelProcess fifth(home);
    fifth.start({present});
    ASSERT_TRUE(fifth.waitForFinished());
    EXPECT_EQ(fifth.process().exitCode(), 0);
    EXPECT_TRUE(fourth.waitForOutput("openFilesInMainView: 1 of 1 files waiting")) << fourth.output().toStdString();

    fourth.signal(SIGTERM);
    ASSERT_TRUE(fourth.waitForFinished());
    EXPECT_EQ(fourth.process().exitCode(), 0);

    // With no Vantel running, help and a missing file start nothing either.
    test::VantelProcess helpAlone(home);
    helpAlone.start({QStringLiteral("--help")});
    ASSERT_TRUE(helpAlone.waitForFinished());
    EXPECT_EQ(helpAlone.process().exitCode(), 0);
    EXPECT_FALSE(helpAlone.output().contains("is running")) << helpAlone.output().toStdString();
    test::VantelProcess missingAlone(home);
    missingAlone.start({QStringLiteral("/missing/file")});
    ASSERT_TRUE(missingAlone.waitForFinished());
    EXPECT_NE(missingAlone.process().exitCode(), 0);
    EXPECT_FALSE(missingAlone.output().contains("is running")) << missingAlone.output().toStdString();
}

// Under a German language list the later start answers in German, whatever
// the running one speaks.
TEST(Program, ALaterStartRepliesInTheLanguageOfItsLanguageList)
{
    const QString home = test::makeTempDir(QStringLiteral("german-instance-home"));
    test::VantelProcess::prepareHome(home);
    const QString present = emptyFile(home, QStringLiteral("Notiz.txt"));
    ASSERT_FALSE(present.isEmpty());
    test::VantelProcess first(home);
    first.start();
    ASSERT_TRUE(first.waitForOutput("<- applicationDidFinishLaunching")) << first.output().toStdString();

    const auto germanStart = [&home](const QStringList& arguments) {
        auto later = std::make_unique<test::VantelProcess>(home);
        speakGerman(*later);
        later->start(arguments);
        EXPECT_TRUE(later->waitForFinished());
        return later;
    };
    const auto handedOver = germanStart({present});
    EXPECT_EQ(handedOver->process().exitCode(), 0);
    EXPECT_TRUE(handedOver->output().contains("Vantel läuft bereits: 1 Pfad(e) übergeben"))
        << handedOver->output().toStdString();
    const auto refused = germanStart({home + QStringLiteral("/fehlt.txt")});
    EXPECT_TRUE(refused->output().contains("/fehlt.txt: Datei oder Ordner nicht gefunden\nEs wurde nichts übergeben."))
        << refused->output().toStdString();
    const auto switched = germanStart({});
    EXPECT_TRUE(switched->output().contains("Vantel läuft bereits: Hauptansicht umgeschaltet"))
        << switched->output().toStdString();
    const auto help = germanStart({QStringLiteral("--help")});
    const QString printed = QString::fromUtf8(help->process().readAllStandardOutput());
    EXPECT_TRUE(printed.contains(QStringLiteral("Aufruf:")) && printed.contains(QStringLiteral("Ein Starter im Systembereich"))
                && printed.contains(QStringLiteral("[DATEI …]")))
        << printed.toStdString();
    // The argument's own name in the list of arguments.
    EXPECT_TRUE(printed.contains(QRegularExpression(QStringLiteral("\n  Dateien +Dateien oder Ordner"))))
        << printed.toStdString();
    EXPECT_FALSE(printed.contains(QStringLiteral("files"))) << printed.toStdString();
    first.signal(SIGTERM);
    EXPECT_TRUE(first.waitForFinished());

    // Something at the socket that answers as no Vantel does: the client's
    // reason is German as well.
    QFile::remove(home + QStringLiteral("/runtime/net.tarnwick.vantel.socket"));
    QLocalServer stranger;
    ASSERT_TRUE(stranger.listen(home + QStringLiteral("/runtime/net.tarnwick.vantel.socket")));
    QObject::connect(&stranger, &QLocalServer::newConnection, &stranger, [&stranger] {
        QLocalSocket* socket = stranger.nextPendingConnection();
        QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket] { socket->write("not json\n"); });
    });
    test::VantelProcess answered(home);
    speakGerman(answered);
    answered.start();
    ASSERT_TRUE(test::waitUntil([&] { return answered.process().state() == QProcess::NotRunning; }));
    EXPECT_TRUE(answered.output().contains("Vantel läuft bereits, hat die Anfrage aber nicht angenommen: fehlerhafte Antwort"))
        << answered.output().toStdString();
}

} // namespace
} // namespace vantel

namespace vantel {
namespace {

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// As from a text console, ssh or cron: Qt would find no display to connect to.
QProcessEnvironment withoutDisplay(const QString& home)
{
    QProcessEnvironment env = test::VantelProcess::environment(home);
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "WAYLAND_SOCKET", "XDG_SESSION_TYPE"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    return env;
}

TEST(Program, HelpAndVersionNeedNoDisplay)
{
    const QString home = test::makeTempDir(QStringLiteral("console-home"));
    test::VantelProcess::prepareHome(home);
    for (const QString& option : {QStringLiteral("--help"), QStringLiteral("--version")}) {
        test::VantelProcess asking(home);
        asking.process().setProcessEnvironment(withoutDisplay(home));
        asking.start({option});
        ASSERT_TRUE(asking.waitForFinished());
        EXPECT_EQ(asking.process().exitStatus(), QProcess::NormalExit) << asking.output().toStdString();
        EXPECT_EQ(asking.process().exitCode(), 0) << asking.output().toStdString();
        const QByteArray printed = asking.process().readAllStandardOutput();
        EXPECT_TRUE(printed.contains(option == QStringLiteral("--help") ? "[FILE...]" : "Vantel 1.")) << printed.toStdString();
    }
}

// Without a display a later start still hands over; a first start can't
// show anything, says so in the user's language and ends without an abort.
TEST(Program, WithoutADisplayALaterStartHandsOverAndAFirstOneEndsWithItsReason)
{
    const QString home = test::makeTempDir(QStringLiteral("no-display-home"));
    test::VantelProcess::prepareHome(home);
    const QString present = emptyFile(home, QStringLiteral("handed.txt"));
    ASSERT_FALSE(present.isEmpty());
    const auto startWithoutDisplay = [&home](const QStringList& arguments, bool german = false) {
        auto later = std::make_unique<test::VantelProcess>(home);
        QProcessEnvironment env = withoutDisplay(home);
        // Qt's choice when nothing names a plugin.
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        later->process().setProcessEnvironment(env);
        if (german)
            speakGerman(*later);
        later->start(arguments);
        EXPECT_TRUE(later->waitForFinished());
        EXPECT_EQ(later->process().exitStatus(), QProcess::NormalExit) << later->output().toStdString();
        EXPECT_FALSE(later->output().contains("is running")) << later->output().toStdString();
        return later;
    };

    const auto alone = startWithoutDisplay({present});
    EXPECT_EQ(alone->process().exitCode(), 1);
    EXPECT_TRUE(alone->output().contains(
        "Vantel needs a display and can't reach one (DISPLAY is not set); it does not start"))
        << alone->output().toStdString();
    const auto germanAlone = startWithoutDisplay({}, true);
    EXPECT_EQ(germanAlone->process().exitCode(), 1);
    EXPECT_TRUE(germanAlone->output().contains(
        "Vantel braucht ein Display und erreicht keines (DISPLAY ist nicht gesetzt); es startet nicht"))
        << germanAlone->output().toStdString();

    test::VantelProcess first(home);
    first.start();
    ASSERT_TRUE(first.waitForOutput("<- applicationDidFinishLaunching")) << first.output().toStdString();
    const auto handed = startWithoutDisplay({present});
    EXPECT_EQ(handed->process().exitCode(), 0);
    EXPECT_TRUE(handed->output().contains("Vantel already runs: 1 path(s) handed over")) << handed->output().toStdString();
    EXPECT_TRUE(first.waitForOutput("openFilesInMainView: 1 of 1 files waiting")) << first.output().toStdString();
    // Qt's own options name the missing display as well.
    const auto switched = startWithoutDisplay({QStringLiteral("-platform"), QStringLiteral("xcb")});
    EXPECT_EQ(switched->process().exitCode(), 0);
    EXPECT_TRUE(switched->output().contains("Vantel already runs: main view switched")) << switched->output().toStdString();
    EXPECT_TRUE(first.waitForOutput("closeMainWindow -> close Popover")) << first.output().toStdString();
    // The command line is checked as with a display.
    const auto missing = startWithoutDisplay({home + QStringLiteral("/missing.txt")});
    EXPECT_EQ(missing->process().exitCode(), 1);
    EXPECT_TRUE(missing->output().contains("/missing.txt: no such file or folder")) << missing->output().toStdString();

    first.signal(SIGTERM);
    ASSERT_TRUE(first.waitForFinished());
    EXPECT_EQ(first.process().exitCode(), 0);
}

// Where the session names no usable runtime folder (su, sudo -u, some ssh
// sessions), a second start still finds the first; and one that can't reach
// it through a socket of its own ends on the lock of the settings, writing
// nothing.
TEST(Program, OneInstanceWithoutAUsableRuntimeFolder)
{
    const QString home = test::makeTempDir(QStringLiteral("lock-home"));
    test::VantelProcess::prepareHome(home);
    const QString temporary = home + QStringLiteral("/tmp");
    QDir().mkpath(temporary);
    const auto withoutRuntime = [&](test::VantelProcess& vantel) {
        QProcessEnvironment env = test::VantelProcess::environment(home);
        // Like /run/user/<uid> without its parent's help: nobody can make it.
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home + QStringLiteral("/missing/runtime"));
        env.insert(QStringLiteral("TMPDIR"), temporary);
        vantel.process().setProcessEnvironment(env);
    };

    test::VantelProcess first(home);
    withoutRuntime(first);
    first.start();
    ASSERT_TRUE(first.waitForOutput("<- applicationDidFinishLaunching")) << first.output().toStdString();
    EXPECT_FALSE(first.output().contains("single-instance socket")) << first.output().toStdString();

    test::VantelProcess second(home);
    withoutRuntime(second);
    second.start();
    ASSERT_TRUE(second.waitForFinished());
    EXPECT_EQ(second.process().exitCode(), 0) << second.output().toStdString();
    EXPECT_TRUE(second.output().contains("Vantel already runs: main view switched")) << second.output().toStdString();
    EXPECT_TRUE(first.waitForOutput("switchMainWindow in AppDelegate executed")) << first.output().toStdString();

    // A start of the same user whose session names the real runtime folder
    // looks for a socket elsewhere: the lock stops it before it writes.
    const QString settings = home + QStringLiteral("/config/Vantel/net.tarnwick.vantel.plist");
    const QByteArray before = fileBytes(settings);
    QFile::remove(home + QStringLiteral("/data/applications/net.tarnwick.vantel.desktop"));
    test::VantelProcess third(home);
    third.start();
    ASSERT_TRUE(third.waitForFinished());
    EXPECT_EQ(third.process().exitCode(), 1);
    EXPECT_TRUE(third.output().contains("Vantel already runs with these settings")) << third.output().toStdString();
    EXPECT_FALSE(third.output().contains("applicationDidFinishLaunching"));
    EXPECT_FALSE(QFile::exists(home + QStringLiteral("/runtime/net.tarnwick.vantel.socket")));
    EXPECT_FALSE(QFile::exists(home + QStringLiteral("/data/applications/net.tarnwick.vantel.desktop")));
    EXPECT_EQ(fileBytes(settings), before);

    first.signal(SIGTERM);
    ASSERT_TRUE(first.waitForFinished());
    EXPECT_EQ(first.process().exitCode(), 0);

    // The temporary folder's name taken by someone else: the socket moves to
    // the user's own cache folder, and the next start finds it there.
    const QString taken = temporary + QStringLiteral("/net.tarnwick.vantel-") + QString::number(::getuid());
    ASSERT_TRUE(QDir(taken).removeRecursively());
    ASSERT_TRUE(QFile::link(home, taken));
    test::VantelProcess fourth(home);
    withoutRuntime(fourth);
    fourth.start();
    ASSERT_TRUE(fourth.waitForOutput("<- applicationDidFinishLaunching")) << fourth.output().toStdString();
    EXPECT_TRUE(QFileInfo(home + QStringLiteral("/cache/Vantel/net.tarnwick.vantel.socket")).exists())
        << fourth.output().toStdString();
    test::VantelProcess fifth(home);
    withoutRuntime(fifth);
    fifth.start();
    ASSERT_TRUE(fifth.waitForFinished());
    EXPECT_EQ(fifth.process().exitCode(), 0) << fifth.output().toStdString();
    fourth.signal(SIGTERM);
    ASSERT_TRUE(fourth.waitForFinished());
}

// The session's end (SIGTERM) while the bookmark store can't be written: the
// settings are saved, the failure is logged and told without waiting, and the
// program ends. Root writes anywhere: the program runs as another user then.
TEST(Program, ASigtermWithAReadOnlyDataFolderEndsAtOnceWithTheSettingsSaved)
{
    const QString home = test::makeTempDir(QStringLiteral("read-only-data-home"));
    test::VantelProcess::prepareHome(home);
    platform::UserDefaults(test::VantelProcess::settingsPath(home)).setBool(true, QStringLiteral("launchedBefore"));
    const QString data = home + QStringLiteral("/data/Vantel");
    ASSERT_TRUE(QDir().mkpath(data));
    test::VantelProcess vantel(home);
    vantel.runUnprivileged();
    ASSERT_EQ(::chmod(QFile::encodeName(data).constData(), 0555), 0);
    vantel.start();
    ASSERT_TRUE(vantel.waitForOutput("<- applicationDidFinishLaunching")) << vantel.output().toStdString();
    vantel.signal(SIGTERM);
    ASSERT_TRUE(vantel.waitForFinished()) << vantel.output().toStdString();
    EXPECT_EQ(vantel.process().exitCode(), 0);
    const QString log = QString::fromUtf8(vantel.output());
    EXPECT_TRUE(log.contains(QStringLiteral("Bookmarks not saved"))) << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("On the way out: Error exporting data"))) << log.toStdString();
    platform::UserDefaults saved(test::VantelProcess::settingsPath(home));
    EXPECT_TRUE(saved.contains(QStringLiteral("windowViewStyle"))) << "the termination's save";
}


// A hundred thousand search scopes on a drive not mounted: the start takes
// them in within seconds, and a SIGTERM while it does so ends the program at
// once, the query not begun and the scopes saved as they were read.
TEST(Program, AHundredThousandSearchScopesStartInSecondsAndASignalMeanwhileEndsIt)
{
    const QString home = test::makeTempDir(QStringLiteral("scopes-home"));
    test::VantelProcess::prepareHome(home);
    QStringList scopes;
    for (int i = 0; i < 100000; ++i)
        scopes << home + QStringLiteral("/unmounted/scope-%1").arg(i);
    const QString settings = test::VantelProcess::settingsPath(home);
    {
        platform::UserDefaults defaults(settings);
        defaults.setStringArray(scopes, QStringLiteral("customSpotlightSearchScope"));
        defaults.setBool(true, QStringLiteral("launchedBefore"));
        defaults.synchronize();
    }
    {
        test::VantelProcess vantel(home);
        vantel.start();
        // Taken in one by one against all before, they would take minutes.
        EXPECT_TRUE(vantel.waitForOutput("<- applicationDidFinishLaunching", std::chrono::minutes(1)));
        vantel.signal(SIGTERM);
        ASSERT_TRUE(vantel.waitForFinished());
    }
    const QByteArray before = fileBytes(settings);

    test::VantelProcess vantel(home);
    vantel.start();
    ASSERT_TRUE(vantel.waitForOutput("spotlightDefaultSearchScope:")) << vantel.output().toStdString();
    vantel.signal(SIGTERM);
    ASSERT_TRUE(vantel.waitForFinished()) << "still starting";
    EXPECT_EQ(vantel.process().exitCode(), 0);
    EXPECT_TRUE(vantel.output().contains("on signal 15"));
    EXPECT_FALSE(vantel.logMessages().contains(QStringLiteral("Proxy: SpotlightQuery state: Query successful started")));
    EXPECT_EQ(platform::UserDefaults(settings).stringArrayForKey(QStringLiteral("customSpotlightSearchScope")), scopes);
    EXPECT_EQ(fileBytes(settings), before);
}

} // namespace
} // namespace vantel
