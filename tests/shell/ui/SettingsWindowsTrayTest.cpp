// The configuration windows of the built program, on a desktop with a tray
// and a window manager, driven from the keyboard the way a person would.
#include "VantelProcess.h"

#include "platform/UserDefaults.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>

#include <csignal>

namespace vantel {
namespace {

// A title as an anchored POSIX pattern (xdotool's); only the pattern's own
// special characters are escaped.
QString titlePattern(const QString& title)
{
    QString pattern;
    for (const QChar c : title) {
        if (QStringLiteral(".^$*+?()[]{}|\\").contains(c))
            pattern += QLatin1Char('\\');
        pattern += c;
    }
    return QLatin1Char('^') + pattern + QLatin1Char('$');
}

bool writeFile(const QString& path, const QByteArray& contents)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(contents) == contents.size();
}

// The desktop: Xvfb with trayer (TrayDesktop) and openbox, and Vantel on it.
struct SettingsDesktop {
    test::TrayDesktop desktop;
    QString home;
    QString extraApps;
    std::unique_ptr<test::VantelProcess> vantel;

    void prepare()
    {
        QString why;
        ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("openbox")).isEmpty()) << "openbox is not installed";
        ASSERT_TRUE(desktop.start(&why)) << why.toStdString();
        ASSERT_TRUE(desktop.startWindowManager(&why)) << why.toStdString();

        home = test::makeTempDir(QStringLiteral("settings-home"));
        test::VantelProcess::prepareHome(home);
        // One application in the default folder, one in a folder the
        // settings add.
        const QString applications = home + QStringLiteral("/system-data/applications");
        QDir().mkpath(applications);
        ASSERT_TRUE(writeFile(applications + QStringLiteral("/harbour-clock.desktop"),
                              "[Desktop Entry]\nType=Application\nName=Harbour Clock\nExec=/bin/true\n"));
        extraApps = home + QStringLiteral("/more-apps");
        QDir().mkpath(extraApps);
        ASSERT_TRUE(writeFile(extraApps + QStringLiteral("/driftwood-compass.desktop"),
                              "[Desktop Entry]\nType=Application\nName=Driftwood Compass\nExec=/bin/true\n"));
        platform::UserDefaults defaults(settingsPath());
        defaults.setBool(true, QStringLiteral("launchedBefore"));
        defaults.synchronize();
    }

    void start(const QString& lang = {})
    {
        vantel = std::make_unique<test::VantelProcess>(home);
        desktop.attach(*vantel, home);
        if (!lang.isEmpty()) {
            // The locale as a desktop sets it: LANG alone decides.
            QProcessEnvironment env = vantel->process().processEnvironment();
            for (const char* variable : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"})
                env.remove(QString::fromLatin1(variable));
            env.insert(QStringLiteral("LANG"), lang);
            vantel->process().setProcessEnvironment(env);
        }
        vantel->start();
        ASSERT_TRUE(vantel->waitForOutput("<- applicationDidFinishLaunching")) << log();
        QThread::msleep(500);
    }

    void stop()
    {
        vantel->signal(SIGTERM);
        ASSERT_TRUE(vantel->waitForFinished()) << log();
        EXPECT_EQ(vantel->process().exitCode(), 0);
    }

    QString settingsPath() const { return test::VantelProcess::settingsPath(home); }
    std::string log() { return vantel->output().toStdString(); }

    // Keys to the window with that title: it gets the input focus and the
    // pointer first (without a focus owner X sends keys where the pointer is).
    void keysTo(const QString& title, const QStringList& sequence)
    {
        if (const auto frame = windowNamed(title))
            desktop.run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QString::number(frame->center().x()),
                                                    QString::number(frame->bottom() - 4)});
        desktop.focus(titlePattern(title));
        keys(sequence);
    }
    void keys(const QStringList& sequence)
    {
        desktop.keys(sequence, std::chrono::milliseconds(120));
        QThread::msleep(300);
    }
    void type(const QString& text)
    {
        desktop.type(text);
        QThread::msleep(300);
    }

    std::optional<QRect> trayIcon() const { return desktop.trayIcon(vantel->process().processId()); }

    // The status menu's item `down` rows from the top (Info is 1).
    void chooseFromStatusMenu(int down)
    {
        const auto icon = trayIcon();
        ASSERT_TRUE(icon) << log();
        QThread::msleep(600);
        desktop.click(icon->center(), 3);
        ASSERT_TRUE(vantel->waitForOutput("statusBarButtonAction -> right click")) << log();
        QThread::msleep(400);
        QStringList sequence;
        for (int i = 0; i < down; ++i)
            sequence << QStringLiteral("Down");
        sequence << QStringLiteral("Return");
        keys(sequence);
    }

    // The windows by their whole titles.
    std::optional<QRect> windowNamed(const QString& title) const { return desktop.windowNamed(titlePattern(title)); }
    std::optional<QRect> waitForWindow(const QString& title) const
    {
        return desktop.waitForWindow(titlePattern(title));
    }
    bool waitForNoWindow(const QString& title) const { return desktop.waitForNoWindow(titlePattern(title)); }
    bool waitForLog(const QString& pattern) { return vantel->waitForLog(pattern); }
    // The window's frame as the user sees it, decoration included, lies in
    // the middle of the screen (1280 x 800, no panel reserving room).
    void expectCentred(const QString& title)
    {
        const QByteArray ids = desktop.run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                                                       QStringLiteral("--name"), titlePattern(title)});
        const QRect frame = desktop.decoratedFrameOf(ids.split('\n').first().trimmed());
        EXPECT_LE((frame.center() - QPoint(640, 400)).manhattanLength(), 4)
            << title.toStdString() << " at " << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height();
    }
    QImage iconImage(const QString& name)
    {
        const auto icon = trayIcon();
        if (!icon)
            return {};
        return desktop.screenshot(name).copy(*icon);
    }
};

