// A hotkey recorder of the running program, reached under a window manager:
// a combination that one of Vantel's own hotkeys holds reaches the recorder,
// which says who holds it, and the hotkey works again once the window closed.
#include "shell/ui/VantelProcess.h"
#include "support/TestSupport.h"

#include "hotkeys/KeyCombo.h"
#include "model/TableViewItem.h"
#include "model/iconTag.h"
#include "platform/KeyedArchiver.h"
#include "platform/UserDefaults.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QThread>

#include <csignal>
#include <iostream>

namespace vantel {
namespace {

bool writeFile(const QString& path, const QByteArray& contents)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(contents) == contents.size();
}

KeyCombo controlAlt(Key key)
{
    return *KeyCombo::withCarbonModifiers(key, KeyCombo::commandKey | KeyCombo::optionKey);
}

QByteArray archivedArray(const QList<platform::ArchivablePtr>& objects)
{
    QVariantList array;
    for (const auto& object : objects)
        array.append(QVariant::fromValue(object));
    return platform::KeyedArchiver::archivedData(QVariant(array));
}

// Where the main view's recorder lies in the General pane of Preferences.
const QPoint recorderInPreferences(241, 85);

// The recorder draws the reason of a refusal in this red.
bool isRefusalRed(QRgb pixel)
{
    return qRed(pixel) > 170 && qGreen(pixel) < 110 && qBlue(pixel) < 110;
}

// Vantel on a private desktop (Xvfb, trayer, openbox): an application that
// logs its runs holds Ctrl+Alt+J, the main view Ctrl+Alt+K, and a tag has
// no hotkey.
struct RecorderDesktop {
    test::TrayDesktop desktop;
    QString home;
    QString runs;
    std::unique_ptr<test::VantelProcess> vantel;

    ~RecorderDesktop() { vantel.reset(); }

    bool start(QString* why)
    {
        if (!desktop.start(why) || !desktop.startWindowManager(why))
            return false;
        home = test::makeTempDir(QStringLiteral("recorder-home"));
        test::VantelProcess::prepareHome(home);
        runs = home + QStringLiteral("/runs.log");
        const QString script = home + QStringLiteral("/tally.sh");
        const QString applications = home + QStringLiteral("/system-data/applications");
        const QString desktopFile = applications + QStringLiteral("/tally-counter.desktop");
        QDir().mkpath(applications);
        if (!writeFile(script, "#!/bin/sh\necho run >> '" + runs.toUtf8() + "'\n")
            || !QFile::setPermissions(script, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner)
            || !writeFile(desktopFile, "[Desktop Entry]\nType=Application\nName=Tally Counter\nExec=" + script.toUtf8()
                                           + "\n")) {
            *why = QStringLiteral("cannot write the application");
            return false;
        }
        KeyCombo::registerArchiveClass();
        TableViewItem::registerArchiveClass();
        iconTag::registerArchiveClass();
        auto entry = TableViewItem::initForSpotlightApp(desktopFile, QStringLiteral("Tally Counter"));
        entry->setHotkey(controlAlt(Key::j));
        auto tag = iconTag::create(QStringLiteral("Ledger"), QStringLiteral("tag"));
        platform::UserDefaults defaults(test::VantelProcess::settingsPath(home));
        defaults.setBool(true, QStringLiteral("launchedBefore"));
        defaults.setData(platform::KeyedArchiver::archivedData(std::make_shared<KeyCombo>(controlAlt(Key::k))),
                         QStringLiteral("globalKeyCombo"));
        defaults.setData(archivedArray({entry}), QStringLiteral("ApplicationData"));
        defaults.setData(archivedArray({tag}), QStringLiteral("TagData"));
        defaults.synchronize();
        vantel = std::make_unique<test::VantelProcess>(home);
        desktop.attach(*vantel, home);
        vantel->start();
        return vantel->waitForOutput("<- applicationDidFinishLaunching")
               && waitForLog(QStringLiteral("Registered Hotkey: .* -> userDefinedKey :: .*tally-counter\\.desktop$"));
    }

