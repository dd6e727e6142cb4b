#include "model/TagNames.h"
#include "model/iconTag.h"
#include "model/iconTagForBackup.h"

#include "ModelTestSupport.h"

#include <gtest/gtest.h>

using namespace vantel;
using namespace vantel::test;

namespace {

iconTagPtr decodeTag(const QByteArray& data)
{
    return platform::KeyedUnarchiver::unarchive<iconTag>(data, modelClasses());
}

QByteArray tagArchive(const QVariantMap& keys)
{
    return archive(std::make_shared<HandMadeObject>(iconTag::archiveName(), [keys](platform::KeyedArchiver& c) {
        for (auto it = keys.cbegin(); it != keys.cend(); ++it)
            c.encodeObject(it.value(), it.key());
    }));
}

} // namespace

TEST(TagNames, NormalizeTagName)
{
    EXPECT_EQ(normalizeTagName(QString()), QString());
    EXPECT_EQ(normalizeTagName(QStringLiteral("  Office \n")), QStringLiteral("Office"));
    EXPECT_EQ(normalizeTagName(QStringLiteral(" Development | Tools ")), QStringLiteral("Development|Tools"));
    EXPECT_EQ(normalizeTagName(QStringLiteral("|Development||Tools|")), QStringLiteral("Development|Tools"));
    EXPECT_EQ(normalizeTagName(QStringLiteral("x|   |y")), QStringLiteral("x|y"));
    EXPECT_EQ(normalizeTagName(QStringLiteral("|")), QString());
    EXPECT_EQ(normalizeTagName(QStringLiteral("   ")), QString());
    EXPECT_EQ(normalizeTagName(QStringLiteral("a b|c")), QStringLiteral("a b|c"));
    for (const QString& name : {QStringLiteral("x|  |y"), QStringLiteral(" a | b |"), QStringLiteral("||")})
        EXPECT_EQ(normalizeTagName(normalizeTagName(name)), normalizeTagName(name)) << name.toStdString();
}

TEST(TagNames, IsSubTag)
{
    EXPECT_TRUE(isSubTag(QStringLiteral("Development|Tools"), QStringLiteral("Development")));
    EXPECT_TRUE(isSubTag(QStringLiteral("Development"), QStringLiteral("Development")));
    EXPECT_FALSE(isSubTag(QStringLiteral("Development"), QStringLiteral("Development|Tools")));
    EXPECT_FALSE(isSubTag(QStringLiteral("Officer"), QStringLiteral("Office")));
    EXPECT_FALSE(isSubTag(QStringLiteral("office|x"), QStringLiteral("Office")));
    EXPECT_FALSE(isSubTag(QString(), QStringLiteral("Office")));
    EXPECT_FALSE(isSubTag(QStringLiteral("Office"), QString()));
    EXPECT_TRUE(isSubTag(QStringLiteral("a||b"), QStringLiteral("a|")));
    EXPECT_TRUE(isSubTag(QStringLiteral("|"), QStringLiteral("|")));
}

TEST(IconTag, TheNewNameIsNormalisedAndTheSymbolKept)
{
    TagRecorder recorder(QStringLiteral("iconTagChanged"));
    iconTag tag(QStringLiteral(" Dev | Tools "), QStringLiteral(" icon_x "));
    EXPECT_EQ(tag.tagName(), QStringLiteral("Dev|Tools"));
    EXPECT_EQ(tag.tagSymbol(), QStringLiteral(" icon_x "));
    EXPECT_TRUE(tag.isSubTagOf(QStringLiteral("Dev")));
    EXPECT_TRUE(tag.isSubTagOf(QStringLiteral("Dev|Tools")));
    EXPECT_FALSE(tag.isSubTagOf(QString()));
    EXPECT_TRUE(recorder.objects.isEmpty());
}

TEST(IconTag, SettersPostRealChangesWithTheNewName)
{
    auto tag = iconTag::create(QStringLiteral("Office"), QString());
    TagRecorder recorder(QStringLiteral("iconTagChanged"));
    const auto combo = KeyCombo::withCarbonModifiers(Key::o, KeyCombo::commandKey);
    tag->setHotkey(combo);
    tag->setHotkey(combo);
    tag->setHotkey(std::nullopt);
    tag->setHotkeyLaunchAll(combo);
    tag->setHotkeyLaunchAll(combo);
    tag->setTagUsed(true);
    tag->setTagUseCounter(12);
    tag->setColor(platform::Color{0, 1, 0, 1});
    tag->setTagSymbol(QStringLiteral("icon_folder"));
    tag->setTagVisible(true);
    tag->setTagVisible(true);
    tag->setTagName(QStringLiteral("Work"));

    using R = IconTagChangeReason;
    const QList<R> expected{R::hotkeyChanged, R::hotkeyChanged, R::hotkeyChanged, R::colorChanged,
                            R::symbolChanged, R::visibilityChanged, R::nameChanged};
    ASSERT_EQ(recorder.objects.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i)
        EXPECT_EQ(recorder.objects.at(i).reason, expected.at(i)) << i;
    EXPECT_EQ(recorder.objects.at(0).tagName, QStringLiteral("Office"));
    EXPECT_EQ(recorder.objects.last().tagName, QStringLiteral("Work"));
    EXPECT_EQ(recorder.foreignObjects, 0);
}