TEST(SettingsWindows, PreferencesChangedFromTheTrayTakeEffectAndSurviveARestart)
{
    SettingsDesktop fixture;
    ASSERT_NO_FATAL_FAILURE(fixture.prepare());
    ASSERT_NO_FATAL_FAILURE(fixture.start());

    // "Preferences…" opens the settings window at its General tab.
    ASSERT_NO_FATAL_FAILURE(fixture.chooseFromStatusMenu(2));
    const auto settings = fixture.waitForWindow(QStringLiteral("Preferences"));
    ASSERT_TRUE(settings) << fixture.log();
    EXPECT_GE(settings->width(), 800);
    EXPECT_GE(settings->height(), 600);
    QThread::msleep(500);
    fixture.desktop.screenshot(QStringLiteral("settings-general-xvfb.png"));
    fixture.expectCentred(QStringLiteral("Preferences"));

    // General: the centred style, from the keyboard.
    const QImage iconBefore = fixture.iconImage(QStringLiteral("settings-tray-before.png"));
    fixture.keysTo(QStringLiteral("Preferences"), {QStringLiteral("alt+a"), QStringLiteral("Down")});
    // A window hotkey, recorded.
    fixture.keysTo(QStringLiteral("Preferences"), {QStringLiteral("alt+h")});
    fixture.keysTo(QStringLiteral("Preferences"), {QStringLiteral("ctrl+alt+j")});
    // The second tray icon.
    fixture.keysTo(QStringLiteral("Preferences"), {QStringLiteral("alt+i"), QStringLiteral("Down")});
    fixture.desktop.screenshot(QStringLiteral("settings-general-changed-xvfb.png"));
    // Appearance: the Files category off.
    fixture.keysTo(QStringLiteral("Preferences"), {QStringLiteral("alt+p")});
    fixture.keysTo(QStringLiteral("Preferences"), {QStringLiteral("alt+f")});
    fixture.desktop.screenshot(QStringLiteral("settings-appearance-xvfb.png"));

    // Closing saves at once.
    fixture.keysTo(QStringLiteral("Preferences"), {QStringLiteral("ctrl+w")});
    ASSERT_TRUE(fixture.waitForNoWindow(QStringLiteral("Preferences"))) << fixture.log();
    {
        platform::UserDefaults defaults(fixture.settingsPath());
        EXPECT_EQ(defaults.integerForKey(QStringLiteral("windowViewStyle")), 1);
        EXPECT_EQ(defaults.stringForKey(QStringLiteral("menubarIcon")).value_or(QString()), QStringLiteral("statusbar-2"));
        EXPECT_FALSE(defaults.boolForKey(QStringLiteral("sidebarCategoriesShowFiles"), true));
        EXPECT_TRUE(defaults.dataForKey(QStringLiteral("globalKeyCombo")).has_value());
    }
    // The tray shows the other icon.
    QThread::msleep(500);
    EXPECT_NE(iconBefore, fixture.iconImage(QStringLiteral("settings-tray-after.png")));

    // The recorded hotkey shows the main view, centred on the screen.
    fixture.keys({QStringLiteral("ctrl+alt+j")});
    EXPECT_TRUE(fixture.waitForLog(QStringLiteral("^-> showMainWindowAsWindow$"))) << fixture.log();
    QThread::msleep(800);
    fixture.desktop.screenshot(QStringLiteral("settings-main-centred-xvfb.png"));
    bool centred = false;
    for (const QRect& frame : fixture.desktop.visibleWindows(fixture.vantel->process().processId())) {
        if (frame.width() >= 550 && qAbs(frame.center().x() - 640) <= 2 && qAbs(frame.center().y() - 400) <= 2)
            centred = true;
    }
    EXPECT_TRUE(centred) << fixture.log();
    fixture.keys({QStringLiteral("Escape")});

    // And survives the end of the program.
    ASSERT_NO_FATAL_FAILURE(fixture.stop());
    {
        platform::UserDefaults defaults(fixture.settingsPath());
        EXPECT_EQ(defaults.integerForKey(QStringLiteral("windowViewStyle")), 1);
    }
}

