// The hotkey recorders of the running program under a window manager: a
// combination one of Vantel's own hotkeys holds reaches the recorder, which
// says who holds it and keeps its value, and the hotkey works again once the
// recording, the window or the program has ended.
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

// Where the recorders lie: the main view's in the General pane of
// Preferences, the first tag's show-tag hotkey in the tags window.
const QRect recorderInPreferences(241, 85, 220, 26);
// The hotkey columns are as wide as their headings; the tag column takes the rest.
const QPoint tagHotkeyCell(12 + 434, 12 + 19 + 15);
const QSize tagRecorderSize(190, 22);

const QString letGo = QStringLiteral("^Hotkeys let go while a shortcut is recorded$");
const QString takenAgain = QStringLiteral("^Hotkeys taken again after recording$");
const QString refusedForTheEntry =
    QStringLiteral("^Recorder refuses Alt\\+Ctrl J: Taken by the entry \u201CTally Counter\u201D$");

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
        platform::UserDefaults defaults(test::VantelProcess::settingsPath(home));
        defaults.setBool(true, QStringLiteral("launchedBefore"));
        defaults.setData(platform::KeyedArchiver::archivedData(std::make_shared<KeyCombo>(controlAlt(Key::k))),
                         QStringLiteral("globalKeyCombo"));
        defaults.setData(archivedArray({entry}), QStringLiteral("ApplicationData"));
        defaults.setData(archivedArray({iconTag::create(QStringLiteral("Ledger"), QStringLiteral("tag"))}),
                         QStringLiteral("TagData"));
        defaults.synchronize();
        return launch();
    }
    bool launch()
    {
        vantel = std::make_unique<test::VantelProcess>(home);
        desktop.attach(*vantel, home);
        vantel->start();
        const bool registered =
            vantel->waitForOutput("<- applicationDidFinishLaunching")
            && waitForLog(QStringLiteral("Registered Hotkey: .* -> userDefinedKey :: .*tally-counter\\.desktop$"));
        QThread::msleep(300);
        return registered;
    }

    std::string log() { return vantel->output().toStdString(); }
    qsizetype logCount(const QString& pattern) { return vantel->logCount(pattern); }
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
    // The status menu's item `down` rows from the top (Info is 1), and the
    // window it opens.
    std::optional<QRect> openFromStatusMenu(int down, const QString& title)
    {
        std::optional<QRect> icon;
        if (!test::poll([&] { return (icon = desktop.trayIcon(vantel->process().processId())).has_value(); }))
            return std::nullopt;
        const qsizetype clicks = logCount(QStringLiteral("statusBarButtonAction -> right click"));
        desktop.click(icon->center(), 3);
        if (!waitForLog(QStringLiteral("statusBarButtonAction -> right click"), clicks + 1))
            return std::nullopt;
        QThread::msleep(400);
        for (int i = 0; i < down; ++i)
            key(QStringLiteral("Down"));
        key(QStringLiteral("Return"));
        const std::optional<QRect> frame = desktop.waitForWindow(title);
        QThread::msleep(600);
        return frame;
    }
    // Ctrl+Alt+J typed into the recorder, focused for the first time: our
    // own entry holds it, which is said and not run.
    void typeTheEntrysCombination(const QRect& recorder, const QString& shot)
    {
        ASSERT_TRUE(waitForLog(letGo)) << "recording did not let go of the keys\n" << log();
        const qsizetype runsBefore = runCount();
        key(QStringLiteral("ctrl+alt+j"));
        EXPECT_TRUE(waitForLog(refusedForTheEntry)) << log();
        const QImage screen = desktop.screenshot(shot + QStringLiteral("-refused.png"));
        EXPECT_GT(pixels(screen, recorder, isRefusalRed), 40) << "the recorder does not say who holds it";
        QThread::msleep(300);
        EXPECT_EQ(runCount(), runsBefore) << "the entry ran while recording";
    }
    // Inside the recorder's frame and focus ring.
    static int pixels(const QImage& screen, const QRect& recorder, bool (*matches)(QRgb))
    {
        int count = 0;
        const QRect inside = recorder.adjusted(4, 4, -24, -4);
        for (int y = inside.top(); y <= inside.bottom(); ++y)
            for (int x = inside.left(); x <= inside.right(); ++x)
                count += matches(screen.pixel(x, y)) ? 1 : 0;
        return count;
    }
    static bool isRefusalRed(QRgb pixel) { return qRed(pixel) > 170 && qGreen(pixel) < 110 && qBlue(pixel) < 110; }
    // A modifier or key drawn in the tint (the palette's highlight).
    static bool isLit(QRgb pixel) { return qBlue(pixel) > qRed(pixel) + 60 && qBlue(pixel) > 120; }
};

