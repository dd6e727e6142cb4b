#include "VantelProcess.h"

#include "platform/UserDefaults.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QRegularExpression>
#include <QThread>

#include <csignal>

namespace vantel {
namespace {

const QRect screenFrame(0, 0, 1280, 800);

// Vantel on the private desktop with a settings file of its own.
struct TrayFixture {
    test::TrayDesktop desktop;
    QString home;
    std::unique_ptr<test::VantelProcess> vantel;

    // False, with the reason, where the desktop can't be had.
    bool start(QString* why, const std::function<void(platform::UserDefaults&)>& settings = {}, bool withTray = true,
               const QProcessEnvironment& extra = {})
    {
        if (!desktop.start(why, withTray))
            return false;
        home = test::makeTempDir(QStringLiteral("tray-home"));
        test::VantelProcess::prepareHome(home);
        platform::UserDefaults defaults(settingsPath());
        // A later run: the first-run assistant would take the focus.
        defaults.setBool(true, QStringLiteral("launchedBefore"));
        if (settings)
            settings(defaults);
        defaults.synchronize();
        vantel = std::make_unique<test::VantelProcess>(home);
        desktop.attach(*vantel, home);
        if (!extra.isEmpty()) {
            QProcessEnvironment env = vantel->process().processEnvironment();
            env.insert(extra);
            vantel->process().setProcessEnvironment(env);
        }
        vantel->start();
        return true;
    }
    QString settingsPath() const { return home + QStringLiteral("/config/Vantel/net.tarnwick.vantel.plist"); }
    std::string log() { return vantel->output().toStdString(); }
    // Waits until `count` log lines match.
    bool waitForLog(const QString& pattern, qsizetype count = 1)
    {
        const QRegularExpression line(pattern);
        return test::poll([&] { return vantel->logMessages().filter(line).size() >= count; })
               && vantel->logMessages().filter(line).size() == count;
    }