// From the popup's menu the settings window opens centred at the size its
// pages give it, not at a first size it then grows from.
TEST(SettingsWindows, PreferencesFromThePopupAreCentredAtTheSizeTheyShowWith)
{
    SettingsDesktop fixture;
    ASSERT_NO_FATAL_FAILURE(fixture.prepare());
    ASSERT_NO_FATAL_FAILURE(fixture.start());
    const auto icon = fixture.trayIcon();
    ASSERT_TRUE(icon) << fixture.log();
    QThread::msleep(600);
    fixture.desktop.click(icon->center(), 1);
    ASSERT_TRUE(fixture.waitForLog(QStringLiteral("^popoverDidShow$"))) << fixture.log();
    QThread::msleep(400);
    std::optional<QRect> popup;
    for (const QRect& frame : fixture.desktop.visibleWindows(fixture.vantel->process().processId()))
        if (!fixture.desktop.trayFrame().contains(frame))
            popup = frame;
    ASSERT_TRUE(popup) << fixture.log();
    // The menu button in the popup's top-left corner; its second item.
    fixture.desktop.click(popup->topLeft() + QPoint(25, 20), 1);
    QThread::msleep(600);
    fixture.keys({QStringLiteral("Down"), QStringLiteral("Down"), QStringLiteral("Return")});
    ASSERT_TRUE(fixture.waitForWindow(QStringLiteral("Preferences"))) << fixture.log();
    QThread::msleep(500);
    fixture.desktop.screenshot(QStringLiteral("settings-from-popup-xvfb.png"));
    fixture.expectCentred(QStringLiteral("Preferences"));
    fixture.keysTo(QStringLiteral("Preferences"), {QStringLiteral("ctrl+w")});
    ASSERT_TRUE(fixture.waitForNoWindow(QStringLiteral("Preferences"))) << fixture.log();
    ASSERT_NO_FATAL_FAILURE(fixture.stop());
}

