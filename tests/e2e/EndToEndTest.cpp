// The built program as a person uses it: started under its own X server,
// reached through its global hotkey, searched and launched by keyboard.
#include "hotkeys/XServer.h"
#include "shell/ui/VantelProcess.h"
#include "support/TestSupport.h"

#include "hotkeys/KeyCombo.h"
#include "model/TableViewItem.h"
#include "model/iconTag.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/UserDefaults.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLocalSocket>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>

#include <csignal>

namespace vantel {
namespace {

// Set before main(), so the shared Xvfb has room for the centred main view.
[[maybe_unused]] const bool largeScreen = qputenv("VANTEL_TEST_XVFB_SCREEN", "1280x800x24");

const char* const fixtureName = "Quillfeather Echo";

bool writeFile(const QString& path, const QByteArray& contents)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(contents) == contents.size();
}

QByteArray archived(const std::shared_ptr<const platform::Archivable>& object)
{
    QString error;
    return platform::KeyedArchiver::archivedData(object, &error);
}

QByteArray archivedArray(const QList<platform::ArchivablePtr>& objects)
{
    QVariantList array;
    for (const auto& object : objects)
        array.append(QVariant::fromValue(object));
    return platform::KeyedArchiver::archivedData(QVariant(array));
}

// A home with a desktop entry whose program logs its arguments, one tag
// filing a note, and the window and tag hotkeys set.
struct Fixture {
    QString home;
    QString log;
    QString note;
    QString tagName;