TEST(RecorderEndToEnd, ThePreferencesRecorderNamesTheEntryThatHoldsACombinationAndKeepsItsValue)
{
    RecorderDesktop fixture;
    QString why;
    ASSERT_TRUE(fixture.start(&why)) << why.toStdString() << "\n" << fixture.log();
    fixture.key(QStringLiteral("ctrl+alt+j"));
    ASSERT_TRUE(fixture.waitForRuns(1)) << fixture.log();

    const QString preferences = QStringLiteral("Preferences");
    const std::optional<QRect> frame = fixture.openFromStatusMenu(2, preferences);
    ASSERT_TRUE(frame) << "no Preferences window\n" << fixture.log();
    const QRect recorder = recorderInPreferences.translated(frame->topLeft());
    fixture.click(recorder.center());
    ASSERT_NO_FATAL_FAILURE(fixture.typeTheEntrysCombination(recorder, QStringLiteral("e2e-recorder-preferences")));
    // The reason goes; the old combination shows again, lit.
    QThread::msleep(3000);
    const QImage after = fixture.desktop.screenshot(QStringLiteral("e2e-recorder-preferences-after.png"));
    EXPECT_EQ(RecorderDesktop::pixels(after, recorder, RecorderDesktop::isRefusalRed), 0);
    EXPECT_GT(RecorderDesktop::pixels(after, recorder, RecorderDesktop::isLit), 40) << "the old combination is gone";

    // Escape ends the recording, which takes the keys back at once.
    const qsizetype taken = fixture.logCount(takenAgain);
    fixture.key(QStringLiteral("Escape"));
    EXPECT_TRUE(fixture.waitForLog(takenAgain, taken + 1)) << fixture.log();
    fixture.key(QStringLiteral("Escape"));
    ASSERT_TRUE(fixture.desktop.waitForNoWindow(preferences));
    QThread::msleep(300);
    fixture.key(QStringLiteral("ctrl+alt+j"));
    EXPECT_TRUE(fixture.waitForRuns(2)) << fixture.log();
    // The main view's hotkey is the one it had.
    fixture.key(QStringLiteral("ctrl+alt+k"));
    EXPECT_TRUE(fixture.waitForLog(QStringLiteral("<- viewDidAppear"))) << fixture.log();
}

TEST(RecorderEndToEnd, TheTagsRecorderToo_ClosingOrQuittingWhileRecordingLeavesTheHotkeyWorking)
{
    RecorderDesktop fixture;
    QString why;
    ASSERT_TRUE(fixture.start(&why)) << why.toStdString() << "\n" << fixture.log();
    const QString tagsWindow = QStringLiteral("Modify Tags");
    std::optional<QRect> frame = fixture.openFromStatusMenu(4, tagsWindow);
    ASSERT_TRUE(frame) << "no tags window\n" << fixture.log();
    const QPoint cell = frame->topLeft() + tagHotkeyCell;
    const QRect recorder(cell - QPoint(tagRecorderSize.width() / 2, tagRecorderSize.height() / 2), tagRecorderSize);
    // The first click selects the row, the second edits its hotkey.
    fixture.click(cell);
    fixture.click(cell);
    ASSERT_NO_FATAL_FAILURE(fixture.typeTheEntrysCombination(recorder, QStringLiteral("e2e-recorder-tags")));
    // With the keys up again no modifier stays lit: the tag has no hotkey.
    QThread::msleep(3000);
    const QImage after = fixture.desktop.screenshot(QStringLiteral("e2e-recorder-tags-after.png"));
    EXPECT_EQ(RecorderDesktop::pixels(after, recorder, RecorderDesktop::isLit), 0) << "modifiers stay lit";

    // Closed by the window manager while recording.
    fixture.key(QStringLiteral("alt+F4"));
    ASSERT_TRUE(fixture.desktop.waitForNoWindow(tagsWindow));
    EXPECT_TRUE(fixture.waitForLog(takenAgain)) << fixture.log();
    fixture.key(QStringLiteral("ctrl+alt+j"));
    EXPECT_TRUE(fixture.waitForRuns(1)) << fixture.log();

    // Quit while recording: the program ends, and the next start has the hotkey.
    frame = fixture.openFromStatusMenu(4, tagsWindow);
    ASSERT_TRUE(frame) << fixture.log();
    fixture.click(cell);
    fixture.click(cell);
    ASSERT_TRUE(fixture.waitForLog(letGo, 2)) << fixture.log();
    fixture.vantel->signal(SIGTERM);
    ASSERT_TRUE(fixture.vantel->waitForFinished()) << fixture.log();
    EXPECT_EQ(fixture.vantel->process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(fixture.vantel->process().exitCode(), 0) << fixture.log();
    ASSERT_TRUE(fixture.launch()) << fixture.log();
    fixture.key(QStringLiteral("ctrl+alt+j"));
    EXPECT_TRUE(fixture.waitForRuns(2)) << fixture.log();
}

} // namespace
} // namespace vantel