    // Vantel's window inside trayer's panel: its status item.
    std::optional<QRect> trayIcon() const
    {
        const QRect tray = desktop.trayFrame();
        for (const QRect& frame : desktop.visibleWindows(vantel->process().processId())) {
            if (tray.contains(frame))
                return frame;
        }
        return std::nullopt;
    }
    // Vantel's mapped windows outside the tray.
    QList<QRect> windows() const
    {
        QList<QRect> found;
        const QRect tray = desktop.trayFrame();
        for (const QRect& frame : desktop.visibleWindows(vantel->process().processId())) {
            if (!tray.contains(frame))
                found << frame;
        }
        return found;
    }
    std::optional<QRect> windowSized(const QSize& size) const
    {
        for (const QRect& frame : windows()) {
            if (frame.size() == size)
                return frame;
        }
        return std::nullopt;
    }
};

// The size the main view has in the popup: `Calculated Size: (w, h)`.
std::optional<QSize> loggedPopupSize(const QStringList& log)
{
    static const QRegularExpression line(QStringLiteral("^\\s*Calculated Size: \\((\\d+), (\\d+)\\)$"));
    for (const QString& message : log) {
        const QRegularExpressionMatch match = line.match(message);
        if (match.hasMatch())
            return QSize(match.captured(1).toInt(), match.captured(2).toInt());
    }
    return std::nullopt;
}

TEST(Tray, TheIconSitsInTheTrayAndAnswersBothButtons)
{
    TrayFixture fixture;
    QString why;
    // A width and height of the main view other than the defaults.
    if (!fixture.start(&why, [](platform::UserDefaults& defaults) {
            defaults.setString(QStringLiteral("650px"), QStringLiteral("mainWindowWidth"));
            defaults.setString(QStringLiteral("60%"), QStringLiteral("mainWindowHeight"));
        }))
        GTEST_SKIP() << why.toStdString();
    test::VantelProcess& vantel = *fixture.vantel;
    test::TrayDesktop& desktop = fixture.desktop;
    ASSERT_TRUE(vantel.waitForOutput("<- applicationDidFinishLaunching")) << fixture.log();

    // The status item: a window of Vantel's embedded in trayer's panel.
    std::optional<QRect> icon;
    ASSERT_TRUE(test::poll([&] { return (icon = fixture.trayIcon()).has_value(); })) << "no status item in the tray";
    EXPECT_GE(icon->width(), 16);
    EXPECT_LE(icon->height(), desktop.trayFrame().height());
    EXPECT_TRUE(fixture.windows().isEmpty()) << "a window is open before any click";
    desktop.screenshot(QStringLiteral("tray-icon.png"));

    // A left click: the popup under the icon at the size worked out from the
    // settings (650 px wide, 60 % of the pointer's 800 px screen), with the
    // popup's one-pixel border around it.
    const QSize content(650, 480);
    const QSize frameSize = content + QSize(2, 2);
    desktop.click(icon->center(), 1);
    ASSERT_TRUE(vantel.waitForOutput("switchMainWindow in AppDelegate executed")) << fixture.log();
    EXPECT_TRUE(vantel.output().contains("statusBarButtonAction -> left click"));
    std::optional<QRect> popup;
    ASSERT_TRUE(test::poll([&] { return (popup = fixture.windowSized(frameSize)).has_value(); }))
        << "no popup of " << frameSize.width() << "x" << frameSize.height() << "\n"
        << fixture.log();
    EXPECT_EQ(loggedPopupSize(vantel.logMessages()), content);
    EXPECT_GE(popup->top(), icon->bottom()) << "the popup is not under the tray";
    EXPECT_TRUE(popup->left() <= icon->center().x() && icon->center().x() <= popup->right())
        << "the popup does not hang under the icon";
    EXPECT_TRUE(screenFrame.contains(*popup));
    EXPECT_EQ(fixture.windows().size(), 1);
    desktop.screenshot(QStringLiteral("tray-popup.png"));

    // A second click closes it.
    desktop.click(icon->center(), 1);
    EXPECT_TRUE(test::poll([&] { return fixture.windows().isEmpty(); })) << "the popup stayed open\n"
                                                                             << fixture.log();
    EXPECT_TRUE(fixture.waitForLog(QStringLiteral("^switchMainWindow in AppDelegate executed$"), 2)) << fixture.log();
    EXPECT_TRUE(fixture.waitForLog(QStringLiteral("^closeMainWindow -> close Popover$"))) << fixture.log();
    desktop.screenshot(QStringLiteral("tray-popup-closed.png"));

    // A right click: the status menu under the tray.
    desktop.click(icon->center(), 3);
    EXPECT_TRUE(vantel.waitForOutput("statusBarButtonAction -> right click")) << fixture.log();
    QRect menu;
    ASSERT_TRUE(test::poll([&] {
        const QList<QRect> open = fixture.windows();
        menu = open.size() == 1 ? open.first() : QRect();
        return menu.isValid();
    })) << "no status menu";
    EXPECT_GE(menu.top(), icon->top());
    // Thirteen items and five separators (no shortcuts tool on Linux).
    EXPECT_GT(menu.height(), 13 * 18) << menu.height();
    desktop.screenshot(QStringLiteral("tray-status-menu.png"));

    // Its items work: the first, from the keyboard, opens the about window...
    // (the about window itself is not built yet: its controller is asked for)
    desktop.run(QStringLiteral("xdotool"), {"key", "Down", "Return"});
    EXPECT_TRUE(fixture.waitForLog(QStringLiteral("^instantiateWindowController.*: info$"))) << fixture.log();
    // ...and the last quits, through the termination sequence. (A second
    // press within the double-click time would be a double click, which opens
    // no menu.)
    QThread::msleep(500);
    desktop.click(icon->center(), 3);
    ASSERT_TRUE(test::poll([&] {
        for (const QRect& frame : fixture.windows()) {
            if (frame.height() > 13 * 18 && frame.top() < 100)
                return true;
        }
        return false;
    })) << "the status menu did not open again\n"
        << fixture.log();
    desktop.run(QStringLiteral("xdotool"), {"key", "Up", "Return"});
    ASSERT_TRUE(vantel.waitForFinished()) << fixture.log();
    EXPECT_EQ(vantel.process().exitCode(), 0);
    EXPECT_EQ(vantel.logMessages().count(QStringLiteral("-> applicationWillTerminate")), 1);
}

// Collapses the sidebar's "Categories" through the main view and closes it
// again: a change that waits for the timed save.
void collapseCategories(TrayFixture& fixture)
{
    test::VantelProcess& vantel = *fixture.vantel;
    test::TrayDesktop& desktop = fixture.desktop;
    ASSERT_TRUE(vantel.waitForOutput("<- applicationDidFinishLaunching")) << fixture.log();
    std::optional<QRect> icon;
    ASSERT_TRUE(test::poll([&] { return (icon = fixture.trayIcon()).has_value(); })) << "no status item in the tray";

    desktop.click(icon->center(), 1);
    std::optional<QRect> popup;
    ASSERT_TRUE(test::poll([&] {
        const QList<QRect> open = fixture.windows();
        popup = open.size() == 1 ? std::optional<QRect>(open.first()) : std::nullopt;
        return popup.has_value();
    })) << fixture.log();
    ASSERT_TRUE(fixture.waitForLog(QStringLiteral("^popoverDidShow$"))) << fixture.log();

    // The "Categories" header of the sidebar, under the menu button, closes
    // from anywhere on its row.
    desktop.click(popup->topLeft() + QPoint(60, 52), 1);
    desktop.screenshot(QStringLiteral("tray-categories-collapsed.png"));
    // Closing the popup keeps the sidebar's state in the settings.
    desktop.click(icon->center(), 1);
    ASSERT_TRUE(fixture.waitForLog(QStringLiteral("^closeMainWindow -> close Popover$"))) << fixture.log();
    ASSERT_TRUE(test::poll([&] { return fixture.windows().isEmpty(); }));
    platform::UserDefaults before(fixture.settingsPath());
    EXPECT_FALSE(before.boolForKey(QStringLiteral("sidebarCategoriesCollapsed"))) << "saved before the end";
}

// The edit, and the rest of the file, after the process has ended.
void expectSaved(TrayFixture& fixture)
{
    platform::UserDefaults after(fixture.settingsPath());
    EXPECT_TRUE(after.boolForKey(QStringLiteral("sidebarCategoriesCollapsed"))) << fixture.log();
    EXPECT_TRUE(after.boolForKey(QStringLiteral("debugLogging")));
    EXPECT_TRUE(after.boolForKey(QStringLiteral("launchedBefore")));
}

// A setting changed through the main view a moment before the session's end
// (logind: SIGTERM, then SIGHUP at once) is in the settings file once the
// process has ended, and only then; the second signal cuts nothing short.
TEST(Tray, TerminationSavesAChangeMadeJustBefore)
{
    TrayFixture fixture;
    QString why;
    ASSERT_TRUE(fixture.start(&why)) << why.toStdString();
    collapseCategories(fixture);
    if (HasFatalFailure())
        return;
    test::VantelProcess& vantel = *fixture.vantel;

    vantel.signal(SIGTERM);
    vantel.signal(SIGHUP);
    ASSERT_TRUE(vantel.waitForFinished());
    EXPECT_EQ(vantel.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(vantel.process().exitCode(), 0);
    const QStringList log = vantel.logMessages();
    EXPECT_EQ(log.count(QStringLiteral("Configuration saved")), 1);
    EXPECT_EQ(log.count(QStringLiteral("<- applicationWillTerminate")), 1);
    expectSaved(fixture);
}

// The X server ends a few seconds after an edit (a window manager's session
// without a session manager logging out): Qt ends the process at once, and
// the edit is saved on the way out.
TEST(Tray, LosingTheDisplaySavesAChangeMadeJustBefore)
{
    TrayFixture fixture;
    QString why;
    ASSERT_TRUE(fixture.start(&why)) << why.toStdString();
    collapseCategories(fixture);
    if (HasFatalFailure())
        return;
    test::VantelProcess& vantel = *fixture.vantel;

    QThread::sleep(2);
    fixture.desktop.stopServer();
    ASSERT_TRUE(vantel.waitForFinished());
    EXPECT_EQ(vantel.process().exitStatus(), QProcess::NormalExit) << fixture.log();
    EXPECT_EQ(vantel.process().exitCode(), 1);
    const QStringList log = vantel.logMessages();
    EXPECT_EQ(log.count(QStringLiteral("-> saveBeforeExit")), 1) << fixture.log();
    EXPECT_EQ(log.count(QStringLiteral("Configuration saved")), 1);
    EXPECT_EQ(log.count(QStringLiteral("Bookmarks saved")), 1);
    expectSaved(fixture);
}

TEST(Tray, WithoutATrayTheUserIsToldAndTheIconComesWithTheTray)
{
    TrayFixture fixture;
    QString why;
    ASSERT_TRUE(fixture.start(&why, {}, false)) << why.toStdString();
    ASSERT_TRUE(fixture.waitForLog(QStringLiteral("^<- applicationDidFinishLaunching$"))) << fixture.log();

    // Said once, in a window of its own.
    ASSERT_TRUE(fixture.waitForLog(QStringLiteral("^No system tray: the user was told how to reach the main view$")))
        << fixture.log();
    ASSERT_TRUE(test::poll([&] { return !fixture.windows().isEmpty(); })) << fixture.log();
    const QRect notice = fixture.windows().first();
    EXPECT_TRUE(screenFrame.contains(notice));
    fixture.desktop.screenshot(QStringLiteral("no-tray-notice.png"));

    // The panel starts late: the icon appears in it, and answers a click.
    ASSERT_TRUE(fixture.desktop.startTray(&why)) << why.toStdString();
    ASSERT_TRUE(test::poll([&] { return fixture.trayIcon().has_value(); })) << fixture.log();
    fixture.desktop.screenshot(QStringLiteral("no-tray-then-tray.png"));
    fixture.desktop.click(fixture.trayIcon()->center(), 1);
    EXPECT_TRUE(fixture.waitForLog(QStringLiteral("^statusBarButtonAction -> left click$"))) << fixture.log();
    EXPECT_EQ(fixture.vantel->logMessages().count(
                  QStringLiteral("No system tray: the user was told how to reach the main view")),
              1);

    fixture.vantel->signal(SIGTERM);
    EXPECT_TRUE(fixture.vantel->waitForFinished());
}

TEST(Tray, AtAScaleFactorOfTwoThePopupStaysOnTheScreen)
{
    TrayFixture fixture;
    QString why;
    QProcessEnvironment scaled;
    scaled.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("2"));
    ASSERT_TRUE(fixture.start(
        &why,
        [](platform::UserDefaults& defaults) { defaults.setString(QStringLiteral("700px"), QStringLiteral("mainWindowWidth")); },
        true, scaled))
        << why.toStdString();
    ASSERT_TRUE(fixture.waitForLog(QStringLiteral("^<- applicationDidFinishLaunching$"))) << fixture.log();
    ASSERT_TRUE(test::poll([&] { return fixture.trayIcon().has_value(); })) << fixture.log();
    fixture.desktop.click(fixture.trayIcon()->center(), 1);
    ASSERT_TRUE(fixture.waitForLog(QStringLiteral("^popoverDidShow$"))) << fixture.log();
    ASSERT_TRUE(test::poll([&] { return !fixture.windows().isEmpty(); })) << fixture.log();
    QThread::msleep(300);
    fixture.desktop.screenshot(QStringLiteral("popup-scale-2.png"));
    for (const QRect& frame : fixture.windows())
        EXPECT_TRUE(screenFrame.contains(frame)) << frame.x() << "," << frame.y() << " " << frame.width() << "x"
                                                 << frame.height();

    fixture.vantel->signal(SIGTERM);
    EXPECT_TRUE(fixture.vantel->waitForFinished());
}

} // namespace
} // namespace vantel
