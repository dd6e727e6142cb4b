#include "platform/Predicate.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QStringList>
#include <QVariantMap>

#include <atomic>
#include <thread>
#include <vector>

using vantel::platform::KeyValueAccessor;
using vantel::platform::Predicate;

namespace {

class MapObject : public KeyValueAccessor {
public:
    explicit MapObject(QVariantMap values) : values_(std::move(values)) {}
    QVariant valueForKey(const QString& key) const override { return values_.value(key); }

private:
    QVariantMap values_;
};

MapObject entry(const QString& name, const QStringList& tags, bool visible = true, bool reachable = true)
{
    return MapObject({{"name", name}, {"tags", tags}, {"isVisible", visible}, {"isReachable", reachable},
                      {"itemTypeRawValue", QStringLiteral("application")}});
}

bool eval(const QString& format, const KeyValueAccessor& object, const QVariantList& args = {})
{
    QString error;
    auto predicate = Predicate::fromFormat(format, args, &error);
    EXPECT_TRUE(predicate) << format.toStdString() << ": " << error.toStdString();
    return predicate && predicate->evaluate(object);
}

} // namespace

TEST(Predicate, ContainsOnTagListMeansOneTagEqualsIgnoringCase)
{
    const auto item = entry("Mail", {"Work", "Office Tools"});
    EXPECT_TRUE(eval("tags contains[c] %@", item, {"work"}));
    EXPECT_TRUE(eval("tags contains[c] %@", item, {"OFFICE TOOLS"}));
    EXPECT_FALSE(eval("tags contains[c] %@", item, {"Office"}));   // a part of a tag is no match
    EXPECT_FALSE(eval("tags contains %@", item, {"work"}));        // without [c] the case counts
    EXPECT_FALSE(eval("tags contains[c] %@", entry("Mail", {}), {"work"}));
}

TEST(Predicate, AnyContainsOnTagListMeansSomeTagContainsIgnoringCase)
{
    const auto item = entry("Mail", {"Work", "Office Tools"});
    EXPECT_TRUE(eval("ANY tags contains[c] %@", item, {"offi"}));
    EXPECT_TRUE(eval("any tags contains[c] %@", item, {"TOOLS"}));
    EXPECT_FALSE(eval("ANY tags contains[c] %@", item, {"home"}));
    EXPECT_FALSE(eval("ANY tags contains[c] %@", entry("Mail", {}), {"w"}));
    EXPECT_FALSE(eval("ANY missing contains[c] %@", item, {"w"}));
}

TEST(Predicate, ContainsOnStringIsCaseInsensitiveSubstring)
{
    const auto item = entry("Visual Studio Code", {});
    EXPECT_TRUE(eval("name contains[c] %@", item, {"studio"}));
    EXPECT_TRUE(eval("name CONTAINS[c] %@", item, {"VISUAL S"}));
    EXPECT_FALSE(eval("name contains %@", item, {"studio"}));
    EXPECT_FALSE(eval("name contains[c] %@", item, {"studios"}));
    EXPECT_TRUE(eval("name contains[cd] %@", MapObject({{"name", QStringLiteral("Café Crème")}}), {"CAFE CREME"}));
    EXPECT_FALSE(eval("name contains[c] %@", MapObject({{"name", QStringLiteral("Café")}}), {"cafe"}));
    EXPECT_TRUE(eval("name beginswith[c] 'visual' AND name endswith 'Code'", item));
}

TEST(Predicate, BooleanKeysAndTheDefaultFilter)
{
    EXPECT_TRUE(eval("isVisible = true AND isReachable = true", entry("A", {})));
    EXPECT_FALSE(eval("isVisible = true AND isReachable = true", entry("A", {}, true, false)));
    EXPECT_TRUE(eval("isVisible == YES && isReachable == TRUE", entry("A", {})));
    EXPECT_TRUE(eval("isVisible = false", entry("A", {}, false)));
    EXPECT_TRUE(eval("isVisible = 1", entry("A", {})));
    EXPECT_TRUE(eval("shouldSavedToConfig == true", MapObject({{"shouldSavedToConfig", true}})));
}

TEST(Predicate, TagSelectionAndSearchFormats)
{
    const auto visible = entry("Mail", {"Work"});
    const auto hidden = entry("Mail", {"Work"}, false);
    const QString format = "tags contains[c] %@ AND isVisible = true AND isReachable = true";
    EXPECT_TRUE(eval(format, visible, {"WORK"}));
    EXPECT_FALSE(eval(format, hidden, {"WORK"}));

    auto search = Predicate::andPredicate(
        {Predicate::orPredicate({Predicate::fromFormat("name contains[c] %@", {"mai"}),
                                 Predicate::fromFormat("comment contains[c] %@", {"mai"})}),
         Predicate::andPredicate({Predicate::fromFormat("isVisible = true"), Predicate::fromFormat("isReachable = true")}),
         Predicate::notPredicate(Predicate::fromFormat("itemTypeRawValue = %@", {"tag"}))});
    EXPECT_TRUE(search->evaluate(visible));
    EXPECT_FALSE(search->evaluate(hidden));
    EXPECT_FALSE(search->evaluate(MapObject({{"name", "Mail"}, {"isVisible", true}, {"isReachable", true},
                                             {"itemTypeRawValue", "tag"}})));
    EXPECT_TRUE(search->evaluate(MapObject({{"name", "X"}, {"comment", "my MAIL client"}, {"isVisible", true},
                                            {"isReachable", true}, {"itemTypeRawValue", "file"}})));
}

