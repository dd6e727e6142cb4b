// The data window as a person reaches it: from the tray's status menu, under
// a window manager, searched and added to by keyboard, its edits on disk
// after the window closed and after a restart.
#include "shell/ui/VantelProcess.h"
#include "support/TestSupport.h"

#include "model/TableViewItem.h"
#include "platform/KeyedArchiver.h"
#include "platform/UserDefaults.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QThread>

#include <csignal>

namespace vantel {
namespace {

// Vantel on a private desktop (Xvfb, trayer, openbox) with two URL entries.
struct DataWindowDesktop {
    test::TrayDesktop desktop;
    QProcess openbox;
    QString home;
    std::unique_ptr<test::VantelProcess> vantel;

    ~DataWindowDesktop()
    {
        vantel.reset();
        if (openbox.state() != QProcess::NotRunning) {
            openbox.terminate();
            openbox.waitForFinished(3000);
        }
    }

    bool start(QString* why)
    {
        if (!desktop.start(why))
            return false;
        openbox.setProcessEnvironment(desktop.environment());
        openbox.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
        if (!openbox.waitForStarted(5000)) {
            *why = QStringLiteral("openbox did not start");
            return false;
        }
        // The window manager is up once it holds the screen's selection.
        QThread::msleep(1000);
        if (openbox.state() != QProcess::Running) {
            *why = QStringLiteral("openbox ended: ") + QString::fromUtf8(openbox.readAllStandardError());
            return false;
        }
        home = test::makeTempDir(QStringLiteral("data-window-home"));
        test::VantelProcess::prepareHome(home);
        TableViewItem::registerArchiveClass();
        QVariantList entries;
        for (const auto& [name, url] : {std::pair{"Ledger site", "https://ledger.example.org"},
                                        std::pair{"Atlas maps", "https://atlas.example.org"}}) {
            auto entry = TableViewItem::initForURL(QString::fromLatin1(url), QString::fromLatin1(name), QString(),
                                                   ListviewItemSource::other);
            entries.append(QVariant::fromValue(platform::ArchivablePtr(entry)));
        }
        platform::UserDefaults defaults(settingsPath());
        defaults.setBool(true, QStringLiteral("launchedBefore"));
        defaults.setData(platform::KeyedArchiver::archivedData(QVariant(entries)), QStringLiteral("ApplicationData"));
        defaults.synchronize();
        QThread::msleep(300);
        return launch();
    }
    bool launch()
    {
        vantel = std::make_unique<test::VantelProcess>(home);
        desktop.attach(*vantel, home);
        vantel->start();
        return vantel->waitForOutput("<- applicationDidFinishLaunching");
    }
    QString settingsPath() const { return home + QStringLiteral("/config/Vantel/net.tarnwick.vantel.plist"); }
    QByteArray settingsFile() const
    {
        QFile file(settingsPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    std::string log() { return vantel->output().toStdString(); }
    bool waitForLog(const QString& pattern, qsizetype count = 1)
    {
        const QRegularExpression line(pattern);
        return test::poll([&] { return vantel->logMessages().filter(line).size() >= count; });
    }
    std::optional<QRect> trayIcon() const
    {
        const QRect tray = desktop.trayFrame();
        for (const QRect& frame : desktop.visibleWindows(vantel->process().processId()))
            if (tray.contains(frame))
                return frame;
        return std::nullopt;
    }
    // Vantel's window at least as large as the given size.
    std::optional<QRect> windowAtLeast(const QSize& size) const
    {
        for (const QRect& frame : desktop.visibleWindows(vantel->process().processId()))
            if (frame.width() >= size.width() && frame.height() >= size.height())
                return frame;
        return std::nullopt;
    }
    // Gives the keyboard to Vantel's window of that title.
    void focus(const QString& title) const
    {
        desktop.run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                                QStringLiteral("--name"), title, QStringLiteral("windowfocus"),
                                                QStringLiteral("--sync")});
    }
    void key(const QString& keys) const { desktop.run(QStringLiteral("xdotool"), {QStringLiteral("key"), keys}); }
    void type(const QString& text) const
    {
        desktop.run(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"), text});
    }
    // "Modify Data..." of the status menu: Info, Preferences, Modify Data.
    bool openDataWindow(int times)
    {
        std::optional<QRect> icon;
        if (!test::poll([&] { return (icon = trayIcon()).has_value(); }))
            return false;
        desktop.click(icon->center(), 3);
        if (!waitForLog(QStringLiteral("statusBarButtonAction -> right click"), times))
            return false;
        QThread::msleep(400);
        key(QStringLiteral("Down"));
        key(QStringLiteral("Down"));
        key(QStringLiteral("Down"));
        key(QStringLiteral("Return"));
        return waitForLog(QStringLiteral("^instantiateWindowController: config$"), times);
    }
};

TEST(DataWindowEndToEnd, ModifyDataShowsTheCatalogueAndAnAddedURLSurvivesARestart)
{
    DataWindowDesktop fixture;
    QString why;
    if (!fixture.start(&why))
        GTEST_SKIP() << why.toStdString();
    ASSERT_TRUE(fixture.openDataWindow(1)) << fixture.log();

    std::optional<QRect> frame;
    ASSERT_TRUE(test::poll([&] { return (frame = fixture.windowAtLeast(QSize(900, 480))).has_value(); }))
        << "no data window\n"
        << fixture.log();
    QThread::msleep(500);
    fixture.desktop.screenshot(QStringLiteral("e2e-data-window.png"));

    // The typed name goes into the configuration filter.
    fixture.focus(QStringLiteral("Modify Data"));
    fixture.type(QStringLiteral("ledger"));
    EXPECT_TRUE(fixture.waitForLog(QStringLiteral("^Filter-Predicate: .*ledger")))
        << "the search did not reach the filter\n"
        << fixture.log();
    QThread::msleep(300);
    fixture.desktop.screenshot(QStringLiteral("e2e-data-window-search.png"));

    // The toolbar's first button adds a URL in a sheet: URL, then the title.
    fixture.desktop.click(frame->topLeft() + QPoint(18, 18), 1);
    QThread::msleep(1000);
    fixture.focus(QStringLiteral("Add or Modify URL"));
    fixture.type(QStringLiteral("https://quill.example.org/pages"));
    fixture.key(QStringLiteral("Tab"));
    fixture.type(QStringLiteral("Quill pages"));
    QThread::msleep(200);
    fixture.desktop.screenshot(QStringLiteral("e2e-url-sheet.png"));
    fixture.key(QStringLiteral("Return"));
    ASSERT_TRUE(fixture.waitForLog(QStringLiteral("^ -> URL: https://quill.example.org/pages$"))) << fixture.log();
    EXPECT_TRUE(fixture.waitForLog(QStringLiteral("^ -> Title: Quill pages$"))) << fixture.log();
    QThread::msleep(500);
    fixture.desktop.screenshot(QStringLiteral("e2e-data-window-added.png"));

    // Quit from the status menu closes the window first, which saves at
    // once, before the termination sequence saves again.
    std::optional<QRect> icon = fixture.trayIcon();
    ASSERT_TRUE(icon);
    fixture.desktop.click(icon->center(), 3);
    ASSERT_TRUE(fixture.waitForLog(QStringLiteral("statusBarButtonAction -> right click"))) << fixture.log();
    QThread::msleep(400);
    fixture.key(QStringLiteral("Up"));
    fixture.key(QStringLiteral("Return"));
    ASSERT_TRUE(fixture.vantel->waitForFinished()) << fixture.log();
    const QStringList messages = fixture.vantel->logMessages();
    const qsizetype firstSave = messages.indexOf(QStringLiteral("saveConfig"));
    const qsizetype termination = messages.indexOf(QStringLiteral("-> applicationWillTerminate"));
    ASSERT_GE(firstSave, 0) << fixture.log();
    EXPECT_LT(firstSave, termination) << "the window did not save when it closed";
    EXPECT_TRUE(fixture.settingsFile().contains("https://quill.example.org/pages"))
        << "the new entry is not in the settings file";
    EXPECT_TRUE(fixture.settingsFile().contains("Quill pages"));

    // After a restart it is still there, and the window lists it.
    ASSERT_TRUE(fixture.launch()) << fixture.log();
    EXPECT_TRUE(fixture.settingsFile().contains("https://quill.example.org/pages"));
    ASSERT_TRUE(fixture.openDataWindow(1)) << fixture.log();
    QThread::msleep(600);
    fixture.focus(QStringLiteral("Modify Data"));
    fixture.type(QStringLiteral("quill"));
    EXPECT_TRUE(fixture.waitForLog(QStringLiteral("^Filter-Predicate: .*quill"))) << fixture.log();
    QThread::msleep(400);
    fixture.desktop.screenshot(QStringLiteral("e2e-data-window-after-restart.png"));
    fixture.vantel->signal(SIGTERM);
    EXPECT_TRUE(fixture.vantel->waitForFinished());
}

} // namespace
} // namespace vantel
