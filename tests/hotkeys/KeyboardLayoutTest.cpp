#include "hotkeys/HotKeyCenter.h"
#include "hotkeys/Keymap.h"
#include "platform/NotificationCenter.h"

#include "XServer.h"

#include <gtest/gtest.h>

using namespace vantel;
using namespace vantel::test;

namespace {

constexpr qint64 command = ModifierFlags::carbonCommand;
constexpr int physicalYKeycode = 21 + 8; // evdev KEY_Y

class KeyboardLayoutTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!hasXServer())
            return;
        recorder = platform::NotificationCenter::defaultCenter().addObserver(QString(), [this](const platform::Notification& n) {
            if (n.name.startsWith(QLatin1String("Keymap")))
                posted << n.name;
        });
    }
    void TearDown() override
    {
        if (hasXServer())
            setKeyboardLayout(QStringLiteral("us"));
        recorder.reset();
    }

    QString display(Key key) { return KeyCombo::withCarbonModifiers(key, command)->displayString(); }

    platform::ObserverToken recorder;
    QStringList posted;
};

} // namespace

TEST_F(KeyboardLayoutTest, FollowsTheLayoutWhileRunning)
{
    VANTEL_REQUIRE_X_SERVER();
    ASSERT_TRUE(setKeyboardLayout(QStringLiteral("us")));
    Keymap& keymap = Keymap::shared();
    KeyboardLayout& layout = keymap.layout();
    EXPECT_EQ(layout.currentKeyboardLayoutInputSource().id, QStringLiteral("us"));
    EXPECT_EQ(keymap.keyCode(Key::a), 0);
    EXPECT_EQ(keymap.keyCode(Key::space), 49);
    EXPECT_EQ(keymap.keyCode(Key::z), 6);
    const InputSource& us = layout.currentKeyboardLayoutInputSource();
    EXPECT_EQ(layout.characterForKeyCode(us, 0, ModifierFlags::carbonShift), QStringLiteral("A"));
    EXPECT_EQ(layout.characterForKeyCode(us, 0, command), QStringLiteral("a"));
    EXPECT_EQ(layout.characterForKeyCode(us, 49, ModifierFlags::carbonShift), QStringLiteral("Space"));
    EXPECT_FALSE(layout.characterForKeyCode(us, 70000, 0));
    EXPECT_EQ(display(Key::semicolon), QStringLiteral("Ctrl ;"));

    posted.clear();
    ASSERT_TRUE(setKeyboardLayout(QStringLiteral("de")));
    EXPECT_EQ(layout.currentKeyboardLayoutInputSource().id, QStringLiteral("de"));
    EXPECT_TRUE(posted.contains(QStringLiteral("KeymapEnabledKeyboardInputSourcesChanged")));
    EXPECT_TRUE(posted.contains(QStringLiteral("KeymapSelectedKeyboardInputSourceChanged")));
    // "z" is where a US keyboard has Y; ";" is typed only with shift here, so
    // it falls back to its US key, which shows what that key types now.
    EXPECT_EQ(keymap.keyCode(Key::z), 16);
    EXPECT_EQ(keymap.currentKey(16), Key::z);
    EXPECT_EQ(keymap.keyCodeWithFallback(Key::semicolon), 41);
    EXPECT_EQ(display(Key::z), QStringLiteral("Ctrl Z"));
    EXPECT_EQ(display(Key::semicolon), QStringLiteral("Ctrl \u00D6"));
    EXPECT_EQ(keymap.character(12, ModifierFlags::carbonOption), QStringLiteral("@")); // AltGr+Q

    // A hotkey registered now grabs the physical key that types z.
    int fired = 0;
    auto hotKey = HotKey::create(QStringLiteral("z"), *KeyCombo::withCarbonModifiers(Key::z, command | ModifierFlags::carbonOption),
                                 HotKey::ActionQueue::main, [&](const HotKeyPtr&) { ++fired; });
    ASSERT_TRUE(HotKeyCenter::shared().registerHotKey(hotKey));
    pressKey("Control_L");
    pressKey("Alt_L");
    tapKeycode(physicalYKeycode);
    releaseKey("Alt_L");
    releaseKey("Control_L");
    settle();
    EXPECT_EQ(fired, 1);
    HotKeyCenter::shared().unregisterAll();

    // Two groups: switching the group is followed too.
    ASSERT_TRUE(setKeyboardLayout(QStringLiteral("us,de")));
    EXPECT_EQ(layout.inputSources().size(), 2);
    EXPECT_EQ(keymap.keyCode(Key::z), 6);
    posted.clear();
    lockGroup(1);
    EXPECT_EQ(layout.currentKeyboardLayoutInputSource().id, QStringLiteral("de"));
    EXPECT_EQ(keymap.keyCode(Key::z), 16);
    EXPECT_EQ(posted, (QStringList{QStringLiteral("KeymapSelectedKeyboardInputSourceChanged"),
                                   QStringLiteral("KeymapSelectedKeyboardKeyCodesChanged")}));
    EXPECT_EQ(layout.currentASCIICapableInputSource().id, QStringLiteral("us"));
    posted.clear();
    lockGroup(1);
    EXPECT_TRUE(posted.isEmpty());
    lockGroup(0);
}