TEST(Predicate, MissingKeysCompareFalseWithoutCrashing)
{
    const MapObject empty({});
    for (const char* format : {"isVisible = true", "name contains[c] 'a'", "tags contains[c] 'a'", "count > 3",
                               "count < 3", "name MATCHES '.*'", "name beginswith 'a'", "a.b.c == 'x'"}) {
        EXPECT_FALSE(eval(format, empty)) << format;
    }
    EXPECT_TRUE(eval("name == nil", empty));
    EXPECT_TRUE(eval("name != 'x'", empty));
    EXPECT_FALSE(eval("name == nil", entry("A", {})));
}

TEST(Predicate, MismatchedTypesAreFalse)
{
    const MapObject item({{"name", "12"}, {"count", 12}, {"tags", QStringList{"12"}}});
    EXPECT_FALSE(eval("name == 12", item));
    EXPECT_FALSE(eval("count == '12'", item));
    EXPECT_FALSE(eval("count contains '1'", item));
    EXPECT_FALSE(eval("name > 5", item));
    EXPECT_FALSE(eval("tags beginswith '1'", item));
    EXPECT_FALSE(eval("tags contains 12", item));
}

TEST(Predicate, OrderingOnNumbersStringsAndDates)
{
    const QDateTime when(QDate(2023, 5, 1), QTime(12, 0));
    const MapObject item({{"count", 7}, {"ratio", 0.5}, {"name", "m"}, {"lastUsedDate", when}});
    EXPECT_TRUE(eval("count > 6 AND count >= 7 AND count < 8 AND count <= 7 AND count != 8", item));
    EXPECT_TRUE(eval("ratio < 1 AND ratio > -1.5 AND ratio == 5e-1", item));
    EXPECT_TRUE(eval("name > 'a' AND name < 'z'", item));
    EXPECT_TRUE(eval("lastUsedDate > %@", item, {when.addSecs(-1)}));
    EXPECT_FALSE(eval("lastUsedDate > %@", item, {when}));
    EXPECT_TRUE(eval("lastUsedDate == %@", item, {when}));
}