    std::string log() { return vantel->output().toStdString(); }
    qsizetype logCount(const QString& pattern)
    {
        vantel->waitForOutput("\x01", std::chrono::milliseconds(20));
        return vantel->logMessages().filter(QRegularExpression(pattern)).size();
    }
    bool waitForLog(const QString& pattern, qsizetype count = 1) { return vantel->waitForLog(pattern, count); }
    qsizetype runCount() const
    {
        QFile file(runs);
        return file.open(QIODevice::ReadOnly) ? file.readAll().count('\n') : 0;
    }
    bool waitForRuns(qsizetype count) const
    {
        return test::poll([&] { return runCount() >= count; }, std::chrono::seconds(8));
    }
    void key(const QString& keys) const
    {
        desktop.keys({keys});
        QThread::msleep(200);
    }
    void click(const QPoint& at) const
    {
        desktop.click(at, 1);
        QThread::msleep(300);
    }
    // The status menu's item `down` rows from the top (Info is 1).
    bool chooseFromStatusMenu(int down)
    {
        std::optional<QRect> icon;
        if (!test::poll([&] { return (icon = desktop.trayIcon(vantel->process().processId())).has_value(); }))
            return false;
        const qsizetype clicks = logCount(QStringLiteral("statusBarButtonAction -> right click"));
        desktop.click(icon->center(), 3);
        if (!waitForLog(QStringLiteral("statusBarButtonAction -> right click"), clicks + 1))
            return false;
        QThread::msleep(400);
        for (int i = 0; i < down; ++i)
            key(QStringLiteral("Down"));
        key(QStringLiteral("Return"));
        return true;
    }
    // Pixels of the refusal's red inside the rectangle of the screen.
    static int refusalPixels(const QImage& screen, const QRect& area)
    {
        int red = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                red += isRefusalRed(screen.pixel(x, y)) ? 1 : 0;
        return red;
    }
};

TEST(RecorderEndToEnd, AHotkeyOfOursReachesTheRecorderWhichNamesItsEntry)
{
    RecorderDesktop fixture;
    QString why;
    if (!fixture.start(&why))
        GTEST_SKIP() << why.toStdString();
    // The entry's hotkey opens it.
    QThread::msleep(300);
    fixture.key(QStringLiteral("ctrl+alt+j"));
    ASSERT_TRUE(fixture.waitForRuns(1)) << fixture.log();

    // Preferences, its General pane: the main view's recorder.
    ASSERT_TRUE(fixture.chooseFromStatusMenu(2));
    const QString preferences = QStringLiteral("Preferences");
    const std::optional<QRect> frame = fixture.desktop.waitForWindow(preferences);
    ASSERT_TRUE(frame) << "no Preferences window\n" << fixture.log();
    QThread::msleep(600);
    fixture.desktop.screenshot(QStringLiteral("e2e-recorder-preferences.png"));
    std::cerr << "frame " << frame->x() << "," << frame->y() << " " << frame->width() << "x" << frame->height() << "\n";
    const QRect recorder(frame->topLeft() + recorderInPreferences, QSize(220, 26));
    fixture.click(recorder.center());
    fixture.desktop.screenshot(QStringLiteral("e2e-recorder-focused.png"));
    fixture.key(QStringLiteral("ctrl+alt+j"));
    QThread::msleep(300);
    fixture.desktop.screenshot(QStringLiteral("e2e-recorder-taken.png"));
    QThread::msleep(3000);
    fixture.desktop.screenshot(QStringLiteral("e2e-recorder-after.png"));
    fixture.key(QStringLiteral("Escape"));
    fixture.key(QStringLiteral("Escape"));
    std::cerr << "closed " << fixture.desktop.waitForNoWindow(preferences) << "\n";
    ASSERT_TRUE(fixture.chooseFromStatusMenu(4));
    const std::optional<QRect> tags = fixture.desktop.waitForWindow(QStringLiteral("Modify Tags"));
    ASSERT_TRUE(tags);
    QThread::msleep(500);
    const QPoint tagHotkey = tags->topLeft() + QPoint(12 + 400, 12 + 19 + 15);
    fixture.click(tagHotkey);
    fixture.click(tagHotkey);
    fixture.desktop.screenshot(QStringLiteral("e2e-recorder-tag-focused.png"));
    fixture.key(QStringLiteral("ctrl+alt+j"));
    QThread::msleep(300);
    fixture.desktop.screenshot(QStringLiteral("e2e-recorder-tag-taken.png"));
    QThread::msleep(3000);
    fixture.desktop.screenshot(QStringLiteral("e2e-recorder-tag-after.png"));
    std::cerr << "tags " << tags->x() << "," << tags->y() << "\n";
    std::cerr << fixture.log();
}

} // namespace
} // namespace vantel