// The display goes away while the settings window is open with changes that
// only closing its pane would store: they are saved on the way out all the same.
TEST(SettingsWindows, AnOpenPanesEditsSurviveTheLostDisplay)
{
    SettingsDesktop fixture;
    ASSERT_NO_FATAL_FAILURE(fixture.prepare());
    ASSERT_NO_FATAL_FAILURE(fixture.start());
    ASSERT_NO_FATAL_FAILURE(fixture.chooseFromStatusMenu(2));
    ASSERT_TRUE(fixture.waitForWindow(QStringLiteral("Preferences"))) << fixture.log();
    QThread::msleep(500);
    // General, left open: the centred style and the second tray icon.
    fixture.keysTo(QStringLiteral("Preferences"), {QStringLiteral("alt+a"), QStringLiteral("Down")});
    fixture.keysTo(QStringLiteral("Preferences"), {QStringLiteral("alt+i"), QStringLiteral("Down")});
    fixture.desktop.screenshot(QStringLiteral("settings-open-before-lost-display-xvfb.png"));
    ASSERT_EQ(platform::UserDefaults(fixture.settingsPath()).integerForKey(QStringLiteral("windowViewStyle")), 0);

    fixture.desktop.stopServer();
    ASSERT_TRUE(fixture.vantel->waitForFinished()) << fixture.log();
    EXPECT_EQ(fixture.vantel->logMessages().count(QStringLiteral("-> saveBeforeExit")), 1) << fixture.log();
    platform::UserDefaults after(fixture.settingsPath());
    EXPECT_EQ(after.integerForKey(QStringLiteral("windowViewStyle")), 1) << fixture.log();
    EXPECT_EQ(after.stringForKey(QStringLiteral("menubarIcon")).value_or(QString()), QStringLiteral("statusbar-2"));
}

TEST(SettingsWindows, BackupsInfoWhatsNewAndTheOverviewOpenFromTheTray)
{
    SettingsDesktop fixture;
    ASSERT_NO_FATAL_FAILURE(fixture.prepare());
    ASSERT_NO_FATAL_FAILURE(fixture.start());
    const QString backups = fixture.home + QStringLiteral("/data/Vantel/Backup");
    const auto backupCount = [&] {
        return QDir(backups).entryList({QStringLiteral("*.Vantel_ExportData")}, QDir::Files).size();
    };

    // "Save configuration (versioned)…": create one, then restore it.
    ASSERT_NO_FATAL_FAILURE(fixture.chooseFromStatusMenu(6));
    ASSERT_TRUE(fixture.waitForWindow(QStringLiteral("Save configuration (versioned)"))) << fixture.log();
    const qsizetype before = backupCount();
    fixture.keysTo(QStringLiteral("Save configuration (versioned)"), {QStringLiteral("alt+c")});
    EXPECT_TRUE(test::poll([&] { return backupCount() == before + 1; })) << fixture.log();
    QThread::msleep(300);
    fixture.desktop.screenshot(QStringLiteral("backup-window-xvfb.png"));
    // The list has the focus: the first row, then restore and confirm.
    fixture.keysTo(QStringLiteral("Save configuration (versioned)"),
                   {QStringLiteral("Tab"), QStringLiteral("shift+Tab"), QStringLiteral("Home"), QStringLiteral("space")});
    fixture.keysTo(QStringLiteral("Save configuration (versioned)"), {QStringLiteral("alt+r")});
    QThread::msleep(800);
    fixture.desktop.screenshot(QStringLiteral("backup-restore-question-xvfb.png"));
    // The warning's "OK" (the second button).
    fixture.keys({QStringLiteral("Tab"), QStringLiteral("space")});
    EXPECT_TRUE(fixture.waitForNoWindow(QStringLiteral("Save configuration (versioned)"))) << fixture.log();
    EXPECT_TRUE(fixture.waitForLog(QStringLiteral("^Loading Importfile$"))) << fixture.log();

    // "About Vantel…", "Overview of keyboard shortcuts…" and "What's new…".
    const std::pair<int, QString> windows[] = {{1, QStringLiteral("About Vantel")},
                                               {9, QStringLiteral("Overview of keyboard shortcuts")},
                                               {12, QStringLiteral("What's new?")}};
    for (const auto& [down, title] : windows) {
        ASSERT_NO_FATAL_FAILURE(fixture.chooseFromStatusMenu(down));
        const auto frame = fixture.waitForWindow(title);
        ASSERT_TRUE(frame) << title.toStdString() << "\n" << fixture.log();
        EXPECT_GE(frame->width(), 500);
        EXPECT_GE(frame->height(), 380);
        QThread::msleep(500);
        QString file = title.toLower().remove(QRegularExpression(QStringLiteral("[^a-z]")));
        const QImage screen = fixture.desktop.screenshot(QStringLiteral("window-%1-xvfb.png").arg(file));
        // Drawn: the window's middle is not the black root window.
        EXPECT_NE(qGray(screen.pixel(frame->center())), 0) << title.toStdString();
        fixture.keysTo(title, {QStringLiteral("Escape")});
        EXPECT_TRUE(fixture.waitForNoWindow(title)) << title.toStdString();
    }
    ASSERT_NO_FATAL_FAILURE(fixture.stop());
}