TEST(Predicate, MatchesIsAFullStringMatch)
{
    auto scheme = Predicate::fromFormat("SELF MATCHES %@", {"^(.*:).*"});
    ASSERT_TRUE(scheme);
    EXPECT_TRUE(scheme->evaluate(QVariant(QStringLiteral("https://example.org"))));
    EXPECT_TRUE(scheme->evaluate(QVariant(QStringLiteral("mailto:"))));
    EXPECT_FALSE(scheme->evaluate(QVariant(QStringLiteral("example.org"))));
    EXPECT_FALSE(scheme->evaluate(QVariant(QStringLiteral("line\nhttp://x"))));
    EXPECT_FALSE(scheme->evaluate(QVariant(QStringLiteral("line\rhttp://x"))));
    EXPECT_FALSE(scheme->evaluate(QVariant(42)));

    auto partial = Predicate::fromFormat("name MATCHES 'ab'");
    EXPECT_FALSE(partial->evaluate(MapObject({{"name", "xaby"}})));
    EXPECT_TRUE(partial->evaluate(MapObject({{"name", "ab"}})));
    EXPECT_TRUE(eval("name MATCHES[c] 'A\\\\d+'", MapObject({{"name", "a42"}})));
    EXPECT_TRUE(eval("name MATCHES 'a|b'", MapObject({{"name", "b"}})));

    // A pattern that only parses once wrapped would close the anchoring
    // group itself and match nearly anything.
    QString error;
    EXPECT_FALSE(Predicate::fromFormat("SELF MATCHES %@", {"a)|(?:"}, &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(Predicate, KeyArgumentsNotAndParentheses)
{
    const MapObject item({{"isFavorite", true}, {"name", "Mail"}});
    EXPECT_TRUE(eval("%K == %@", item, {"name", "Mail"}));
    EXPECT_FALSE(eval("%K == %@", item, {"isFavorite", "Mail"}));
    EXPECT_TRUE(eval("NOT name == 'x'", item));
    EXPECT_TRUE(eval("!(name == 'x' || isFavorite == false)", item));
    EXPECT_TRUE(eval("(name == 'x' OR name == 'Mail') AND isFavorite == true", item));
    EXPECT_FALSE(eval("name == 'x' OR name == 'Mail' AND isFavorite == false", item));   // AND binds tighter
    EXPECT_TRUE(eval("TRUEPREDICATE", item));
    EXPECT_FALSE(eval("FALSEPREDICATE OR #name == 'x'", item));
    // A %@ string is a value, never a key.
    EXPECT_FALSE(eval("%@ == 'name'", item, {"Mail"}));
    EXPECT_TRUE(eval("name == \"Ma\\\"il\"", MapObject({{"name", "Ma\"il"}})));
}

TEST(Predicate, KeyPathsAndSelfOverMaps)
{
    const QVariantMap value{{"info", QVariantMap{{"kind", "app"}}}, {"name", "Mail"}};
    auto predicate = Predicate::fromFormat("info.kind == 'app' AND name beginswith 'M'");
    ASSERT_TRUE(predicate);
    EXPECT_TRUE(predicate->evaluate(QVariant(value)));
    EXPECT_FALSE(Predicate::fromFormat("info.kind.more == 'app'")->evaluate(QVariant(value)));
    EXPECT_TRUE(Predicate::fromFormat("SELF contains[c] 'X'")->evaluate(QVariant(QStringList{"a", "x"})));
}

TEST(Predicate, MalformedFormatsGiveAnError)
{
    const QList<std::pair<QString, QVariantList>> bad = {
        {"", {}},
        {"   ", {}},
        {"name ==", {}},
        {"== 'x'", {}},
        {"name contains[c] %@", {}},                 // too few arguments
        {"name == %@", {"a", "b"}},                  // unused argument
        {"%K == 1", {42}},                           // key must be a string
        {"name = 'unterminated", {}},
        {"(name == 'x'", {}},
        {"name == 'x')", {}},
        {"name == 'x' AND", {}},
        {"name contains[z] 'x'", {}},
        {"name < [c] 'x'", {}},
        {"name MATCHES '('", {}},
        {"name ~ 'x'", {}},
        {"name == %d", {1}},
        {"AND == 1", {}},
        {"name. == 1", {}},
        {"name == 12abc", {}},
        {QString(5000, u'(') + "a == 1" + QString(5000, u')'), {}},
        {QString("NOT ").repeated(5000) + "a == 1", {}},
    };
    for (const auto& [format, args] : bad) {
        QString error;
        EXPECT_EQ(Predicate::fromFormat(format, args, &error), nullptr) << format.left(60).toStdString();
        EXPECT_FALSE(error.isEmpty()) << format.left(60).toStdString();
    }
    QString error = "stale";
    EXPECT_TRUE(Predicate::fromFormat("a == 1", {}, &error));
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(Predicate::fromFormat("a ==", {}), nullptr);   // no error pointer
}

TEST(Predicate, CompoundsOfNothingAndOfMissingParts)
{
    const MapObject item({});
    EXPECT_TRUE(Predicate::andPredicate({})->evaluate(item));
    EXPECT_FALSE(Predicate::orPredicate({})->evaluate(item));
    EXPECT_FALSE(Predicate::andPredicate({Predicate::value(true), nullptr})->evaluate(item));
    EXPECT_TRUE(Predicate::orPredicate({nullptr, Predicate::value(true)})->evaluate(item));
    EXPECT_FALSE(Predicate::notPredicate(nullptr)->evaluate(item));
}

TEST(Predicate, DescriptionReadsLikeTheFormat)
{
    EXPECT_EQ(Predicate::fromFormat("isVisible = true AND isReachable = true")->description(),
              "isVisible == 1 AND isReachable == 1");
    EXPECT_EQ(Predicate::fromFormat("tags contains[c] %@", {"Work \"A\""})->description(),
              "tags CONTAINS[c] \"Work \\\"A\\\"\"");
    EXPECT_EQ(Predicate::fromFormat("ANY tags contains[cd] 'x' OR NOT (a == nil OR SELF != 2.5)")->description(),
              "ANY tags CONTAINS[cd] \"x\" OR NOT (a == nil OR SELF != 2.5)");
    EXPECT_EQ(Predicate::andPredicate({Predicate::fromFormat("a == 1 OR b == 2"), Predicate::value(false)})->description(),
              "(a == 1 OR b == 2) AND FALSEPREDICATE");
}

TEST(Predicate, OnePredicateEvaluatesOnManyThreads)
{
    auto predicate = Predicate::fromFormat("name MATCHES[c] 'app.*' AND ANY tags contains[c] 'wo'");
    ASSERT_TRUE(predicate);
    const auto hit = entry("Application", {"Work"});
    const auto miss = entry("Other", {"Work"});
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 2000; ++i) {
                if (!predicate->evaluate(hit) || predicate->evaluate(miss))
                    ++wrong;
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(wrong.load(), 0);
}