    void prepare()
    {
        home = test::makeTempDir(QStringLiteral("e2e-home"));
        test::VantelProcess::prepareHome(home);
        log = home + QStringLiteral("/echo.log");
        const QString script = home + QStringLiteral("/echo.sh");
        ASSERT_TRUE(writeFile(script, "#!/bin/sh\necho \"run $#\" >> '" + log.toUtf8()
                                          + "'\nfor a in \"$@\"; do echo \"$a\" >> '" + log.toUtf8() + "'; done\n"));
        QFile::setPermissions(script, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        // The system data folder is the only one searched besides our own.
        const QString applications = home + QStringLiteral("/system-data/applications");
        QDir().mkpath(applications);
        ASSERT_TRUE(writeFile(applications + QStringLiteral("/quillfeather-echo.desktop"),
                              "[Desktop Entry]\nType=Application\nName=" + QByteArray(fixtureName)
                                  + "\nComment=Logs its arguments\nExec=" + script.toUtf8() + " %F\n"));
        note = home + QStringLiteral("/Ledger notes.txt");
        ASSERT_TRUE(writeFile(note, "notes\n"));

        KeyCombo::registerArchiveClass();
        TableViewItem::registerArchiveClass();
        iconTag::registerArchiveClass();
        auto tag = iconTag::create(QStringLiteral("Ledger"), QStringLiteral("tag"));
        tag->setHotkey(KeyCombo::withCarbonModifiers(Key::t, KeyCombo::commandKey | KeyCombo::optionKey));
        tagName = tag->tagName();
        auto entry = TableViewItem::initForPath(note, QStringLiteral("Ledger notes"), ListviewItemType::file,
                                                ListviewItemSource::other);
        entry->setTags({tagName});

        platform::UserDefaults defaults(test::VantelProcess::settingsPath(home));
        defaults.setBool(true, QStringLiteral("launchedBefore"));
        defaults.setData(archived(std::make_shared<KeyCombo>(
                             *KeyCombo::withCarbonModifiers(Key::k, KeyCombo::commandKey | KeyCombo::optionKey))),
                         QStringLiteral("globalKeyCombo"));
        defaults.setData(archivedArray({tag}), QStringLiteral("TagData"));
        defaults.setData(archivedArray({entry}), QStringLiteral("ApplicationData"));
        defaults.synchronize();
    }

    void setSmallMode(bool on) const
    {
        platform::UserDefaults defaults(test::VantelProcess::settingsPath(home));
        defaults.setBool(on, QStringLiteral("useSmallModeInMainView"));
        defaults.synchronize();
    }

    QStringList logLines() const
    {
        QFile file(log);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
};

QProcessEnvironment onTestDisplay(const QString& home)
{
    QProcessEnvironment env = test::VantelProcess::environment(home);
    env.insert(QStringLiteral("DISPLAY"), qEnvironmentVariable("DISPLAY"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    return env;
}

// Ctrl+Alt with a key: what Command+Option is on this desktop.
void pressHotkey(const char* key)
{
    test::pressKey("Control_L");
    test::pressKey("Alt_L");
    test::tapKey(key);
    test::releaseKey("Alt_L");
    test::releaseKey("Control_L");
}

void type(const char* text)
{
    for (const char* c = text; *c; ++c) {
        const char name[2] = {*c, 0};
        test::tapKey(name);
        test::settle(std::chrono::milliseconds(30));
    }
}

// The screen to the output folder; true when it shows the main view (a
// light area of at least 400 by 300 on the black root window).
bool screenshot(const QString& name)
{
    const QString path = test::outputFolder() + QLatin1Char('/') + name;
    QProcess import;
    import.start(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), path});
    if (!import.waitForFinished(int(test::longWait.count())) || import.exitCode() != 0)
        return false;
    const QImage screen(path);
    int light = 0;
    for (int y = 0; y < screen.height(); y += 2)
        for (int x = 0; x < screen.width(); x += 2)
            light += qGray(screen.pixel(x, y)) > 200 ? 1 : 0;
    return light * 4 > 400 * 300;
}

// Waits for the main view to appear the n-th time since start.
bool waitForMainView(test::VantelProcess& vantel, int times)
{
    return test::waitUntil(
        [&] {
            vantel.waitForOutput("\x01", std::chrono::milliseconds(50));
            return vantel.logMessages().count(QStringLiteral("<- viewDidAppear")) >= times;
        });
}

// One message to the running program's socket, as a second start sends it;
// true once it answered.
bool sendCommand(const QString& home, const char* command)
{
    QLocalSocket socket;
    socket.connectToServer(home + QStringLiteral("/runtime/net.tarnwick.vantel.socket"));
    if (!socket.waitForConnected(int(test::longWait.count())))
        return false;
    socket.write(QByteArray("{\"command\":\"") + command + "\"}\n");
    return socket.waitForBytesWritten(int(test::longWait.count())) && socket.waitForReadyRead(int(test::longWait.count())) && socket.readLine().contains("true");
}

bool waitForRuns(const Fixture& fixture, int runs)
{
    return test::waitUntil(
        [&] {
            return fixture.logLines().filter(QRegularExpression(QStringLiteral("^run \\d+$"))).size() >= runs;
        });
}

// Closed and shown again at once (a toggle and another show, or a launch and
// a hand-over of files), the view's one window must still take the keys,
// though the window system reports its focus going and coming back late.
// As a popover and as a window.
class ShownAgainAtOnce : public ::testing::TestWithParam<int> {};

TEST_P(ShownAgainAtOnce, TheMainViewTakesTheKeys)
{
    VANTEL_REQUIRE_X_SERVER();
    Fixture fixture;
    ASSERT_NO_FATAL_FAILURE(fixture.prepare());
    {
        platform::UserDefaults defaults(test::VantelProcess::settingsPath(fixture.home));
        defaults.setInteger(GetParam(), QStringLiteral("windowViewStyle"));
        defaults.synchronize();
    }
    test::VantelProcess vantel(fixture.home);
    vantel.process().setProcessEnvironment(onTestDisplay(fixture.home));
    vantel.start();
    ASSERT_TRUE(vantel.waitForOutput("<- applicationDidFinishLaunching")) << vantel.output().toStdString();
    ASSERT_TRUE(vantel.waitForOutput("Add to allData: " + fixture.home.toUtf8()
                                     + "/system-data/applications/quillfeather-echo.desktop"))
        << vantel.output().toStdString();
    test::settle(std::chrono::milliseconds(300));

    pressHotkey("k");
    ASSERT_TRUE(waitForMainView(vantel, 1)) << vantel.output().toStdString();
    test::settle(std::chrono::milliseconds(400));
    for (int cycle = 0; cycle < 3; ++cycle) {
        ASSERT_TRUE(sendCommand(fixture.home, "toggle")); // closes
        ASSERT_TRUE(sendCommand(fixture.home, "toggle")); // and shows again
        ASSERT_TRUE(waitForMainView(vantel, 2 + cycle)) << vantel.output().toStdString();
    }
    test::settle(std::chrono::milliseconds(400));
    type("quill");
    test::settle(std::chrono::milliseconds(300));
    test::tapKey("Return");
    EXPECT_TRUE(waitForRuns(fixture, 1)) << vantel.output().toStdString();

    vantel.signal(SIGTERM);
    ASSERT_TRUE(vantel.waitForFinished());
}

INSTANTIATE_TEST_SUITE_P(EndToEnd, ShownAgainAtOnce, ::testing::Values(0, 1),
                         [](const auto& info) { return info.param == 0 ? "AsPopover" : "AsWindow"; });

TEST(EndToEnd, HotkeySearchReturnAndHandedOverFilesReachTheProgram)
{
    VANTEL_REQUIRE_X_SERVER();
    if (QStandardPaths::findExecutable(QStringLiteral("import")).isEmpty())
        GTEST_SKIP() << "ImageMagick's import is not installed";

    Fixture fixture;
    ASSERT_NO_FATAL_FAILURE(fixture.prepare());

    test::VantelProcess vantel(fixture.home);
    vantel.process().setProcessEnvironment(onTestDisplay(fixture.home));
    vantel.start();
    ASSERT_TRUE(vantel.waitForOutput("<- applicationDidFinishLaunching")) << vantel.output().toStdString();
    // The search of the applications folders has found the fixture.
    const QByteArray found =
        "Add to allData: " + fixture.home.toUtf8() + "/system-data/applications/quillfeather-echo.desktop";
    ASSERT_TRUE(vantel.waitForOutput(found)) << vantel.output().toStdString();
    test::settle(std::chrono::milliseconds(300));

    // The window hotkey shows the main view; the search finds the entry.
    pressHotkey("k");
    ASSERT_TRUE(waitForMainView(vantel, 1)) << vantel.output().toStdString();
    test::settle(std::chrono::milliseconds(400));
    type("quill");
    test::settle(std::chrono::milliseconds(500));
    EXPECT_TRUE(screenshot(QStringLiteral("main-view-search.png")));
    test::tapKey("Return");
    ASSERT_TRUE(waitForRuns(fixture, 1)) << vantel.output().toStdString();
    EXPECT_EQ(fixture.logLines().join(QLatin1Char('|')).toStdString(), "run 0");

    // Two files handed over by a second start wait for the next launch.
    const QString first = fixture.home + QStringLiteral("/first file.txt");
    const QString second = fixture.home + QStringLiteral("/second.txt");
    ASSERT_TRUE(writeFile(first, "1") && writeFile(second, "2"));
    test::VantelProcess handOver(fixture.home);
    handOver.process().setProcessEnvironment(onTestDisplay(fixture.home));
    handOver.start({first, second});
    ASSERT_TRUE(handOver.waitForFinished());
    EXPECT_EQ(handOver.process().exitCode(), 0) << handOver.output().toStdString();
    test::settle(std::chrono::milliseconds(500));
    if (vantel.logMessages().count(QStringLiteral("<- viewDidAppear")) < 2)
        pressHotkey("k");
    ASSERT_TRUE(waitForMainView(vantel, 2)) << vantel.output().toStdString();
    test::settle(std::chrono::milliseconds(400));
    type("quill");
    test::settle(std::chrono::milliseconds(300));
    test::tapKey("Return");
    ASSERT_TRUE(waitForRuns(fixture, 2)) << vantel.output().toStdString();
    // The script writes its arguments a line at a time, after its "run" line.
    const QStringList expected{QStringLiteral("run 2"), first, second};
    test::waitUntil([&] { return fixture.logLines().size() >= 1 + expected.size(); });
    EXPECT_EQ(fixture.logLines().mid(1).join(QLatin1Char('|')).toStdString(),
              expected.join(QLatin1Char('|')).toStdString())
        << vantel.output().toStdString();

    // The tag's hotkey shows its entries.
    pressHotkey("t");
    ASSERT_TRUE(waitForMainView(vantel, 3)) << vantel.output().toStdString();
    test::settle(std::chrono::milliseconds(600));
    EXPECT_TRUE(screenshot(QStringLiteral("main-view-tag-default.png")));
    test::tapKey("Escape");

    vantel.signal(SIGTERM);
    ASSERT_TRUE(vantel.waitForFinished());
    EXPECT_EQ(vantel.process().exitCode(), 0);

    // The same tag in small mode.
    fixture.setSmallMode(true);
    test::VantelProcess small(fixture.home);
    small.process().setProcessEnvironment(onTestDisplay(fixture.home));
    small.start();
    ASSERT_TRUE(small.waitForOutput("<- applicationDidFinishLaunching")) << small.output().toStdString();
    test::settle(std::chrono::milliseconds(500));
    pressHotkey("t");
    ASSERT_TRUE(waitForMainView(small, 1)) << small.output().toStdString();
    test::settle(std::chrono::milliseconds(600));
    EXPECT_TRUE(screenshot(QStringLiteral("main-view-tag-small.png")));
    small.signal(SIGTERM);
    ASSERT_TRUE(small.waitForFinished());
    EXPECT_EQ(small.process().exitCode(), 0);
}

// Vantel's visible windows, by id.
QSet<QByteArray> windowsOf(const test::TrayDesktop& desktop, qint64 pid)
{
    QSet<QByteArray> ids;
    const QStringList search{QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                             QString::number(pid)};
    for (const QByteArray& id : desktop.run(QStringLiteral("xdotool"), search).split('\n'))
        if (!id.trimmed().isEmpty())
            ids.insert(id.trimmed());
    return ids;
}

// Starts Vantel and waits until its launch ended and its icon is in the tray.
void startInTheTray(test::TrayDesktop& desktop, test::VantelProcess& vantel)
{
    vantel.start();
    ASSERT_TRUE(vantel.waitForOutput("<- applicationDidFinishLaunching")) << vantel.output().toStdString();
    ASSERT_TRUE(test::poll([&] { return desktop.trayIcon(vantel.process().processId()).has_value(); }));
    test::settle(std::chrono::milliseconds(500));
}

// Shows the popup by its hotkey and types a search into it.
void searchInThePopup(test::TrayDesktop& desktop, test::VantelProcess& vantel, const QString& text)
{
    desktop.keys({QStringLiteral("ctrl+alt+k")});
    ASSERT_TRUE(vantel.waitForLog(QStringLiteral("<- viewDidAppear"))) << vantel.output().toStdString();
    test::settle(std::chrono::milliseconds(400));
    desktop.type(text);
    test::settle(std::chrono::milliseconds(400));
}

// The window of Vantel's that appeared beside those it had, once it is up;
// empty when none came.
QByteArray newWindowOf(const test::TrayDesktop& desktop, qint64 pid, const QSet<QByteArray>& before)
{
    QByteArray window;
    test::poll([&] {
        const QSet<QByteArray> added = windowsOf(desktop, pid) - before;
        window = added.isEmpty() ? QByteArray() : *added.begin();
        return !window.isEmpty();
    });
    test::settle(std::chrono::milliseconds(400));
    return window;
}

// No other window of Vantel's lies above the alert, in the window manager's
// order (bottom first: "... window id # 0x400007, 0x600003").
void expectAboveTheRest(const test::TrayDesktop& desktop, qint64 pid, const QByteArray& alert)
{
    const QByteArray stacking = desktop.run(QStringLiteral("xprop"), {QStringLiteral("-root"),
                                                                      QStringLiteral("_NET_CLIENT_LIST_STACKING")});
    QList<qulonglong> order;
    for (const QByteArray& id : stacking.mid(stacking.indexOf('#') + 1).split(','))
        order << id.trimmed().toULongLong(nullptr, 16);
    ASSERT_TRUE(order.contains(alert.toULongLong()));
    for (const QByteArray& other : windowsOf(desktop, pid) - QSet<QByteArray>{alert})
        EXPECT_LT(order.indexOf(other.toULongLong()), order.indexOf(alert.toULongLong())) << "covered by " << other.data();
}

// The note's default handler is the entry `entry`, installed as `name`.
void handleTheNoteWith(const Fixture& fixture, const QString& name, const QByteArray& entry)
{
    QDir().mkpath(fixture.home + QStringLiteral("/data/applications"));
    ASSERT_TRUE(writeFile(fixture.home + QStringLiteral("/data/applications/") + name, entry));
    ASSERT_TRUE(writeFile(fixture.home + QStringLiteral("/config/mimeapps.list"),
                          "[Default Applications]\ntext/plain=" + name.toUtf8() + "\n"));
}

// Return on the note in the popup fails as `failure` (a log line) says: one
// alert tells it, above everything of Vantel's, and Return closes it.
void openTheNoteAndExpectOneAlert(test::TrayDesktop& desktop, test::VantelProcess& vantel, const QString& failure,
                                  const QString& screenshot)
{
    ASSERT_NO_FATAL_FAILURE(startInTheTray(desktop, vantel));
    ASSERT_NO_FATAL_FAILURE(searchInThePopup(desktop, vantel, QStringLiteral("ledger")));
    const qint64 pid = vantel.process().processId();
    const QSet<QByteArray> before = windowsOf(desktop, pid);
    desktop.keys({QStringLiteral("Return")});
    ASSERT_TRUE(vantel.waitForLog(failure)) << vantel.output().toStdString();
    EXPECT_EQ(vantel.logCount(QStringLiteral("^open successful")), 0);

    const QByteArray alert = newWindowOf(desktop, pid, before);
    ASSERT_FALSE(alert.isEmpty()) << "no alert\n" << vantel.output().toStdString();
    desktop.screenshot(screenshot);
    expectAboveTheRest(desktop, pid, alert);
    desktop.keys({QStringLiteral("Return")});
    EXPECT_TRUE(test::poll([&] { return !windowsOf(desktop, pid).contains(alert); })) << "the alert did not close";
    EXPECT_EQ(vantel.logCount(QStringLiteral("^open failed: ")), 1);
    EXPECT_TRUE((windowsOf(desktop, pid) - before).isEmpty()) << "a second alert";
    vantel.signal(SIGTERM);
    EXPECT_TRUE(vantel.waitForFinished());
}

// The note opened from the popup in a program that needs a terminal, where
// there is none: an alert says why, and nothing of Vantel's covers it.
TEST(EndToEnd, AFileWhoseHandlerCantStartShowsWhyAboveThePopup)
{
    test::TrayDesktop desktop;
    QString why;
    if (!desktop.start(&why) || !desktop.startWindowManager(&why))
        GTEST_SKIP() << why.toStdString();
    Fixture fixture;
    ASSERT_NO_FATAL_FAILURE(fixture.prepare());
    ASSERT_NO_FATAL_FAILURE(handleTheNoteWith(
        fixture, QStringLiteral("needs-terminal.desktop"),
        "[Desktop Entry]\nType=Application\nName=Needs Terminal\nExec=/bin/true %F\nTerminal=true\n"));
    test::VantelProcess vantel(fixture.home);
    desktop.attach(vantel, fixture.home);
    QProcessEnvironment env = vantel.process().processEnvironment();
    env.insert(QStringLiteral("PATH"), QStringLiteral("/nonexistent/vantel-bin"));
    vantel.process().setProcessEnvironment(env);
    openTheNoteAndExpectOneAlert(desktop, vantel, QStringLiteral("^open failed: .*Ledger notes.txt.*[Tt]erminal"),
                                 QStringLiteral("e2e-failed-open-alert.png"));
}

// The note's handler is a script whose "#!" names an interpreter that isn't
// there: its open fails at the exec, and one alert says so.
TEST(EndToEnd, AFileWhoseHandlerFailsAtItsExecShowsOneAlert)
{
    test::TrayDesktop desktop;
    QString why;
    if (!desktop.start(&why) || !desktop.startWindowManager(&why))
        GTEST_SKIP() << why.toStdString();
    Fixture fixture;
    ASSERT_NO_FATAL_FAILURE(fixture.prepare());
    const QString script = fixture.home + QStringLiteral("/no-interpreter.sh");
    ASSERT_TRUE(writeFile(script, "#!/nonexistent/vantel-interpreter\n"));
    QFile::setPermissions(script, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    ASSERT_NO_FATAL_FAILURE(handleTheNoteWith(
        fixture, QStringLiteral("no-interpreter.desktop"),
        "[Desktop Entry]\nType=Application\nName=No Interpreter\nExec=" + script.toUtf8() + " %F\n"));
    test::VantelProcess vantel(fixture.home);
    desktop.attach(vantel, fixture.home);
    openTheNoteAndExpectOneAlert(desktop, vantel,
                                 QStringLiteral("^open failed: .*Ledger notes.txt.*no-interpreter.sh could not be started"),
                                 QStringLiteral("e2e-exec-failed-alert.png"));
}

// The note removed while the popup lists it, then opened by Return: an alert
// says so, and the entry stays in the catalogue.
TEST(EndToEnd, AnEntryWhoseFileIsGoneShowsAnAlertAndStays)
{
    test::TrayDesktop desktop;
    QString why;
    if (!desktop.start(&why) || !desktop.startWindowManager(&why))
        GTEST_SKIP() << why.toStdString();
    Fixture fixture;
    ASSERT_NO_FATAL_FAILURE(fixture.prepare());
    test::VantelProcess vantel(fixture.home);
    desktop.attach(vantel, fixture.home);
    ASSERT_NO_FATAL_FAILURE(startInTheTray(desktop, vantel));
    const qint64 pid = vantel.process().processId();
    ASSERT_NO_FATAL_FAILURE(searchInThePopup(desktop, vantel, QStringLiteral("ledger")));
    ASSERT_TRUE(QFile::remove(fixture.note));
    const QSet<QByteArray> before = windowsOf(desktop, pid);
    desktop.keys({QStringLiteral("Return")});
    ASSERT_TRUE(vantel.waitForLog(QStringLiteral("^execute: .*Ledger notes.txt"))) << vantel.output().toStdString();

    const QByteArray alert = newWindowOf(desktop, pid, before);
    ASSERT_FALSE(alert.isEmpty()) << "no alert\n" << vantel.output().toStdString();
    desktop.screenshot(QStringLiteral("e2e-missing-file-alert.png"));
    expectAboveTheRest(desktop, pid, alert);
    desktop.keys({QStringLiteral("Return")});
    EXPECT_TRUE(test::poll([&] { return !windowsOf(desktop, pid).contains(alert); })) << "the alert did not close";
    vantel.signal(SIGTERM);
    ASSERT_TRUE(vantel.waitForFinished());

    const std::optional<QByteArray> stored = platform::UserDefaults(test::VantelProcess::settingsPath(fixture.home))
                                                 .dataForKey(QStringLiteral("ApplicationData"));
    ASSERT_TRUE(stored.has_value());
    platform::KeyedUnarchiver::Options options;
    options.allowedClasses = TableViewItem::archiveClassNames();
    QStringList paths;
    for (const QVariant& value : platform::KeyedUnarchiver::unarchiveTopLevelObject(*stored, options).value.toList())
        if (const auto entry = std::dynamic_pointer_cast<TableViewItem>(value.value<platform::ArchivablePtr>()))
            paths << entry->path();
    EXPECT_TRUE(paths.contains(fixture.note)) << paths.join(QLatin1Char('|')).toStdString();
}

// Vantel's alert once it is up: the dialog among its windows.
QByteArray alertOf(const test::TrayDesktop& desktop, qint64 pid)
{
    QByteArray alert;
    test::poll([&] {
        for (const QByteArray& id : windowsOf(desktop, pid)) {
            if (desktop.run(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::fromLatin1(id),
                                                      QStringLiteral("_NET_WM_WINDOW_TYPE")})
                    .contains("_NET_WM_WINDOW_TYPE_DIALOG"))
                alert = id;
        }
        return !alert.isEmpty();
    });
    test::settle(std::chrono::milliseconds(400));
    return alert;
}

// What loading found is told in the middle of the screen, its frame as the
// user sees it centred at the size the alert shows with: at a plain start,
// and at a first start with a file, whose popup is up beside it.
TEST(EndToEnd, TheAlertsOfTheStartAreCentredOnTheScreen)
{
    test::TrayDesktop desktop;
    QString why;
    if (!desktop.start(&why) || !desktop.startWindowManager(&why))
        GTEST_SKIP() << why.toStdString();
    for (const bool withFile : {false, true}) {
        Fixture fixture;
        ASSERT_NO_FATAL_FAILURE(fixture.prepare());
        QDir().mkpath(fixture.home + QStringLiteral("/data/Vantel"));
        ASSERT_TRUE(writeFile(fixture.home + QStringLiteral("/data/Vantel/LaunchHistory.plist"), "not a property list"));
        test::VantelProcess vantel(fixture.home);
        desktop.attach(vantel, fixture.home);
        vantel.start(withFile ? QStringList{fixture.note} : QStringList{});
        ASSERT_TRUE(vantel.waitForOutput("<- applicationDidFinishLaunching")) << vantel.output().toStdString();
        if (withFile) {
            ASSERT_TRUE(vantel.waitForLog(QStringLiteral("^popoverDidShow$"))) << vantel.output().toStdString();
        }
        const qint64 pid = vantel.process().processId();
        const QByteArray alert = alertOf(desktop, pid);
        ASSERT_FALSE(alert.isEmpty()) << "no alert\n" << vantel.output().toStdString();
        desktop.screenshot(withFile ? QStringLiteral("e2e-start-alert-popup.png") : QStringLiteral("e2e-start-alert.png"));
        const QRect frame = desktop.decoratedFrameOf(alert);
        EXPECT_LE((frame.center() - QPoint(640, 400)).manhattanLength(), 4)
            << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height() << (withFile ? " with the popup" : "");
        if (withFile)
            expectAboveTheRest(desktop, pid, alert);
        desktop.keys({QStringLiteral("Return")});
        EXPECT_TRUE(test::poll([&] { return !windowsOf(desktop, pid).contains(alert); })) << "the alert did not close";
        vantel.signal(SIGTERM);
        ASSERT_TRUE(vantel.waitForFinished());
    }
}

// A first start makes the user's applications folder (for "Open with
// Vantel"); what is put there afterwards is found without a restart.
TEST(EndToEnd, AnApplicationAddedToTheFolderMadeAtTheFirstStartIsFound)
{
    const QString home = test::makeTempDir(QStringLiteral("e2e-fresh-home"));
    test::VantelProcess::prepareHome(home);
    const QString applications = home + QStringLiteral("/data/applications");
    ASSERT_FALSE(QFileInfo::exists(applications));
    test::VantelProcess vantel(home);
    vantel.start();
    ASSERT_TRUE(vantel.waitForOutput("<- applicationDidFinishLaunching")) << vantel.output().toStdString();
    ASSERT_TRUE(test::waitUntil([&] { return QFileInfo::exists(applications); }));
    ASSERT_TRUE(writeFile(applications + QStringLiteral("/fresh.desktop"),
                          "[Desktop Entry]\nType=Application\nName=Fresh\nExec=/bin/true\n"));
    EXPECT_TRUE(vantel.waitForOutput("Add to allData: " + applications.toUtf8() + "/fresh.desktop"))
        << vantel.output().toStdString();
    vantel.signal(SIGTERM);
    EXPECT_TRUE(vantel.waitForFinished());
}

} // namespace
} // namespace vantel