// Under LANG=de_DE.UTF-8 (no locale generated for it) the status menu's
// second item opens "Einstellungen", and the German accelerators of its tabs
// and check boxes work: "Darstellung" (Alt+D), then "Dateien" (Alt+T) off.
TEST(GermanDesktop, TheTrayMenuOpensTheGermanPreferences)
{
    SettingsDesktop fixture;
    ASSERT_NO_FATAL_FAILURE(fixture.prepare());
    ASSERT_NO_FATAL_FAILURE(fixture.start(QStringLiteral("de_DE.UTF-8")));

    const auto icon = fixture.trayIcon();
    ASSERT_TRUE(icon) << fixture.log();
    QThread::msleep(600);
    fixture.desktop.click(icon->center(), 3);
    ASSERT_TRUE(fixture.vantel->waitForOutput("statusBarButtonAction -> right click")) << fixture.log();
    QThread::msleep(400);
    fixture.desktop.screenshot(QStringLiteral("german-status-menu-xvfb.png"));
    fixture.keys({QStringLiteral("Escape")});
    QThread::msleep(600);
    ASSERT_NO_FATAL_FAILURE(fixture.chooseFromStatusMenu(2));
    const QString title = QStringLiteral("Einstellungen");
    ASSERT_TRUE(fixture.waitForWindow(title)) << fixture.log();
    EXPECT_FALSE(fixture.windowNamed(QStringLiteral("Preferences")));
    QThread::msleep(500);
    fixture.desktop.screenshot(QStringLiteral("german-settings-general-xvfb.png"));
    fixture.keysTo(title, {QStringLiteral("alt+d")});
    fixture.keysTo(title, {QStringLiteral("alt+t")});
    fixture.desktop.screenshot(QStringLiteral("german-settings-appearance-xvfb.png"));
    fixture.keysTo(title, {QStringLiteral("ctrl+w")});
    ASSERT_TRUE(fixture.waitForNoWindow(title)) << fixture.log();
    {
        platform::UserDefaults defaults(fixture.settingsPath());
        EXPECT_FALSE(defaults.boolForKey(QStringLiteral("sidebarCategoriesShowFiles"), true));
    }
    ASSERT_NO_FATAL_FAILURE(fixture.stop());
}

} // namespace
} // namespace vantel
