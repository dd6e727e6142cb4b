#include "hotkeys/KeyCombo.h"

#include "ModelTestSupport.h"

#include <gtest/gtest.h>

using namespace vantel;
using namespace vantel::test;

namespace {

std::shared_ptr<KeyCombo> decodeCombo(const std::function<void(platform::KeyedArchiver&)>& encoder)
{
    KeyCombo::registerArchiveClass();
    return platform::KeyedUnarchiver::unarchive<KeyCombo>(
        archive(std::make_shared<HandMadeObject>(KeyCombo::archiveName(), encoder)), modelClasses());
}

} // namespace

TEST(Key, RawValuesAndCodes)
{
    EXPECT_EQ(KeyInfo::caseCount, 109);
    EXPECT_EQ(KeyInfo::rawValue(Key::keypadEnter), QStringLiteral("keypadEnter"));
    EXPECT_EQ(KeyInfo::rawValue(Key::return_), QStringLiteral("return"));
    EXPECT_EQ(KeyInfo::fromRawValue(QStringLiteral("delete")), Key::delete_);
    EXPECT_FALSE(KeyInfo::fromRawValue(QStringLiteral("A")).has_value());
    EXPECT_FALSE(KeyInfo::fromRawValue(QStringLiteral("Space")).has_value());
    EXPECT_FALSE(KeyInfo::fromRawValue(QStringLiteral("keypad1")).has_value());
    for (int i = 0; i < KeyInfo::caseCount; ++i) {
        const auto key = static_cast<Key>(i);
        EXPECT_EQ(KeyInfo::fromRawValue(KeyInfo::rawValue(key)), key);
    }
    EXPECT_EQ(KeyInfo::fromQWERTYKeyCode(10), Key::section);
    EXPECT_EQ(KeyInfo::fromQWERTYKeyCode(33), Key::leftBracket);
    EXPECT_EQ(KeyInfo::fromQWERTYKeyCode(24), Key::equal);
    EXPECT_EQ(KeyInfo::fromQWERTYKeyCode(39), Key::quote);
    EXPECT_FALSE(KeyInfo::fromQWERTYKeyCode(52).has_value());
    EXPECT_FALSE(KeyInfo::fromQWERTYKeyCode(127).has_value());
    EXPECT_FALSE(KeyInfo::fromQWERTYKeyCode(-1).has_value());
}

TEST(KeyCombo, ValidCombinations)
{
    EXPECT_FALSE(KeyCombo::withCarbonModifiers(Key::a, 0).has_value());
    EXPECT_EQ(KeyCombo::withCarbonModifiers(Key::f5, 0)->modifiers(), KeyCombo::functionKey);
    EXPECT_EQ(KeyCombo::withCarbonModifiers(Key::a, KeyCombo::shiftKey)->modifiers(), KeyCombo::shiftKey);
    EXPECT_EQ(KeyCombo::withCarbonModifiers(Key::a, KeyCombo::shiftKey | 0x400)->modifiers(), KeyCombo::shiftKey);
    const auto doubled = KeyCombo::withDoubledCarbonModifiers(KeyCombo::commandKey);
    ASSERT_TRUE(doubled);
    EXPECT_EQ(doubled->key(), Key::a);
    EXPECT_TRUE(doubled->doubledModifiers());
    EXPECT_EQ(doubled->QWERTYKeyCode(), 0);
    EXPECT_FALSE(KeyCombo::withDoubledCarbonModifiers(KeyCombo::commandKey | KeyCombo::shiftKey));
    EXPECT_FALSE(KeyCombo::withDoubledCarbonModifiers(0));
    EXPECT_NE(*doubled, *KeyCombo::withCarbonModifiers(Key::a, KeyCombo::commandKey));
    EXPECT_EQ(KeyCombo::withQWERTYKeyCode(0, KeyCombo::commandKey), KeyCombo::withCarbonModifiers(Key::a, KeyCombo::commandKey));
    EXPECT_EQ(KeyCombo::withCarbonModifiers(Key::a, KeyCombo::commandKey)->hash(),
              KeyCombo::withCarbonModifiers(Key::a, KeyCombo::commandKey)->hash());
}

TEST(KeyCombo, ArchiveFormsOldAndNew)
{
    auto current = decodeCombo([](platform::KeyedArchiver& c) {
        c.encodeObject(QStringLiteral("keypadEnter"), QStringLiteral("key"));
        c.encodeInteger(0x1100, QStringLiteral("modifiers"));
        c.encodeBool(false, QStringLiteral("doubledModifiers"));
    });
    ASSERT_TRUE(current);
    EXPECT_EQ(current->key(), Key::keypadEnter);
    EXPECT_EQ(current->modifiers(), 0x1100);
    EXPECT_FALSE(current->doubledModifiers());

    auto older = decodeCombo([](platform::KeyedArchiver& c) {
        c.encodeInteger(0, QStringLiteral("keyCode"));
        c.encodeInteger(0x100, QStringLiteral("modifiers"));
    });
    ASSERT_TRUE(older);
    EXPECT_EQ(*older, *KeyCombo::withCarbonModifiers(Key::a, KeyCombo::commandKey));

    auto oldest = decodeCombo([](platform::KeyedArchiver& c) {
        c.encodeInteger(36, QStringLiteral("QWERTYKeyCode"));
        c.encodeInteger(0x100, QStringLiteral("modifiers"));
    });
    ASSERT_TRUE(oldest);
    EXPECT_EQ(oldest->key(), Key::return_);

    EXPECT_FALSE(decodeCombo([](platform::KeyedArchiver& c) {
        c.encodeObject(QStringLiteral("Return"), QStringLiteral("key"));
        c.encodeInteger(0x100, QStringLiteral("modifiers"));
    }));
    EXPECT_FALSE(decodeCombo([](platform::KeyedArchiver& c) { c.encodeInteger(52, QStringLiteral("keyCode")); }));

    // Not validated: a combination without modifiers stays as stored.
    auto bare = decodeCombo([](platform::KeyedArchiver&) {});
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->key(), Key::a);
    EXPECT_EQ(bare->modifiers(), 0);

    const auto original = KeyCombo::withDoubledCarbonModifiers(KeyCombo::controlKey);
    auto roundTrip = platform::KeyedUnarchiver::unarchive<KeyCombo>(archive(std::make_shared<KeyCombo>(*original)),
                                                                     modelClasses());
    ASSERT_TRUE(roundTrip);
    EXPECT_EQ(*roundTrip, *original);
}
