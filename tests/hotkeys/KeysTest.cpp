#include "hotkeys/KeyCombo.h"
#include "hotkeys/ModifierFlags.h"
#include "platform/KeyCodes.h"

#include "XServer.h"

#include <gtest/gtest.h>

using namespace vantel;

TEST(Key, CharactersAndSpecialKeys)
{
    EXPECT_EQ(KeyInfo::fromCharacter(QStringLiteral("A")), Key::a);
    EXPECT_EQ(KeyInfo::fromCharacter(QStringLiteral("1")), Key::one);
    EXPECT_EQ(KeyInfo::fromCharacter(QStringLiteral("1"), 83), Key::keypadOne);
    EXPECT_FALSE(KeyInfo::fromCharacter(QStringLiteral("one"), 83));
    EXPECT_FALSE(KeyInfo::fromCharacter(QStringLiteral("equal"), 81));
    EXPECT_EQ(KeyInfo::fromCharacter(QStringLiteral("."), 47), Key::period);
    EXPECT_EQ(KeyInfo::fromCharacter(QStringLiteral("."), 65), Key::keypadDecimal);
    EXPECT_EQ(KeyInfo::fromCharacter(QStringLiteral(","), 95), Key::keypadComma);
    EXPECT_EQ(KeyInfo::fromCharacter(QStringLiteral(",")), Key::comma);
    EXPECT_EQ(KeyInfo::fromCharacter(QStringLiteral("Space")), Key::space);
    EXPECT_EQ(KeyInfo::fromCharacter(QStringLiteral("SPACE")), Key::space);
    EXPECT_EQ(KeyInfo::fromCharacter(QStringLiteral("\u2190")), Key::leftArrow);
    EXPECT_EQ(KeyInfo::fromCharacter(QStringLiteral("F12")), Key::f12);
    EXPECT_EQ(KeyInfo::fromCharacter(QStringLiteral("keypad7")), Key::keypadSeven);
    EXPECT_FALSE(KeyInfo::fromCharacter(QStringLiteral("enter")));
    EXPECT_FALSE(KeyInfo::fromCharacter(QStringLiteral("yen")));
    EXPECT_EQ(KeyInfo::fromCharacter(QStringLiteral("\u00A7")), Key::section);

    EXPECT_FALSE(SpecialKey::label(35));
    EXPECT_FALSE(SpecialKey::label(127));
    EXPECT_EQ(SpecialKey::label(102), QStringLiteral("\u82F1\u6570"));
    EXPECT_EQ(SpecialKey::label(114), QStringLiteral("?\u20DD"));
    EXPECT_EQ(SpecialKey::label(96), QStringLiteral("F5"));
}

TEST(ModifierFlags, ConversionsAndNames)
{
    using namespace ModifierFlags;
    EXPECT_EQ(glyphStrings(command | shift | control | option),
              (QStringList{QStringLiteral("Super"), QStringLiteral("Alt"), QStringLiteral("Shift"), QStringLiteral("Ctrl")}));
    EXPECT_TRUE(glyphStrings(capsLock).isEmpty());
    EXPECT_EQ(carbonModifiers(command | function, true), 0x800100);
    EXPECT_EQ(carbonModifiers(command | function, false), 0x100);
    EXPECT_EQ(fromCarbonModifiers(0x800100), command);
    EXPECT_EQ(fromCarbonModifiers(0x1A00), control | option | shift);
    EXPECT_TRUE(isSingleModifier(command | capsLock));
    EXPECT_FALSE(isSingleModifier(command | shift));
    EXPECT_TRUE(containsKeyModifiers(function));
    EXPECT_FALSE(containsKeyModifiers(capsLock | numericPad));
}

TEST(KeyCodes, OneTableBothWays)
{
    // Every key of the US table reaches a physical key and comes back.
    for (int i = 0; i < KeyInfo::caseCount; ++i) {
        const auto key = static_cast<Key>(i);
        const int code = KeyInfo::QWERTYKeyCode(key);
        const auto evdev = platform::KeyCodes::evdevCode(code);
        ASSERT_TRUE(evdev) << KeyInfo::rawValue(key).toStdString();
        EXPECT_EQ(platform::KeyCodes::macKeyCode(*evdev), code);
    }
    EXPECT_EQ(platform::KeyCodes::evdevCode(40), 37); // k
    EXPECT_EQ(platform::KeyCodes::evdevCode(6), 44);  // z, which is Y on a German keyboard
}

TEST(KeyCombo, CocoaFormsAndText)
{
    VANTEL_REQUIRE_X_SERVER();
    using namespace ModifierFlags;
    EXPECT_FALSE(KeyCombo::withCocoaModifiers(Key::a, capsLock | numericPad));
    EXPECT_EQ(KeyCombo::withCocoaModifiers(Key::a, shift | capsLock)->modifiers(), 0x200);
    EXPECT_EQ(KeyCombo::withDoubledCocoaModifiers(command | capsLock)->modifiers(), 0x100);
    EXPECT_FALSE(KeyCombo::withDoubledCocoaModifiers(command | shift));

    EXPECT_EQ(KeyCombo::withCocoaModifiers(Key::f5, 0)->displayString(), QStringLiteral(" F5"));
    EXPECT_EQ(KeyCombo::withCocoaModifiers(Key::space, command)->displayString(), QStringLiteral("Ctrl SPACE"));
    EXPECT_EQ(KeyCombo::withCocoaModifiers(Key::a, command | option)->displayString(), QStringLiteral("Alt+Ctrl A"));
    EXPECT_EQ(KeyCombo::withDoubledCocoaModifiers(command)->displayString(), QStringLiteral("Ctrl double tap"));
    EXPECT_EQ(KeyCombo::withCocoaModifiers(Key::a, shift | command)->keyCharacters(), QStringLiteral("A"));
    EXPECT_EQ(KeyCombo::withCocoaModifiers(Key::one, shift | command)->keyCharacters(), QStringLiteral("1"));
    EXPECT_EQ(KeyCombo::withCocoaModifiers(Key::one, shift | command)->characters(), QStringLiteral("!"));
    EXPECT_TRUE(KeyCombo::withDoubledCocoaModifiers(option)->characters().isEmpty());

    EXPECT_EQ(KeyCombo::fromKeyEvent(KeyCombo::EventType::keyDown, 40, command), KeyCombo::withCocoaModifiers(Key::k, command));
    EXPECT_FALSE(KeyCombo::fromKeyEvent(KeyCombo::EventType::keyDown, 40, 0));
    EXPECT_FALSE(KeyCombo::fromKeyEvent(KeyCombo::EventType::other, 40, command));
}