TEST(IconTag, ABackupNeverPosts)
{
    auto backup = iconTagForBackup::create(QStringLiteral("B"), QStringLiteral("icon_tags"));
    TagRecorder recorder(QStringLiteral("iconTagChanged"));
    backup->setTagName(QStringLiteral("C"));
    backup->setColor(platform::Color{});
    backup->setTagVisible(true);
    backup->setHotkey(KeyCombo::withCarbonModifiers(Key::f5, 0));
    EXPECT_TRUE(recorder.objects.isEmpty());
    EXPECT_EQ(backup->tagName(), QStringLiteral("C"));
}

TEST(IconTag, OnlyTagsWithSomethingOfTheirOwnAreSaved)
{
    auto tag = iconTag::create(QStringLiteral("T"), QString());
    EXPECT_FALSE(tag->shouldSavedToConfig());
    EXPECT_FALSE(tag->valueForKey(QStringLiteral("shouldSavedToConfig")).toBool());
    tag->setHotkeyLaunchAll(KeyCombo::withCarbonModifiers(Key::f1, 0));
    EXPECT_TRUE(tag->shouldSavedToConfig());
    EXPECT_TRUE(iconTag::create(QStringLiteral("S"), QStringLiteral("icon_tags"))->shouldSavedToConfig());
}

TEST(IconTagArchive, EveryKeyRoundTripsAndTheCountersDoNot)
{
    iconTag::registerArchiveClass();
    auto tag = iconTag::create(QStringLiteral("Dev"), QStringLiteral("icon_folder"));
    tag->setColor(platform::Color{0.1, 0.2, 0.3, 0.5});
    tag->setHotkey(KeyCombo::withCarbonModifiers(Key::d, KeyCombo::commandKey | KeyCombo::shiftKey));
    tag->setHotkeyLaunchAll(KeyCombo::withDoubledCarbonModifiers(KeyCombo::optionKey));
    tag->setTagVisible(true);
    tag->setTagUsed(true);
    tag->setTagUseCounter(3);

    auto decoded = decodeTag(archive(tag));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->tagName(), QStringLiteral("Dev"));
    EXPECT_EQ(decoded->tagSymbol(), QStringLiteral("icon_folder"));
    EXPECT_EQ(decoded->color(), (platform::Color{0.1, 0.2, 0.3, 0.5}));
    EXPECT_EQ(decoded->hotkey(), tag->hotkey());
    EXPECT_EQ(decoded->hotkeyLaunchAll(), tag->hotkeyLaunchAll());
    EXPECT_FALSE(decoded->tagVisible());
    EXPECT_FALSE(decoded->tagUsed());
    EXPECT_EQ(decoded->tagUseCounter(), 0);
}

TEST(IconTagArchive, BadNamesOrSymbolsAreRejectedAndOptionalsDefault)
{
    EXPECT_FALSE(decodeTag(tagArchive({{QStringLiteral("tagName"), QStringLiteral("T")},
                                       {QStringLiteral("tagSymbol"), QString()}})));
    EXPECT_FALSE(decodeTag(tagArchive({{QStringLiteral("tagName"), QStringLiteral("T")}})));
    EXPECT_FALSE(decodeTag(tagArchive({{QStringLiteral("tagName"), 5}, {QStringLiteral("tagSymbol"), QStringLiteral("s")}})));

    auto plain = decodeTag(tagArchive({{QStringLiteral("tagName"), QStringLiteral(" Not | Normalised ")},
                                       {QStringLiteral("tagSymbol"), QStringLiteral("icon_tags")},
                                       {QStringLiteral("hotkey"), QStringLiteral("not a combo")}}));
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->tagName(), QStringLiteral(" Not | Normalised "));
    EXPECT_FALSE(plain->color().has_value());
    EXPECT_FALSE(plain->hotkey().has_value());
    EXPECT_FALSE(plain->hotkeyLaunchAll().has_value());
}
