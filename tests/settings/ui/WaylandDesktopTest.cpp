// Run by test_settings_ui_wayland alone: a session bus of its own
// (dbus-run-session) and XDG_SESSION_TYPE=wayland, so that the program picks
// its hotkeys' back-end as on a Wayland desktop with a desktop portal.
#include "config/Configuration.h"
#include "hotkeys/KeyCombo.h"
#include "hotkeys/ui/RecordView.h"
#include "platform/GlobalHotKeys.h"
#include "platform/ui/UiCatalog.h"
#include "settings/ui/SettingsWindowController.h"
#include "settings/ui/SettingsWindows.h"
#include "shell/AppDelegate.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QProcess>
#include <QScopeGuard>
#include <QTest>

namespace vantel {
namespace {

TEST(OnWayland, ADoubleTapIsRefusedByTheRecorderAndMarkedInTheOverview)
{
    ASSERT_EQ(qgetenv("XDG_SESSION_TYPE"), "wayland") << "run as test_settings_ui_wayland";
    QProcess portal;
    portal.start(QStringLiteral(VANTEL_FAKE_PORTAL), {});
    const auto stop = qScopeGuard([&] {
        portal.kill();
        portal.waitForFinished();
    });
    ASSERT_TRUE(test::waitUntil([&] { return portal.canReadLine(); })) << "the fake portal did not start";
    ASSERT_EQ(portal.readLine(), "ready\n");
    ASSERT_TRUE(platform::GlobalHotKeys::shared().isSupported()) << "the portal's back-end was not chosen";

    registerSettingsWindows();
    const auto open = [](VantelWindowEnum::Kind kind) {
        auto controller = platform::UiCatalog::main().instantiateAs<SettingsWindowController>(
            VantelWindowEnum::getStoryBoardAsString(kind), VantelWindowEnum::getWindowControllerIdentifier(kind));
        if (controller)
            controller->showWindow(false);
        return controller;
    };

    // Alt tapped twice into the Preferences' recorder of the main view's hotkey.
    const auto preferences = open(VantelWindowEnum::settings);
    ASSERT_TRUE(preferences);
    QApplication::setActiveWindow(preferences->window());
    ASSERT_TRUE(QTest::qWaitForWindowActive(preferences->window()));
    auto* found = preferences->window()->findChild<RecordView*>(QStringLiteral("globalHotkey"));
    ASSERT_TRUE(found);
    RecordView& recorder = *found;
    QTest::mouseClick(&recorder, Qt::LeftButton, {}, QPoint(10, 10));
    ASSERT_TRUE(recorder.isRecording());
    for (const auto& [type, modifiers] : {std::pair{QEvent::KeyPress, Qt::NoModifier},
                                          std::pair{QEvent::KeyRelease, Qt::AltModifier},
                                          std::pair{QEvent::KeyPress, Qt::NoModifier}}) {
        QKeyEvent event(type, Qt::Key_Alt, modifiers, 0, 0, 0);
        QApplication::sendEvent(&recorder, &event);
    }
    EXPECT_EQ(recorder.refusal(), QStringLiteral("Double taps are not seen on this desktop"));
    EXPECT_FALSE(recorder.keyCombo());

    preferences->close();

    // One kept from an X11 session.
    AppDelegate::shared().config().setGlobalKeyCombo(KeyCombo::withDoubledCarbonModifiers(ModifierFlags::carbonOption));
    const auto overview = open(VantelWindowEnum::hotkeyOverview);
    ASSERT_TRUE(overview);
    QStringList descriptions;
    for (const QLabel* label : overview->window()->findChildren<QLabel*>(QStringLiteral("description")))
        descriptions << label->text();
    EXPECT_TRUE(descriptions.contains(QStringLiteral("Hotkey to show the main window (not seen on this desktop)")))
        << descriptions.join(u'\n').toStdString();
    overview->close();
    AppDelegate::shared().config().setGlobalKeyCombo(std::nullopt);
}

} // namespace
} // namespace vantel
